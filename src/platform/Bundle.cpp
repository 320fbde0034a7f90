// SPDX-License-Identifier: GPL-3.0-or-later
#include "Bundle.h"

#include <QCoreApplication>
#include <QFile>

QString Bundle::version() {
    return QStringLiteral(QUILLMERE_VERSION);
}

QString Bundle::bundlePath() {
    return QCoreApplication::applicationFilePath();
}

QIcon Bundle::imageNamed(const QString &name) {
    const QString path = QStringLiteral(":/images/%1.png").arg(name);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}
