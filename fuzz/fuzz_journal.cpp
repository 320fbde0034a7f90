// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds outside bytes to the journal of moves: whatever a disk or a kill left must decode
// without a crash, and every run it gives must be whole.
#include "Log.h"
#include "MoveJournal.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool quiet = (setLogSink([](const QString &) {}), true);
    (void)quiet;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const JournalRun &run : MoveJournal::decode(bytes)) {
        // What the undo and the start-up read of a run stays within its names.
        if (run.attempted > run.names.size())
            __builtin_trap();
        for (const qsizetype index : run.failed)
            if (index < 0 || index >= run.names.size())
                __builtin_trap();
        for (const auto &[index, copy] : run.copies)
            if (index < 0 || index >= run.names.size())
                __builtin_trap();
    }
    return 0;
}
