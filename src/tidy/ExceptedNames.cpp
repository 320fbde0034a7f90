// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExceptedNames.h"

#include "ItemFilter.h"
#include "KeyedArchive.h"
#include "Log.h"
#include "SettingsKeys.h"
#include "UserDefaults.h"

namespace {
// Whether the stored value is the archive of a list of strings alone (or absent).
bool storedValueIsSound(const UserDefaults &defaults, qsizetype namesRead) {
    if (!defaults.objectForKey(SettingsKeys::ExceptionsObjects).isValid())
        return true;
    const std::optional<QByteArray> data = defaults.dataForKey(SettingsKeys::ExceptionsObjects);
    const std::optional<QVariant> root =
        data ? KeyedArchive::unarchiveObjectWithData(*data) : std::nullopt;
    return root && root->typeId() == QMetaType::QVariantList && root->toList().size() == namesRead;
}
} // namespace

QStringList ExceptedNames::read(const UserDefaults &defaults) {
    const QStringList names = exceptedNames(defaults);
    if (!storedValueIsSound(defaults, names.size()))
        NSLog(QStringLiteral("ExceptionsObjects is not an archive of file names; using the %1 "
                             "names found in it")
                  .arg(names.size()));
    return names;
}

void ExceptedNames::write(UserDefaults &defaults, const QStringList &names) {
    defaults.setObject(KeyedArchive::archivedDataWithRootObject(QVariant(names).toList()),
                       SettingsKeys::ExceptionsObjects);
}
