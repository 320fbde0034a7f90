// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The images that suit each toolkit generation: the tray icon's name, and the application icon
// where a generation has its own (empty: keep the program's own icon).
struct GenerationImages {
    QString menuBarIconName;
    QString applicationIconName;
    QString logLine;
};

GenerationImages imagesForGeneration(double appKitVersionNumber);
