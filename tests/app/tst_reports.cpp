// SPDX-License-Identifier: GPL-3.0-or-later
// Reports that leave the computer: a crash report written by a crashing process and offered at
// the next start, the usage report's retries, and the feedback window's outcome.
#include "AppSettingsKeys.h"
#include "DMFeedbackController.h"
#include "DMIssuesController.h"
#include "LoopbackServer.h"
#include "ProgramFixture.h"
#include "StandardFolders.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <csignal>

class TestReports : public QObject {
    Q_OBJECT
private slots:
    void init() { s.emplace(); }
    void cleanup() { s.reset(); }

    void aCrashLeavesOneReportOfferedOnce() {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUILLMERE_CRASH_CHILD", "1");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(60'000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        LoopbackServer server;
        server.routes["/crash"] = "ok";
        DMIssuesController issues(StandardFolders::crashReports(), server.url("/crash"));
        const QStringList reports = issues.unhandledReports();
        QCOMPARE(reports.size(), 1);
        const QByteArray report = content(reports[0]);
        QVERIFY2(report.contains("signal: 11\n") && report.contains("backtrace:\n"), report);

        issues.reportUnhandledProblemsIfExists(); // answered "Send Report"
        QTRY_COMPARE(server.requests.size(), 1);
        QCOMPARE(server.requests[0].body, report);
        QTRY_COMPARE(entries(StandardFolders::crashReports()), QStringList{});
        issues.reportUnhandledProblemsIfExists();
        QCOMPARE(s->reports.alerts.filter("quit unexpectedly").size(), 1);
    }

    // Each failure schedules one more attempt, 30 s later, on a timer the test runs.
    void aFailedUsageReportIsRetriedEveryThirtySeconds() {
        LoopbackServer down;
        down.stop();
        qputenv("QUILLMERE_USAGE_REPORT_URL", down.url("/usage").toEncoded());
        s->defaults.setBool(true, SettingsKeys::SendUsageReports);
        QList<std::pair<int, std::function<void()>>> scheduled;
        Program program(s->defaults); // its start sends the first report
        program.delegate->setPerformAfterDelayForTesting(
            [&scheduled](int ms, std::function<void()> call) {
                scheduled.append({ms, call});
            });
        QTRY_COMPARE(scheduled.size(), 1);
        scheduled[0].second();
        QTRY_COMPARE(scheduled.size(), 2);
        QCOMPARE(scheduled[0].first, 30'000);
        QCOMPARE(scheduled[1].first, 30'000);
        QCOMPARE(s->reports.logged("Usage report failed").size(), 2);
        qunsetenv("QUILLMERE_USAGE_REPORT_URL");
    }

    void feedbackCompletesOnceWithTheOutcome_data() {
        QTest::addColumn<bool>("up");
        QTest::newRow("endpoint up") << true;
        QTest::newRow("endpoint down") << false;
    }
    void feedbackCompletesOnceWithTheOutcome() {
        QFETCH(bool, up);
        LoopbackServer server;
        server.routes["/feedback"] = "thanks";
        if (!up)
            server.stop();
        DMFeedbackController feedback(server.url("/feedback"), {});
        QList<bool> completions;
        feedback.showFeedbackWindowInMode(0, [&completions](bool ok) { completions << ok; });
        QDialog *window = feedback.window();
        window->findChild<QPlainTextEdit *>("feedbackMessage")->setPlainText("Cleans are great");
        window->findChild<QPushButton *>("feedbackSend")->click();
        if (up) {
            QTRY_COMPARE(completions, QList<bool>{true});
            QVERIFY(server.requests[0].body.contains("Cleans are great"));
            QVERIFY(server.requests[0].body.contains("Quillmere "));
            QTRY_VERIFY(!feedback.window());
            return;
        }
        auto *status = window->findChild<QLabel *>("feedbackStatus");
        QTRY_VERIFY(status->text().contains("could not be sent"));
        QVERIFY(completions.isEmpty()); // the text stays for another try
        window->reject();
        QCOMPARE(completions, QList<bool>{false});
    }

private:
    std::optional<Sandbox> s;
};

int main(int argc, char **argv) {
    // The crashing child: reports armed, then a fatal signal.
    if (qEnvironmentVariableIsSet("QUILLMERE_CRASH_CHILD")) {
        DMIssuesController issues(StandardFolders::crashReports(), {});
        issues.enableCrashReporting();
        raise(SIGSEGV);
        return 0;
    }
    QApplication app(argc, argv);
    TestReports test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_reports.moc"
