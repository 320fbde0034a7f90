// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Appcast.h"

#include <QDateTime>
#include <QObject>
#include <functional>
#include <memory>

class NetworkClient;
class UserDefaults;

// What the updater asks the program.
struct UpdaterDelegate {
    std::function<bool()> updaterShouldCheckForBetaUpdates; // null: no betas
};

// Looks for a newer Quillmere in the update feed, offers it with its release notes, downloads it
// when the user agrees, checks the download against the feed's Ed25519 signature with the
// build's public key, and only then hands it to the desktop's package installer. A download
// whose signature does not match is refused and the user told. Background checks run at most
// once a day (the last check's time is kept in the settings). It installs nothing itself.
class Updater : public QObject {
    Q_OBJECT
public:
    struct Config {
        QUrl feedUrl;
        QByteArray publicKey;   // Ed25519, 32 bytes
        QString currentVersion; // the running build's
    };
    // Hands the verified file at `path` to the desktop's installer; false when it could not.
    using Installer = std::function<bool(const QString &path)>;

    enum class Outcome { Skipped, Failed, UpToDate, Declined, HandedToInstaller, Refused };
    Q_ENUM(Outcome)

    Updater(UserDefaults &defaults, Config config, Installer installer = {},
            QObject *parent = nullptr);
    ~Updater() override;

    // The build's updater, or null when the build names no feed or key.
    static std::unique_ptr<Updater> create(UserDefaults &defaults);

    void setDelegate(UpdaterDelegate delegate) { delegate_ = std::move(delegate); }
    // At most once a day; nothing shows unless a newer version is found or its download is bad.
    void checkForUpdatesInBackground();

    void setClockForTesting(std::function<QDateTime()> now) { now_ = std::move(now); }
    static const QString lastCheckKey; // "SULastCheckTime"

signals:
    void checkFinished(Updater::Outcome outcome);

private:
    void feedArrived(const QByteArray &bytes);
    void offer(const AppcastItem &item);
    void download(const AppcastItem &item);
    void downloaded(const AppcastItem &item, const QByteArray &bytes);
    bool signatureMatches(const AppcastItem &item, const QByteArray &bytes) const;
    void finish(Outcome outcome);

    UserDefaults &defaults_;
    Config config_;
    Installer installer_;
    UpdaterDelegate delegate_;
    std::function<QDateTime()> now_;
    NetworkClient *network_;
    bool checking_ = false;
};
