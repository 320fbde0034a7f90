// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExceptedNames.h"

#include "ItemFilter.h"
#include "KeyedArchive.h"
#include "Log.h"
#include "SettingsKeys.h"
#include "UserDefaults.h"

QStringList ExceptedNames::read(const UserDefaults &defaults) {
    bool wellFormed = true;
    const QStringList names = exceptedNames(defaults, &wellFormed);
    if (!wellFormed)
        NSLog(QStringLiteral("ExceptionsObjects is not an archive of file names; using the %1 "
                             "names found in it")
                  .arg(names.size()));
    return names;
}

void ExceptedNames::write(UserDefaults &defaults, const QStringList &names) {
    defaults.setObject(KeyedArchive::archivedDataWithRootObject(QVariant(names).toList()),
                       SettingsKeys::ExceptionsObjects);
}
