// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariantMap>
#include <functional>
#include <vector>

struct Notification {
    QString name;
    const void *object = nullptr;
    QVariantMap userInfo;
};

// Named notifications between components. Observers filter by name and, optionally, by
// sending object; they are called synchronously, in the order they were added.
// Main thread only: it takes no lock. Does not deliver across threads (callers queue first).
class NotificationCenter {
public:
    using Observer = std::function<void(const Notification &)>;

    static NotificationCenter &defaultCenter();
    // The workspace's own centre, apart from the default one.
    static NotificationCenter &workspace();

    // A null object observes every sender. Returns a token for removeObserver.
    int addObserver(const QString &name, const void *object, Observer observer);
    void removeObserver(int token);
    void postNotificationName(const QString &name, const void *object,
                              const QVariantMap &userInfo = {});

private:
    struct Entry {
        int token;
        QString name;
        const void *object;
        Observer observer;
    };
    std::vector<Entry> observers_;
    int nextToken_ = 1;
};
