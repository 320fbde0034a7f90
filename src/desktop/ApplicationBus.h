// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <functional>
#include <map>
#include <optional>

// One running instance per session. The first start owns the application's id as a name on the
// session bus and answers org.freedesktop.Application at the id's object path: Activate, and
// ActivateAction for the actions given to it (Open is refused as not supported). A later start
// finds the name owned and hands its request over (handOver). Without a session bus there is
// nothing to own or find, and each start runs alone. Knows nothing of what the actions do.
// Main thread only.
class ApplicationBus : public QObject {
    Q_OBJECT
public:
    // Runs an action with its parameters; returns an error text, empty when it was taken.
    using Action = std::function<QString(const QVariantList &parameters)>;
    enum class Claim { Owned, OwnedByAnother, NoBus };

    explicit ApplicationBus(QString applicationId, QObject *parent = nullptr);
    ~ApplicationBus() override;

    // "org.example.App" → "/org/example/App".
    static QString objectPath(const QString &applicationId);

    // What Activate does, and the actions ActivateAction knows. Calls arrive through the event
    // loop, so these may be set after claim().
    void setActivate(std::function<void()> activate) { activate_ = std::move(activate); }
    void addAction(const QString &name, Action action) { actions_[name] = std::move(action); }
    // Further interfaces: adaptors made on this object before claim() are exported with it.
    QObject *exported() { return &exported_; }

    // Exports the object and asks for the name, without queueing behind another owner.
    Claim claim();

    // A later start's request to the owner: Activate when `action` is empty, else
    // ActivateAction. None when no instance owns the name (or there is no bus); else the
    // owner's error text, empty when it took the request.
    static std::optional<QString> handOver(const QString &applicationId, const QString &action,
                                           const QVariantList &parameters = {});

private:
    friend class FreedesktopApplicationAdaptor;
    QString applicationId_;
    QObject exported_;
    std::function<void()> activate_;
    std::map<QString, Action> actions_;
    bool registered_ = false;
};
