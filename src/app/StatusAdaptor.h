// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDateTime>
#include <functional>

// Quillmere's own interface beside org.freedesktop.Application, for scripts and panels: the
// clutter level the window shows and the last clean of this run. Read-only; reads through the
// functions it is given each time it is asked.
class StatusAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quillmere.Quillmere")
    // 0 while the level is not known (a Desktop that must not be cleaned), else 1 to 3.
    Q_PROPERTY(int ClutterLevel READ clutterLevel)
    // When the last clean that moved items ended (ISO 8601), empty when none did since start.
    Q_PROPERTY(QString LastClean READ lastClean)
    // The items that clean moved.
    Q_PROPERTY(uint LastCleanItems READ lastCleanItems)
public:
    struct Sources {
        std::function<int()> level;
        std::function<QDateTime()> lastClean; // invalid: none
        std::function<qsizetype()> lastCleanItems;
    };
    StatusAdaptor(QObject *exported, Sources sources)
        : QDBusAbstractAdaptor(exported)
        , sources_(std::move(sources)) {}

    int clutterLevel() const { return sources_.level(); }
    QString lastClean() const {
        const QDateTime at = sources_.lastClean();
        return at.isValid() ? at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate)
                            : QString();
    }
    uint lastCleanItems() const { return uint(sources_.lastCleanItems()); }

private:
    Sources sources_;
};
