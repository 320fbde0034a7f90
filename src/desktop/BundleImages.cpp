// SPDX-License-Identifier: GPL-3.0-or-later
#include "BundleImages.h"

#include <QFile>

QIcon Bundle::imageNamed(const QString &name) {
    const QString path = QStringLiteral(":/images/%1.png").arg(name);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}
