// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds outside bytes to the keyed-archive decoder (stored shortcuts, the exceptions list).
#include "KeyedArchive.h"
#include "Log.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool quiet = (setLogSink([](const QString &) {}), true);
    (void)quiet;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto root = KeyedArchive::unarchiveObjectWithData(bytes);
    if (!root)
        return 0;
    // Whatever decodes must archive again and decode again.
    const QByteArray again = KeyedArchive::archivedDataWithRootObject(*root);
    if (again.isEmpty() || !KeyedArchive::unarchiveObjectWithData(again))
        __builtin_trap();
    return 0;
}
