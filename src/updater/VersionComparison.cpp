// SPDX-License-Identifier: GPL-3.0-or-later
#include "VersionComparison.h"

#include <QList>

namespace {
enum class Kind { Number, Text, Separator };

struct Run {
    Kind kind;
    QString text;
};

Kind kindOf(QChar c) {
    if (c.isDigit())
        return Kind::Number;
    if (c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_') || c.isSpace())
        return Kind::Separator;
    return Kind::Text;
}

QList<Run> runs(const QString &version) {
    QList<Run> out;
    for (const QChar c : version) {
        const Kind kind = kindOf(c);
        // Separators stand alone: "1..2" has two of them.
        if (!out.isEmpty() && out.last().kind == kind && kind != Kind::Separator)
            out.last().text += c;
        else
            out.append({kind, QString(c)});
    }
    return out;
}

int compareNumbers(QString a, QString b) {
    // Any length: leading zeros go, then the longer number is the larger.
    while (a.size() > 1 && a.startsWith(QLatin1Char('0')))
        a.remove(0, 1);
    while (b.size() > 1 && b.startsWith(QLatin1Char('0')))
        b.remove(0, 1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}
} // namespace

int compareVersions(const QString &a, const QString &b) {
    const QList<Run> ra = runs(a), rb = runs(b);
    const qsizetype common = qMin(ra.size(), rb.size());
    for (qsizetype i = 0; i < common; ++i) {
        const Run &x = ra[i], &y = rb[i];
        if (x.kind == y.kind) {
            const int order = x.kind == Kind::Number ? compareNumbers(x.text, y.text)
                              : x.kind == Kind::Text ? x.text.compare(y.text)
                                                     : 0;
            if (order != 0)
                return order < 0 ? -1 : 1;
        } else if (x.kind == Kind::Text || y.kind == Kind::Text) {
            return x.kind == Kind::Text ? -1 : 1;
        } else {
            return x.kind == Kind::Number ? 1 : -1; // a number beats a separator
        }
    }
    if (ra.size() == rb.size())
        return 0;
    const bool aLonger = ra.size() > rb.size();
    const Run &next = aLonger ? ra[common] : rb[common];
    const bool longerIsNewer = next.kind != Kind::Text;
    return aLonger == longerIsNewer ? 1 : -1;
}
