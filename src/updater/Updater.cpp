// SPDX-License-Identifier: GPL-3.0-or-later
#include "Updater.h"

#include "Alerts.h"
#include "Bundle.h"
#include "Endpoints.h"
#include "Log.h"
#include "NetworkClient.h"
#include "StandardFolders.h"
#include "UserDefaults.h"
#include "VersionComparison.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextDocumentFragment>
#include <sodium.h>

const QString Updater::lastCheckKey = QStringLiteral("SULastCheckTime");

namespace {
constexpr qint64 maxFeedBytes = 2 << 20;
constexpr qint64 maxDownloadBytes = qint64(512) << 20;

bool openInPackageInstaller(const QString &path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
} // namespace

Updater::Updater(UserDefaults &defaults, Config config, Installer installer, QObject *parent)
    : QObject(parent)
    , defaults_(defaults)
    , config_(std::move(config))
    , installer_(installer ? std::move(installer) : Installer(openInPackageInstaller))
    , now_(&QDateTime::currentDateTimeUtc)
    , network_(new NetworkClient(this)) {
    if (sodium_init() < 0)
        NSLog(QStringLiteral("The signature library cannot start: updates will be refused"));
}

Updater::~Updater() = default;

std::unique_ptr<Updater> Updater::create(UserDefaults &defaults) {
    Config config{Endpoints::updateFeed(), Endpoints::updatePublicKey(), Bundle::version()};
    if (config.feedUrl.isEmpty() || config.publicKey.isEmpty())
        return nullptr;
    return std::make_unique<Updater>(defaults, std::move(config));
}

void Updater::checkForUpdatesInBackground() {
    const QDateTime now = now_();
    const QVariant last = defaults_.objectForKey(lastCheckKey);
    if (checking_ || (last.typeId() == QMetaType::QDateTime && last.toDateTime() <= now &&
                      last.toDateTime().secsTo(now) < 24 * 60 * 60)) {
        NSLog(QStringLiteral("Update check skipped: the last one was less than a day ago"));
        return finish(Outcome::Skipped);
    }
    checking_ = true;
    defaults_.setObject(now, lastCheckKey);
    NSLog(QStringLiteral("Update Check at: %1").arg(now.toLocalTime().toString(Qt::ISODate)));
    NetworkClient::Request request;
    request.url = config_.feedUrl;
    request.maxBytes = maxFeedBytes;
    network_->send(request, this, [this](const NetworkReply &reply) {
        if (!reply.ok) {
            NSLog(QStringLiteral("Update check failed: %1").arg(reply.error));
            return finish(Outcome::Failed);
        }
        feedArrived(reply.body);
    });
}

void Updater::feedArrived(const QByteArray &bytes) {
    QString error;
    const auto feed = Appcast::parse(bytes, &error);
    if (!feed) {
        NSLog(QStringLiteral("The update feed %1 cannot be read: %2")
                  .arg(config_.feedUrl.toDisplayString(), error));
        return finish(Outcome::Failed);
    }
    const bool betas =
        delegate_.updaterShouldCheckForBetaUpdates && delegate_.updaterShouldCheckForBetaUpdates();
    const AppcastItem *best = nullptr;
    for (const AppcastItem &item : feed->items) {
        if (!item.channel.isEmpty() && !betas)
            continue;
        if (!best || compareVersions(item.version, best->version) > 0)
            best = &item;
    }
    if (!best || compareVersions(best->version, config_.currentVersion) <= 0) {
        NSLog(QStringLiteral("Quillmere %1 is up to date").arg(config_.currentVersion));
        return finish(Outcome::UpToDate);
    }
    offer(*best);
}

void Updater::offer(const AppcastItem &item) {
    Alert alert;
    alert.style = Alert::Informational;
    alert.title = tr("Quillmere %1 is available").arg(item.displayVersion);
    QString notes = QTextDocumentFragment::fromHtml(item.releaseNotes).toPlainText().trimmed();
    if (notes.isEmpty() && item.releaseNotesLink.isValid())
        notes = tr("Release notes: %1").arg(item.releaseNotesLink.toDisplayString());
    alert.message = tr("You have %1.").arg(config_.currentVersion) +
                    (notes.isEmpty() ? QString() : QStringLiteral("\n\n") + notes);
    alert.buttons = {tr("Install Update"), tr("Not Now")};
    Alerts::beginSheet(alert, this, [this, item](int code) {
        if (code != Alerts::FirstButtonReturn)
            return finish(Outcome::Declined);
        download(item);
    });
}

void Updater::download(const AppcastItem &item) {
    NetworkClient::Request request;
    request.url = item.downloadUrl;
    request.maxBytes = item.length > 0 ? qMin(item.length, maxDownloadBytes) : maxDownloadBytes;
    request.timeoutMs = 60'000;
    network_->send(request, this, [this, item](const NetworkReply &reply) {
        if (!reply.ok) {
            NSLog(QStringLiteral("The update download failed: %1").arg(reply.error));
            return finish(Outcome::Failed);
        }
        downloaded(item, reply.body);
    });
}

bool Updater::signatureMatches(const AppcastItem &item, const QByteArray &bytes) const {
    if (item.edSignature.size() != crypto_sign_BYTES ||
        config_.publicKey.size() != crypto_sign_PUBLICKEYBYTES)
        return false;
    if (item.length > 0 && item.length != bytes.size())
        return false;
    return crypto_sign_verify_detached(
               reinterpret_cast<const unsigned char *>(item.edSignature.constData()),
               reinterpret_cast<const unsigned char *>(bytes.constData()),
               static_cast<unsigned long long>(bytes.size()),
               reinterpret_cast<const unsigned char *>(config_.publicKey.constData())) == 0;
}

void Updater::downloaded(const AppcastItem &item, const QByteArray &bytes) {
    if (!signatureMatches(item, bytes)) {
        NSLog(QStringLiteral("The update from %1 was refused: its signature does not match")
                  .arg(item.downloadUrl.toDisplayString()));
        Alert alert;
        alert.style = Alert::Critical;
        alert.title = tr("The update cannot be installed");
        alert.message = tr("The downloaded file is not signed by Quillmere's developers, so it "
                           "was not installed. Quillmere %1 stays as it is.")
                            .arg(config_.currentVersion);
        alert.buttons = {tr("OK")};
        Alerts::beginSheet(alert, this, [](int) {});
        return finish(Outcome::Refused);
    }
    const QString folder = StandardFolders::cacheFolder() + QStringLiteral("/updates");
    QString name = QFileInfo(item.downloadUrl.path()).fileName();
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name = QStringLiteral("quillmere-%1.deb").arg(item.version);
    QSaveFile file(QDir(folder).filePath(name));
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        NSLog(
            QStringLiteral("The update cannot be kept in %1: %2").arg(folder, file.errorString()));
        return finish(Outcome::Failed);
    }
    NSLog(QStringLiteral("Handing %1 to the package installer").arg(file.fileName()));
    if (!installer_(file.fileName())) {
        NSLog(QStringLiteral("No package installer opened %1").arg(file.fileName()));
        return finish(Outcome::Failed);
    }
    finish(Outcome::HandedToInstaller);
}

void Updater::finish(Outcome outcome) {
    if (outcome != Outcome::Skipped)
        checking_ = false;
    emit checkFinished(outcome);
}
