// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class UserDefaults;

// Remembers every version of Quillmere that has started on this account, in the order of their
// first start, and tells a first start apart from the first start of a new version.
namespace StartupVersions {
enum class Start { KnownVersion, FirstOfThisVersion, FirstEver };

// Records `version` in the list (logging what it found) and answers which start this is.
// A new version also clears the keys that only earlier versions used.
Start recordStart(UserDefaults &defaults, const QString &version);
} // namespace StartupVersions
