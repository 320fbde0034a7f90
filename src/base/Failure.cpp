// SPDX-License-Identifier: GPL-3.0-or-later
#include "Failure.h"

#include <cstring>

QString errorText(int errnoValue) {
    const char *text = strerrordesc_np(errnoValue);
    return text ? QString::fromUtf8(text) : QStringLiteral("error %1").arg(errnoValue);
}
