// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>

namespace Workspace {
// The icon the desktop shows for the file or folder at `path` (its theme's icon for the type).
// Needs a QApplication.
QIcon iconForFile(const QString &path);
} // namespace Workspace
