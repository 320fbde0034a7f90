// SPDX-License-Identifier: GPL-3.0-or-later
#include "Strings.h"

#include <QCoreApplication>

QString localizedString(const QString &key) {
    const QByteArray utf8 = key.toUtf8();
    return QCoreApplication::translate("Quillmere", utf8.constData());
}
