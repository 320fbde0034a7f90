// SPDX-License-Identifier: GPL-3.0-or-later
// The update feed comes from the network: any bytes give a feed or a reason, never a crash.
#include "Appcast.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QString error;
    const auto feed =
        Appcast::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &error);
    if (feed)
        for (const AppcastItem &item : feed->items)
            (void)item.version.size();
    return 0;
}
