// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClutterLevel.h"

#include "Log.h"

ClutterLevel ClutterLevel::forItemCount(quint64 count) {
    // Three independent tests on the same count: from 60 on, both of the last two log.
    ClutterLevel level{1.0, QStringLiteral("Cleaning is optional.")};
    if (count <= 20)
        NSLog(QStringLiteral("Less than or equal to 20, cleaning is optional"));
    if (count >= 21) {
        NSLog(QStringLiteral("Greater than or equal to 21, cleaning is recommended"));
        level = {2.0, QStringLiteral("Cleaning is recommended.")};
    }
    if (count >= 60) {
        NSLog(QStringLiteral("Greater than or equal to 60, cleaning is Critical"));
        level = {3.0, QStringLiteral("Cleaning is Critical!")};
    }
    return level;
}
