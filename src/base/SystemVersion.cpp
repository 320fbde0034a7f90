// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemVersion.h"

#include <QString>
#include <optional>

namespace {
std::optional<double> & override() {
    static std::optional<double> value;
    return value;
}
constexpr double newestGeneration = 2299.0;
} // namespace

double SystemVersion::appKitVersionNumber() {
    if (override())
        return *override();
    bool ok = false;
    const double fromEnvironment = qEnvironmentVariable("QUILLMERE_APPKIT_VERSION").toDouble(&ok);
    return ok ? fromEnvironment : newestGeneration;
}

void SystemVersion::setAppKitVersionNumber(double version) {
    override() = version;
}
