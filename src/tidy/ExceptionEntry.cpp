// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExceptionEntry.h"

#include "Workspace.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPixmap>

namespace {
const QString nameKey = QStringLiteral("name");
const QString imageKey = QStringLiteral("image");
constexpr int iconSize = 32;
} // namespace

QString deletingPathExtension(const QString &fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}

ExceptionEntry ExceptionEntry::forItemAtPath(const QString &path) {
    ExceptionEntry entry;
    const QFileInfo info(path);
    entry.name = deletingPathExtension(info.fileName());
    const QPixmap pixmap = Workspace::iconForFile(path).pixmap(iconSize, iconSize);
    if (!pixmap.isNull()) {
        QBuffer buffer(&entry.image);
        buffer.open(QIODevice::WriteOnly);
        pixmap.save(&buffer, "PNG");
    }
    return entry;
}

QVariant ExceptionEntry::toVariant() const {
    return QVariantMap{{nameKey, name}, {imageKey, image}};
}

std::optional<ExceptionEntry> ExceptionEntry::fromVariant(const QVariant &value) {
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = value.toMap();
    const QVariant name = map.value(nameKey);
    if (name.typeId() != QMetaType::QString)
        return std::nullopt;
    const QVariant image = map.value(imageKey);
    return ExceptionEntry{name.toString(), image.typeId() == QMetaType::QByteArray
                                               ? image.toByteArray()
                                               : QByteArray()};
}

QVariant ExceptionEntry::toLogVariant() const {
    return QVariantMap{{nameKey, name},
                       {imageKey, QStringLiteral("<PNG image, %1 bytes>").arg(image.size())}};
}

QIcon ExceptionEntry::icon() const {
    QPixmap pixmap;
    if (image.isEmpty() || !pixmap.loadFromData(image, "PNG"))
        return {};
    return QIcon(pixmap);
}
