// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>

namespace Bundle {
// An image of the program's resources by its name ("DefaulticonMenuBar"); null when unknown.
QIcon imageNamed(const QString &name);
} // namespace Bundle
