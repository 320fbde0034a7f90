// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>

// What the program knows of itself: its version, where it runs from, and its images by name.
namespace Bundle {
QString version();    // the build's version, e.g. "1.0.0"
QString bundlePath(); // absolute path of the running executable
// An image of the program's resources by its name ("DefaulticonMenuBar"); null when unknown.
QIcon imageNamed(const QString &name);
} // namespace Bundle
