// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApplicationMain.h"

#include "AppDelegate.h"
#include "ApplicationBus.h"
#include "Bundle.h"
#include "Cleaner.h"
#include "CommandLine.h"
#include "CommandRun.h"
#include "GraphicalSession.h"
#include "Log.h"
#include "MainMenu.h"
#include "MenuBarWindow.h"
#include "StandardFolders.h"
#include "StatusAdaptor.h"
#include "Translations.h"
#include "UserDefaults.h"
#include "ui_MainContent.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {
// The name on the session bus, the launcher's file name and the metainfo id.
const QString applicationId = QStringLiteral("org.quillmere.Quillmere");

QStringList argumentsOf(int argc, char **argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

void print(FILE *stream, const QString &text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    if (!bytes.endsWith('\n'))
        std::fputc('\n', stream);
}

// Everything but a window: help, version, a wrong command line, and the clean, restore or quit
// that a running Quillmere does, or this process without a window.
int runCommand(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    installTranslations(app);
    // Read again now that its help and its errors can be in the user's language.
    const CommandLine command(QCoreApplication::arguments());
    switch (command.action()) {
    case CommandLine::Action::Help:
        print(stdout, command.helpText());
        return CommandRun::Done;
    case CommandLine::Action::Version:
        print(stdout, CommandLine::versionText());
        return CommandRun::Done;
    case CommandLine::Action::Error:
        print(stderr, QCoreApplication::translate("ApplicationMain",
                                                  "quillmere: %1 (quillmere --help lists the "
                                                  "options)")
                          .arg(command.error()));
        return CommandRun::Usage;
    case CommandLine::Action::Clean:
    case CommandLine::Action::Restore:
    case CommandLine::Action::Undo:
    case CommandLine::Action::Quit:
    case CommandLine::Action::Start:
    case CommandLine::Action::Show:
    case CommandLine::Action::RestoreChooser:
        break;
    }
    if (!command.verbose())
        setLogSink([](const QString &) {}); // a command says what it has to in one line

    // A running Quillmere does it, with its window and its notices.
    if (const auto error = ApplicationBus::handOver(applicationId, command.actionName(),
                                                    command.actionParameters())) {
        if (error->isEmpty())
            return CommandRun::Done;
        print(stderr,
              QCoreApplication::translate("ApplicationMain", "The running Quillmere refused: %1")
                  .arg(*error));
        return CommandRun::NotDone;
    }
    if (command.action() == CommandLine::Action::Quit)
        return CommandRun::Done; // nothing runs that could quit
    if (command.action() == CommandLine::Action::Undo)
        return CommandRun::undo();
    UserDefaults defaults(UserDefaults::standardFilePath());
    return command.action() == CommandLine::Action::Clean
               ? CommandRun::clean(defaults)
               : CommandRun::restore(defaults, command.folder());
}

// What a later start hands over: showing the window, a clean or restore told by notices, quitting.
void answerLaterStarts(ApplicationBus &bus, AppDelegate &delegate, MenuBarWindow &window,
                       const Ui::MainContent &ui) {
    const auto show = [&window] {
        window.show();
        window.raise();
        window.activateWindow();
    };
    bus.setActivate(show);
    bus.addAction(QStringLiteral("show"), [show](const QVariantList &) {
        show();
        return QString();
    });
    bus.addAction(QStringLiteral("clean"), [&delegate](const QVariantList &) {
        delegate.cleanFromCommandLine();
        return QString();
    });
    // The launcher's "Restore…" opens the chooser; the command line names its folder.
    bus.addAction(QStringLiteral("restore"), [&delegate](const QVariantList &parameters) {
        if (parameters.isEmpty()) {
            delegate.restoreFiles();
            return QString();
        }
        if (parameters.size() != 1 || parameters[0].typeId() != QMetaType::QString)
            return QCoreApplication::translate("ApplicationMain", "restore takes one folder");
        delegate.restoreFromCommandLine(parameters[0].toString());
        return QString();
    });
    bus.addAction(QStringLiteral("undo"), [&delegate](const QVariantList &) {
        return delegate.undoLastClean() ? QString() : QStringLiteral("there is no clean to undo");
    });
    bus.addAction(QStringLiteral("quit"), [](const QVariantList &) {
        // After the answer has gone out.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QString();
    });
    new StatusAdaptor(bus.exported(), {[&ui] { return int(ui.LevelIndicator->doubleValue()); },
                                       [&delegate] {
                                           const auto last = delegate.cleaner().lastClean();
                                           return last ? last->ended : QDateTime();
                                       },
                                       [&delegate] {
                                           const auto last = delegate.cleaner().lastClean();
                                           return last ? last->moved : 0;
                                       }});
}

int runWindow(int argc, char **argv, const CommandLine &command) {
    if (!GraphicalSession::plausible(QProcessEnvironment::systemEnvironment())) {
        QCoreApplication app(argc, argv); // for the message's translation
        installTranslations(app);
        print(stderr, GraphicalSession::missingMessage());
        return 1;
    }
    auto guard = std::make_unique<GraphicalSession::StartGuard>();
    QApplication app(argc, argv);
    guard.reset();
    installTranslations(app);
    QApplication::setApplicationDisplayName(QStringLiteral("Quillmere"));
    QApplication::setDesktopFileName(applicationId);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/Quillmere.png")));

    // One Quillmere per session: two would write the same settings and move the same files.
    ApplicationBus bus(applicationId);
    switch (bus.claim()) {
    case ApplicationBus::Claim::OwnedByAnother:
        if (const auto error = ApplicationBus::handOver(applicationId, command.actionName())) {
            if (error->isEmpty())
                return 0;
            print(stderr, QCoreApplication::translate("ApplicationMain",
                                                      "The running Quillmere refused: %1")
                              .arg(*error));
            return 1;
        }
        NSLog(QStringLiteral("The Quillmere that ran has ended; this one runs alone"));
        break;
    case ApplicationBus::Claim::NoBus:
        NSLog(QStringLiteral("No session bus: this Quillmere cannot tell whether another runs"));
        break;
    case ApplicationBus::Claim::Owned:
        break;
    }

    // The folder of the exceptions file; nothing else creates it.
    const QString support = StandardFolders::applicationSupport();
    if (!QDir().mkpath(support))
        NSLog(QStringLiteral("Cannot create the folder %1; exceptions will not be kept")
                  .arg(support));

    UserDefaults defaults(UserDefaults::standardFilePath());
    MenuBarWindow window;
    window.setWindowTitle(QStringLiteral("Quillmere"));
    auto *content = new QWidget(&window);
    Ui::MainContent ui;
    ui.setupUi(content);
    window.setCentralWidget(content);
    buildMainMenu(window);
    // Shortcut conflicts are checked against this menu bar's items.

    AppDelegate delegate(defaults, window, ui);
    delegate.awakeFromNib();
    answerLaterStarts(bus, delegate, window, ui);
    window.show();
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    if (command.action() == CommandLine::Action::RestoreChooser) // once the start has run
        QTimer::singleShot(0, &delegate, &AppDelegate::restoreFiles);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate,
                     &AppDelegate::applicationWillTerminate);
    return QApplication::exec();
}
} // namespace

int ApplicationMain(int argc, char **argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));
    QCoreApplication::setApplicationVersion(Bundle::version());
    const CommandLine command(argumentsOf(argc, argv));
    return command.needsWindow() ? runWindow(argc, argv, command) : runCommand(argc, argv);
}
