// SPDX-License-Identifier: GPL-3.0-or-later
// The item filter over a folder of 100,000 entries against `ls -f` listing the same folder.
// Usage: bench_listing [--small]   (--small: 10,000 entries)
#include "BenchSupport.h"
#include "ItemFilter.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int count = bench::smallSizes(argc, argv) ? 10000 : 100000;
    bench::Home home(QDir::tempPath());
    const QByteArray desktop = bench::native(home.desktop());
    bench::makeFiles(desktop, count);
    UserDefaults defaults(UserDefaults::standardFilePath());
    const ItemFilter filter(defaults);
    std::printf("listing a folder of %d entries\n", count);

    qsizetype found = 0;
    const auto times = bench::bestOfRounds(
        7, [] {},
        {[&] { bench::shell("ls -f " + bench::quoted(desktop) + " > /dev/null"); },
         [&] {
             found = filter.cleanableItemsInFolder(home.desktop()).size();
         }},
        [] {});
    const double ls = times[0], ours = times[1];
    if (found != count) {
        std::fprintf(stderr, "the filter found %lld items\n", static_cast<long long>(found));
        return 1;
    }
    bench::line("ls -f", ls);
    bench::line("cleanableItemsInFolder", ours);
    bench::ratio("cleanableItemsInFolder / ls -f", ours / ls, "<= 1.5x", ours / ls <= 1.5);
    return 0;
}
