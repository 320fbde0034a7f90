// SPDX-License-Identifier: GPL-3.0-or-later
#include "Description.h"

#include "Log.h"

namespace {
QString quotedIfNeeded(const QString &text) {
    bool plain = !text.isEmpty();
    for (const QChar c : text) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && !QStringLiteral("_.$/:-").contains(c))
            plain = false;
    }
    if (plain)
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString indentation(int level) {
    return QString(level * 4, QLatin1Char(' '));
}

QString describe(const QVariant &value, int level) {
    switch (value.typeId()) {
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        const QVariantList list = value.toList();
        QString out = QStringLiteral("(\n");
        for (qsizetype i = 0; i < list.size(); ++i)
            out += indentation(level + 1) + describe(list[i], level + 1) +
                   (i + 1 < list.size() ? QStringLiteral(",\n") : QStringLiteral("\n"));
        return out + indentation(level) + QLatin1Char(')');
    }
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        QString out = QStringLiteral("{\n");
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            out += indentation(level + 1) + quotedIfNeeded(it.key()) + QStringLiteral(" = ") +
                   describe(it.value(), level + 1) + QStringLiteral(";\n");
        return out + indentation(level) + QLatin1Char('}');
    }
    case QMetaType::QString:
        return quotedIfNeeded(value.toString());
    case QMetaType::QByteArray:
        return QLatin1Char('<') + QString::fromLatin1(value.toByteArray().toHex(' ')) +
               QLatin1Char('>');
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::UnknownType:
        return QStringLiteral("(null)");
    default:
        if (value.canConvert<QString>())
            return quotedIfNeeded(value.toString());
        return QLatin1Char('<') + QString::fromLatin1(value.typeName()) + QLatin1Char('>');
    }
}
} // namespace

QString description(const QVariant &value) {
    return describe(value, 0);
}

QString description(const QList<QByteArray> &names) {
    QStringList readable;
    readable.reserve(names.size());
    for (const QByteArray &name : names)
        readable.append(readableName(name));
    return describe(readable, 0);
}
