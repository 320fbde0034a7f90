// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The programs a person's session starts at login: the XDG autostart entries
// ($XDG_CONFIG_HOME/autostart/*.desktop). An entry belongs to a program when the first word of its
// Exec line is that program's path. Entries of other programs are never touched, and an entry
// that cannot be read or is not a desktop entry is skipped, never deleted. No state is kept
// between calls.
class LoginItems {
public:
    // `program`: the executable whose entries are looked at (this one by default).
    explicit LoginItems(QString folder, QString program);
    static LoginItems forThisProgram();

    // Whether an entry, not hidden, starts `program`.
    bool contains() const;
    // Writes one new entry for `program`, under a name no other entry has, unless one already
    // starts it. False (logged) when it could not be written.
    bool insertItem() const;
    // Deletes every entry that starts `program`; returns how many went.
    int removeItems() const;

    // The program an entry's bytes start (the first word of Exec, unquoted), or an empty string
    // when they are not a desktop entry. `hidden` tells whether the entry is switched off.
    static QString programOfEntry(const QByteArray &bytes, bool *hidden = nullptr);

private:
    QStringList entryPaths() const;
    QString readProgram(const QString &path, bool *hidden) const;

    QString folder_;
    QString program_;
};
