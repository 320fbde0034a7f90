// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemGeneration.h"

#include <cmath>

GenerationImages imagesForGeneration(double appKitVersionNumber) {
    // The bounds are inclusive: a generation's own number belongs to the older row.
    const double generation = std::floor(appKitVersionNumber);
    if (generation <= 1138)
        return {QStringLiteral("LionMenuBar"), QStringLiteral("BrashwickLionIcon"),
                QStringLiteral("On a 10.7 - 10.7.x system... changing dock icon to Brashwick OS X "
                               "Lion icon.")};
    if (generation <= 1187)
        return {QStringLiteral("MLMenuBar"), QStringLiteral("BrashwickIconMl"),
                QStringLiteral("On a 10.8 - 10.8.x system... changing dock icon to Brashwick OS X "
                               "Mountain Lion icon.")};
    if (generation <= 1265)
        return {QStringLiteral("MavricksMenuBar"), QStringLiteral("BrashwickMav"),
                QStringLiteral("On a 10.9 - 10.9.x system... using Mavericks icon")};
    return {QStringLiteral("DefaulticonMenuBar"), QString(),
            QStringLiteral("On a 10.10 - 10.10.X system...using default icon")};
}
