// SPDX-License-Identifier: GPL-3.0-or-later
#include "DMIssuesController.h"

#include "Alerts.h"
#include "Bundle.h"
#include "Endpoints.h"
#include "Log.h"
#include "NetworkClient.h"
#include "StandardFolders.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Everything the signal handler needs, made ready before any crash: it may not allocate.
int reportFd = -1;
char pendingPath[4096];
char reportPath[4096];
char versionText[64];
char exceptionNote[512];
const int fatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP};
constexpr qint64 maxReportBytes = 1 << 20;

void put(int fd, const char *text) {
    size_t left = strlen(text);
    while (left > 0) {
        const ssize_t n = write(fd, text, left);
        if (n <= 0 && errno != EINTR)
            return;
        if (n > 0) {
            text += n;
            left -= size_t(n);
        }
    }
}

void putNumber(int fd, int value) {
    char digits[16];
    int i = sizeof digits - 1;
    digits[i] = '\0';
    unsigned v = value < 0 ? 0u : unsigned(value);
    do {
        digits[--i] = char('0' + v % 10);
        v /= 10;
    } while (v && i > 0);
    put(fd, digits + i);
}

extern "C" void writeCrashReport(int signal) {
    const int fd = reportFd;
    if (fd >= 0) {
        reportFd = -1; // a second fault while writing ends the program plainly
        put(fd, "Quillmere crash report\nversion: ");
        put(fd, versionText);
        put(fd, "\nsignal: ");
        putNumber(fd, signal);
        put(fd, "\n");
        if (exceptionNote[0]) {
            put(fd, exceptionNote);
            put(fd, "\n");
        }
        put(fd, "backtrace:\n");
        void *frames[64];
        backtrace_symbols_fd(frames, backtrace(frames, 64), fd);
        fsync(fd);
        close(fd);
        rename(pendingPath, reportPath);
    }
    // The handler was reset on entry: the signal, raised again, ends the program as it would have.
    raise(signal);
}

void copyInto(char *target, size_t size, const QByteArray &text) {
    const size_t n = qMin(size - 1, size_t(text.size()));
    memcpy(target, text.constData(), n);
    target[n] = '\0';
}

bool processIsGone(const QString &pendingName) {
    bool ok = false;
    const pid_t pid = pendingName.section(QLatin1Char('-'), 1).toInt(&ok);
    return ok && pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH;
}
} // namespace

DMIssuesController::DMIssuesController(QString folder, QUrl endpoint, QObject *parent)
    : QObject(parent)
    , folder_(std::move(folder))
    , endpoint_(std::move(endpoint)) {}

DMIssuesController::~DMIssuesController() {
    if (enabled_ && reportFd >= 0) {
        close(std::exchange(reportFd, -1));
        unlink(pendingPath);
    }
}

DMIssuesController &DMIssuesController::sharedController() {
    static DMIssuesController controller(StandardFolders::crashReports(),
                                         Endpoints::crashReports());
    return controller;
}

void DMIssuesController::prepareReportFile() {
    if (!QDir().mkpath(folder_)) {
        NSLog(QStringLiteral("Cannot create %1: crashes will leave no report").arg(folder_));
        return;
    }
    // Files of earlier starts that ended without a crash, or were killed.
    for (const QFileInfo &info :
         QDir(folder_).entryInfoList({QStringLiteral(".pending-*")}, QDir::Files | QDir::Hidden))
        if (processIsGone(info.fileName()) && info.size() == 0)
            QFile::remove(info.filePath());
    const QString pending = QDir(folder_).filePath(QStringLiteral(".pending-%1").arg(getpid()));
    const QString report = QDir(folder_).filePath(
        QStringLiteral("crash-%1-%2.txt")
            .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss")))
            .arg(getpid()));
    copyInto(pendingPath, sizeof pendingPath, QFile::encodeName(pending));
    copyInto(reportPath, sizeof reportPath, QFile::encodeName(report));
    copyInto(versionText, sizeof versionText, Bundle::version().toUtf8());
    reportFd = open(pendingPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (reportFd < 0)
        NSLog(QStringLiteral("Cannot open %1: crashes will leave no report").arg(pending));
}

void DMIssuesController::enableCrashReporting() {
    if (std::exchange(enabled_, true))
        return;
    prepareReportFile();
    // backtrace() loads its unwinder on first use, which allocates: do it now, not in a crash.
    void *frame[1];
    backtrace(frame, 1);
    static std::vector<char> altStack(1 << 16);
    stack_t stack{};
    stack.ss_sp = altStack.data();
    stack.ss_size = altStack.size();
    sigaltstack(&stack, nullptr); // a stack overflow still leaves a report
    struct sigaction action {};
    action.sa_handler = writeCrashReport;
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int signal : fatalSignals)
        sigaction(signal, &action, nullptr);
}

void DMIssuesController::enableUncaughtExceptionReporting() {
    std::set_terminate([] {
        QByteArray note = "uncaught exception";
        if (const auto current = std::current_exception()) {
            try {
                std::rethrow_exception(current);
            } catch (const std::exception &e) {
                note += QByteArray(": ") + e.what();
            } catch (...) {
            }
        }
        copyInto(exceptionNote, sizeof exceptionNote, note);
        std::abort();
    });
}

QStringList DMIssuesController::unhandledReports() const {
    QStringList paths;
    const QDir dir(folder_);
    for (const QString &name :
         dir.entryList({QStringLiteral("crash-*.txt")}, QDir::Files, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

void DMIssuesController::reportUnhandledProblemsIfExists() {
    const QStringList reports = unhandledReports();
    if (reports.isEmpty())
        return;
    NSLog(QStringLiteral("%1 crash report(s) found in %2").arg(reports.size()).arg(folder_));
    Alert alert;
    alert.title = tr("Quillmere quit unexpectedly");
    const bool canSend = !endpoint_.isEmpty();
    alert.message =
        (canSend ? tr("A report of what happened can be sent to Quillmere's developers. It holds "
                      "the program's version and where it stopped, nothing personal.")
                 : tr("A report of what happened is kept in %1; you may attach it to your "
                      "feedback."))
            .arg(folder_);
    alert.buttons = {canSend ? tr("Send Report") : tr("Keep Report"), tr("Discard")};
    Alerts::beginSheet(alert, this, [this, reports](int code) { act(reports, code); });
}

void DMIssuesController::act(const QStringList &reports, int returnCode) {
    for (const QString &path : reports) {
        // Answered: it is not offered again, whatever becomes of it.
        const QString offered = path + QStringLiteral(".offered");
        if (returnCode != Alerts::FirstButtonReturn) {
            QFile::remove(path);
            continue;
        }
        if (!QFile::rename(path, offered))
            QFile::remove(path);
        if (endpoint_.isEmpty())
            continue;
        QFile file(offered);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        NetworkClient::Request request;
        request.url = endpoint_;
        request.contentType = "text/plain; charset=utf-8";
        request.postBody = file.read(maxReportBytes);
        NetworkClient::shared().send(request, this, [offered](const NetworkReply &reply) {
            if (reply.ok)
                QFile::remove(offered);
            NSLog(reply.ok ? QStringLiteral("Crash report sent")
                           : QStringLiteral("Crash report not sent (%1); it stays in %2")
                                 .arg(reply.error, offered));
        });
    }
    NSLog(returnCode == Alerts::FirstButtonReturn ? QStringLiteral("Crash reports accepted")
                                                  : QStringLiteral("Crash reports discarded"));
    emit reportsHandled();
}
