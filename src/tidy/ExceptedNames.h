// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariantList>
#include <optional>

class UserDefaults;

// The excepted file names under ExceptionsObjects: a keyed archive of an array, element i
// belonging to row i of the exceptions table (the item filter reads the names through
// exceptedNames(), ItemFilter.h). Elements that are not names keep their places, so that the
// rows and the array stay parallel. Does not flush the store.
namespace ExceptedNames {
// The stored array, every element in its place; empty when nothing is stored; none when the
// stored value does not decode to an array (the names it protects are then unknown).
std::optional<QVariantList> stored(const UserDefaults &defaults);
// The array to edit: as stored, or empty when it cannot be decoded. Says in the log when the
// value is not an array of names alone.
QVariantList read(const UserDefaults &defaults);
// Stores `array` as a keyed archive.
void write(UserDefaults &defaults, const QVariantList &array);
} // namespace ExceptedNames
