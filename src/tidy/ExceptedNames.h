// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class UserDefaults;

// Editing the excepted file names under ExceptionsObjects (the item filter reads them through
// exceptedNames(), ItemFilter.h). Does not flush the store.
namespace ExceptedNames {
// The names as the filter sees them; a stored value that is not an archive of a list of names
// is said in the log (it then counts as no names, or as the names among its elements).
QStringList read(const UserDefaults &defaults);
// Stores `names` as the keyed archive of an array of strings.
void write(UserDefaults &defaults, const QStringList &names);
} // namespace ExceptedNames
