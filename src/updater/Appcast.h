// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

// One offered version of an update feed.
struct AppcastItem {
    QString title;
    QString version;        // the build version, compared with compareVersions
    QString displayVersion; // shown to the user; the version when the feed gives none
    QString releaseNotes;   // the item's description (HTML or text)
    QUrl releaseNotesLink;
    QString channel; // empty: for everyone; any other: only for those who want betas
    QUrl downloadUrl;
    qint64 length = -1;     // the download's size in bytes, -1 when not given
    QByteArray edSignature; // Ed25519 signature of the download, decoded from base64
};

// An update feed: an RSS document whose items carry the update's version, release notes and an
// enclosure (the download, its size and its signature) in the "sparkle" XML namespace. The
// bytes come from outside: anything that is not such a document is refused with the reason, and
// a document type declaration (entities) is refused too. Items without a version or a download
// are left out.
struct Appcast {
    QList<AppcastItem> items;

    static std::optional<Appcast> parse(const QByteArray &bytes, QString *error = nullptr);
};
