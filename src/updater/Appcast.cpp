// SPDX-License-Identifier: GPL-3.0-or-later
#include "Appcast.h"

#include <QXmlStreamReader>

namespace {
const QString sparkleNs = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");
constexpr int maxItems = 1000;
constexpr int maxDepth = 64;

bool isSparkle(const QXmlStreamReader &xml, QLatin1StringView name) {
    return xml.namespaceUri() == sparkleNs && xml.name() == name;
}

QString sparkleAttribute(const QXmlStreamAttributes &attributes, const QString &name) {
    return attributes.value(sparkleNs, name).toString().trimmed();
}

// Reads one <item>, the reader on its start; leaves the reader on its end.
AppcastItem readItem(QXmlStreamReader &xml) {
    AppcastItem item;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (++depth > maxDepth) {
            xml.raiseError(QStringLiteral("elements nested too deep"));
            break;
        }
        if (depth != 2)
            continue;
        const auto text = [&xml, &depth] {
            --depth; // readElementText ends on the element's end
            return xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        };
        if (xml.namespaceUri().isEmpty() && xml.name() == QLatin1String("title"))
            item.title = text();
        else if (xml.namespaceUri().isEmpty() && xml.name() == QLatin1String("description"))
            item.releaseNotes = text();
        else if (isSparkle(xml, QLatin1String("version")))
            item.version = text();
        else if (isSparkle(xml, QLatin1String("shortVersionString")))
            item.displayVersion = text();
        else if (isSparkle(xml, QLatin1String("releaseNotesLink")))
            item.releaseNotesLink = QUrl(text());
        else if (isSparkle(xml, QLatin1String("channel")))
            item.channel = text();
        else if (xml.namespaceUri().isEmpty() && xml.name() == QLatin1String("enclosure")) {
            const auto a = xml.attributes();
            item.downloadUrl = QUrl(a.value(QStringLiteral("url")).toString().trimmed());
            bool ok = false;
            const qint64 length = a.value(QStringLiteral("length")).toLongLong(&ok);
            item.length = ok && length > 0 ? length : -1;
            item.edSignature = QByteArray::fromBase64(
                sparkleAttribute(a, QStringLiteral("edSignature")).toLatin1());
            if (item.version.isEmpty())
                item.version = sparkleAttribute(a, QStringLiteral("version"));
            if (item.displayVersion.isEmpty())
                item.displayVersion = sparkleAttribute(a, QStringLiteral("shortVersionString"));
        }
    }
    if (item.displayVersion.isEmpty())
        item.displayVersion = item.version;
    return item;
}
} // namespace

std::optional<Appcast> Appcast::parse(const QByteArray &bytes, QString *error) {
    QXmlStreamReader xml(bytes);
    Appcast feed;
    bool sawRss = false;
    int depth = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::DTD) {
            xml.raiseError(QStringLiteral("a document type declaration is not allowed"));
            break;
        }
        if (token == QXmlStreamReader::EndElement)
            --depth;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (++depth > maxDepth) {
            xml.raiseError(QStringLiteral("elements nested too deep"));
            break;
        }
        if (depth == 1 && xml.name() != QLatin1String("rss")) {
            xml.raiseError(QStringLiteral("the document is not an RSS feed"));
            break;
        }
        sawRss = true;
        if (depth != 3 || xml.name() != QLatin1String("item"))
            continue;
        if (feed.items.size() == maxItems) {
            xml.raiseError(QStringLiteral("more than %1 items").arg(maxItems));
            break;
        }
        AppcastItem item = readItem(xml);
        --depth; // readItem ended on the item's end
        if (!item.version.isEmpty() && item.downloadUrl.isValid())
            feed.items.append(std::move(item));
    }
    QString reason = xml.hasError() ? xml.errorString() : QString();
    if (reason.isEmpty() && !sawRss)
        reason = QStringLiteral("the document is empty");
    if (!reason.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1 (line %2)").arg(reason).arg(xml.lineNumber());
        return std::nullopt;
    }
    return feed;
}
