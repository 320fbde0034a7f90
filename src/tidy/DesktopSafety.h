// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// Whether the Desktop folder may be cleaned. The XDG user folders can name any folder as the
// Desktop: "$HOME/" when a user has no Desktop folder, or "/". Cleaning such a folder would move
// the home's own folders (.config, .ssh, ...) away. Refused: a Desktop that is "/", the home
// folder or a folder above it, and a Desktop that holds the destination. The Desktop itself as
// the destination is fine: the item filter skips the "Quillmere" folder there.
// Paths are compared as the file system resolves them (symbolic links, "..", "." and extra
// slashes); a part that does not exist is taken by its name. Reads the disk only to resolve
// paths; moves nothing, logs nothing.
namespace DesktopSafety {
inline const QString title = QT_TRANSLATE_NOOP("Quillmere", "The Desktop cannot be cleaned.");

// Why `desktop` must not be cleaned, naming the folders and saying what to do; none when it may.
// Without a destination (the restore, which moves items onto the Desktop), only the Desktop
// itself is judged.
std::optional<QString> refusal(const QString &desktop, const QString &home,
                               const std::optional<QString> &destination);
} // namespace DesktopSafety
