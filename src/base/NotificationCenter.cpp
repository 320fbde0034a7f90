// SPDX-License-Identifier: GPL-3.0-or-later
#include "NotificationCenter.h"

#include <algorithm>

NotificationCenter &NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter &NotificationCenter::workspace() {
    static NotificationCenter center;
    return center;
}

int NotificationCenter::addObserver(const QString &name, const void *object, Observer observer) {
    observers_.push_back({nextToken_, name, object, std::move(observer)});
    return nextToken_++;
}

void NotificationCenter::removeObserver(int token) {
    std::erase_if(observers_, [token](const Entry &e) { return e.token == token; });
}

void NotificationCenter::postNotificationName(const QString &name, const void *object,
                                              const QVariantMap &userInfo) {
    const Notification note{name, object, userInfo};
    // Copy first: an observer may add or remove observers while we walk.
    const std::vector<Entry> snapshot = observers_;
    for (const Entry &e : snapshot) {
        if (e.name == name && (e.object == nullptr || e.object == object))
            e.observer(note);
    }
}
