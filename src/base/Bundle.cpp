// SPDX-License-Identifier: GPL-3.0-or-later
#include "Bundle.h"

#include <QCoreApplication>

QString Bundle::version() {
    return QStringLiteral(QUILLMERE_VERSION);
}

QString Bundle::bundlePath() {
    return QCoreApplication::applicationFilePath();
}
