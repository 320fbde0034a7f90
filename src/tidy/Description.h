// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

// Values written out for the log in the property-list style of the "%@" lines: lists as
// "(\n    a,\n    \"b c\"\n)", dictionaries as "{\n    key = value;\n}". Strings are quoted
// when they hold anything but letters, digits and "_.$/:-".
QString description(const QVariant &value);

// An item list (file names as bytes, shown readably when they are not UTF-8).
QString description(const QList<QByteArray> &names);
