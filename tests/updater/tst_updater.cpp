// SPDX-License-Identifier: GPL-3.0-or-later
// The updater against an update feed served on the loopback: what it offers, what it refuses.
#include "LoopbackServer.h"
#include "StandIns.h"
#include "Updater.h"
#include "VersionComparison.h"

#include <QSignalSpy>
#include <QtTest>
#include <sodium.h>

namespace {
QByteArray feedWith(const QByteArray &version, const QByteArray &channel, const QUrl &download,
                    qsizetype length, const QByteArray &signature) {
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
           "<channel><title>Quillmere</title><item><title>Quillmere " +
           version + "</title><description><![CDATA[<p>Notes of " + version +
           "</p>]]></description>" +
           (channel.isEmpty() ? "" : "<sparkle:channel>" + channel + "</sparkle:channel>") +
           "<enclosure url=\"" + download.toEncoded() + "\" length=\"" +
           QByteArray::number(length) + "\" type=\"application/vnd.debian.binary-package\" " +
           "sparkle:version=\"" + version + "\" sparkle:edSignature=\"" + signature.toBase64() +
           "\"/></item></channel></rss>";
}
} // namespace

class TestUpdater : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(sodium_init() >= 0); }

    void versionsCompareAsFeedsNumberThem_data() {
        QTest::addColumn<QString>("older");
        QTest::addColumn<QString>("newer");
        QTest::newRow("numbers, not text") << "1.9"
                                           << "1.10";
        QTest::newRow("a longer number") << "1.0"
                                         << "1.0.1";
        QTest::newRow("a beta before its release") << "1.0b1"
                                                   << "1.0";
        QTest::newRow("beta numbers") << "1.0b2"
                                      << "1.0b10";
        QTest::newRow("text before a separator") << "1.0a"
                                                 << "1.0.1";
        QTest::newRow("leading zeros") << "2.09"
                                       << "2.10";
    }
    void versionsCompareAsFeedsNumberThem() {
        QFETCH(QString, older);
        QFETCH(QString, newer);
        QVERIFY(compareVersions(older, newer) < 0);
        QVERIFY(compareVersions(newer, older) > 0);
        QCOMPARE(compareVersions(newer, newer), 0);
    }

    void aCheckOffersOnlyANewerTrustedVersion_data() {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("channel");
        QTest::addColumn<bool>("betas");
        QTest::addColumn<bool>("signedRight");
        QTest::addColumn<Updater::Outcome>("outcome");
        using O = Updater::Outcome;
        QTest::newRow("newer") << QByteArray("2.0.1") << QByteArray() << false << true
                               << O::HandedToInstaller;
        QTest::newRow("older") << QByteArray("0.9") << QByteArray() << true << true << O::UpToDate;
        QTest::newRow("beta only, betas NO")
            << QByteArray("3.0b1") << QByteArray("beta") << false << true << O::UpToDate;
        QTest::newRow("beta only, betas YES")
            << QByteArray("3.0b1") << QByteArray("beta") << true << true << O::HandedToInstaller;
        QTest::newRow("bad signature")
            << QByteArray("2.0.1") << QByteArray() << false << false << O::Refused;
        QTest::newRow("malformed feed")
            << QByteArray() << QByteArray() << false << true << O::Failed;
    }
    void aCheckOffersOnlyANewerTrustedVersion() {
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, channel);
        QFETCH(bool, betas);
        QFETCH(bool, signedRight);
        QFETCH(Updater::Outcome, outcome);
        Sandbox s;
        LoopbackServer server;
        unsigned char publicKey[crypto_sign_PUBLICKEYBYTES], secretKey[crypto_sign_SECRETKEYBYTES];
        crypto_sign_keypair(publicKey, secretKey);
        const QByteArray package = "!<arch>\nquillmere " + version;
        QByteArray signature(crypto_sign_BYTES, '\0');
        crypto_sign_detached(reinterpret_cast<unsigned char *>(signature.data()), nullptr,
                             reinterpret_cast<const unsigned char *>(package.constData()),
                             package.size(), secretKey);
        if (!signedRight)
            signature[0] = char(signature[0] ^ 1);
        server.routes["/quillmere.deb"] = package;
        server.routes["/appcast.xml"] =
            version.isEmpty() ? QByteArray("<rss><channel><item><title>cut off")
                              : feedWith(version, channel, server.url("/quillmere.deb"),
                                         package.size(), signature);

        QStringList installed;
        Updater updater(s.defaults,
                        {server.url("/appcast.xml"),
                         QByteArray(reinterpret_cast<const char *>(publicKey), sizeof publicKey),
                         "1.0"},
                        [&installed](const QString &path) {
                            installed << path;
                            return true;
                        });
        updater.setDelegate({[betas] {
            return betas;
        }});
        QSignalSpy finished(&updater, &Updater::checkFinished);
        updater.checkForUpdatesInBackground();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished[0][0].value<Updater::Outcome>(), outcome);

        const bool offered =
            outcome == Updater::Outcome::HandedToInstaller || outcome == Updater::Outcome::Refused;
        QCOMPARE(s.reports.alerts.filter("Notes of " + version).size(), offered ? 1 : 0);
        QCOMPARE(installed.size(), outcome == Updater::Outcome::HandedToInstaller ? 1 : 0);
        if (!installed.isEmpty())
            QCOMPARE(content(installed[0]), package);
        if (outcome == Updater::Outcome::Refused)
            QCOMPARE(s.reports.alerts.filter("cannot be installed").size(), 1);
        if (outcome == Updater::Outcome::Failed)
            QCOMPARE(s.reports.logged("cannot be read").size(), 1);

        // Once a day: a second check at start the same day asks nothing.
        const auto asked = server.requests.size();
        updater.checkForUpdatesInBackground();
        QCOMPARE(finished.last()[0].value<Updater::Outcome>(), Updater::Outcome::Skipped);
        QCOMPARE(server.requests.size(), asked);
    }

private:
};

QTEST_MAIN(TestUpdater)
#include "tst_updater.moc"
