// SPDX-License-Identifier: GPL-3.0-or-later
#include "Workspace.h"

#include <QFileIconProvider>
#include <QFileInfo>

QIcon Workspace::iconForFile(const QString &path) {
    return QFileIconProvider().icon(QFileInfo(path));
}
