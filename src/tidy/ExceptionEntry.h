// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QString>
#include <QVariant>
#include <optional>

// One row of the exceptions table: the item's name without its last extension, and its icon.
// Stored as the dictionary {"name": string, "image": PNG data}. Knows nothing of the settings
// or of the file the rows are saved in.
struct ExceptionEntry {
    QString name;
    QByteArray image; // PNG; empty when the desktop gave no icon

    // The row for the item at `path`: "notes.txt" → "notes", "Projects" → "Projects", with the
    // icon the desktop shows for it. Needs a QApplication.
    static ExceptionEntry forItemAtPath(const QString &path);

    // The stored dictionary, and back. Not a dictionary or no string "name": none. An "image"
    // that is not data gives a row without an icon rather than no row.
    QVariant toVariant() const;
    static std::optional<ExceptionEntry> fromVariant(const QVariant &value);

    // The dictionary as the log shows it: the image by its size, not its bytes.
    QVariant toLogVariant() const;

    QIcon icon() const;

    friend bool operator==(const ExceptionEntry &, const ExceptionEntry &) = default;
};

// "notes.txt" → "notes", "Archive.2014" → "Archive", "a.tar.gz" → "a.tar", ".bashrc" → ".bashrc",
// "Projects" → "Projects": the last extension goes, a leading dot is not one.
QString deletingPathExtension(const QString &fileName);
