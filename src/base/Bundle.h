// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the program knows of itself: its version and where it runs from. Its images by name are
// a desktop service (BundleImages.h).
namespace Bundle {
QString version();    // the build's version, e.g. "1.0.0"
QString bundlePath(); // absolute path of the running executable
} // namespace Bundle
