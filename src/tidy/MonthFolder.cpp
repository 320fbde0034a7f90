// SPDX-License-Identifier: GPL-3.0-or-later
#include "MonthFolder.h"

#include <string>

QString appendingPathComponent(const QString &path, const QString &component) {
    if (path.isEmpty())
        return component;
    QString joined = path;
    while (joined.size() > 1 && joined.endsWith(QLatin1Char('/')))
        joined.chop(1);
    if (!joined.endsWith(QLatin1Char('/')))
        joined += QLatin1Char('/');
    return joined + component;
}

QString capitalizedString(const QString &text) {
    std::u32string out;
    out.reserve(size_t(text.size()));
    bool atWordStart = true;
    for (const uint c : text.toUcs4()) {
        const bool space = QChar::isSpace(c);
        out.push_back(char32_t(space         ? c
                               : atWordStart ? QChar::toTitleCase(c)
                                             : QChar::toLower(c)));
        atWordStart = space;
    }
    return QString::fromStdU32String(out);
}

QString monthFolderName(const QDate &date, const QLocale &locale) {
    return capitalizedString(locale.toString(date, QStringLiteral("MMMM yyyy")));
}
