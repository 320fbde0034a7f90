// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExceptedNames.h"

#include "KeyedArchive.h"
#include "Log.h"
#include "SettingsKeys.h"
#include "UserDefaults.h"

#include <algorithm>

std::optional<QVariantList> ExceptedNames::stored(const UserDefaults &defaults) {
    if (!defaults.objectForKey(SettingsKeys::ExceptionsObjects).isValid())
        return QVariantList();
    const std::optional<QByteArray> data = defaults.dataForKey(SettingsKeys::ExceptionsObjects);
    const std::optional<QVariant> root =
        data ? KeyedArchive::unarchiveObjectWithData(*data) : std::nullopt;
    if (!root || root->typeId() != QMetaType::QVariantList)
        return std::nullopt;
    return root->toList();
}

QVariantList ExceptedNames::read(const UserDefaults &defaults) {
    const std::optional<QVariantList> array = stored(defaults);
    const QVariantList elements = array.value_or(QVariantList());
    const auto names = std::count_if(elements.begin(), elements.end(), [](const QVariant &e) {
        return e.typeId() == QMetaType::QString;
    });
    if (!array || names != elements.size())
        NSLog(QStringLiteral("ExceptionsObjects is not an archive of file names; using the %1 "
                             "names found in it")
                  .arg(names));
    return elements;
}

void ExceptedNames::write(UserDefaults &defaults, const QVariantList &array) {
    defaults.setObject(KeyedArchive::archivedDataWithRootObject(array),
                       SettingsKeys::ExceptionsObjects);
}
