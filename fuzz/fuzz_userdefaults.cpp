// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds outside bytes to the settings loader, as if they were the settings file.
#include "PropertyList.h"
#include "UserDefaults.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto values = UserDefaults::valuesFromData(bytes);
    if (!values)
        return 0;
    // Settings that load must save and load again.
    const auto again = PropertyList::binaryData(*values);
    if (!again || !UserDefaults::valuesFromData(*again))
        __builtin_trap();
    return 0;
}
