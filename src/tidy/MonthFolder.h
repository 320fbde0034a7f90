// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

// Where cleaned items go: destination / "Quillmere" / month folder. Pure functions over text:
// nothing here looks at the disk.

// The application's own folder under the destination, and a Desktop entry that is never moved.
inline const QString applicationFolderName = QStringLiteral("Quillmere");

// "/a/b/" + "c" → "/a/b/c"; "" + "c" → "c"; "/" + "c" → "/c".
QString appendingPathComponent(const QString &path, const QString &component);

// Every word (a run of characters between white space) with its first character in title case
// and the rest in lower case: "décembre 2026" → "Décembre 2026".
QString capitalizedString(const QString &text);

// The month folder's name for `date`: the full month name and the four-digit year ("MMMM yyyy")
// as `locale` writes them, capitalised: "December 2026", "Dezember 2026", "Décembre 2026".
QString monthFolderName(const QDate &date = QDate::currentDate(),
                        const QLocale &locale = QLocale::system());
