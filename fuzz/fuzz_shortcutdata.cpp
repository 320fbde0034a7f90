// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds outside bytes to the decoder of stored shortcuts (the CleanShortcut setting).
#include "Log.h"
#include "Shortcut.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool quiet = (setLogSink([](const QString &) {}), true);
    (void)quiet;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<Shortcut> shortcut = Shortcut::shortcutWithData(bytes);
    if (!shortcut)
        return 0;
    // A decoded shortcut keeps only the four modifier bits and stores and reads back unchanged.
    if (shortcut->modifierFlags() & ~Shortcut::modifierMask)
        __builtin_trap();
    const std::optional<Shortcut> again = Shortcut::shortcutWithData(shortcut->data());
    if (!again || again->keyCode() != shortcut->keyCode() ||
        again->modifierFlags() != shortcut->modifierFlags())
        __builtin_trap();
    return 0;
}
