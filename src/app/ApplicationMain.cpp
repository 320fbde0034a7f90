// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApplicationMain.h"

#include "AppDelegate.h"
#include "Bundle.h"
#include "CommandLine.h"
#include "CommandRun.h"
#include "GraphicalSession.h"
#include "Log.h"
#include "MainMenu.h"
#include "MenuBarWindow.h"
#include "StandardFolders.h"
#include "UserDefaults.h"
#include "ui_MainContent.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {
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
int runCommand(int argc, char **argv, const CommandLine &command) {
    QCoreApplication app(argc, argv);
    switch (command.action()) {
    case CommandLine::Action::Help:
        print(stdout, command.helpText());
        return CommandRun::Done;
    case CommandLine::Action::Version:
        print(stdout, CommandLine::versionText());
        return CommandRun::Done;
    case CommandLine::Action::Error:
        print(stderr, QStringLiteral("quillmere: %1 (quillmere --help lists the options)")
                          .arg(command.error()));
        return CommandRun::Usage;
    case CommandLine::Action::Clean:
    case CommandLine::Action::Restore:
    case CommandLine::Action::Quit:
    case CommandLine::Action::Start:
    case CommandLine::Action::Show:
        break;
    }
    if (!command.verbose())
        setLogSink([](const QString &) {}); // a command says what it has to in one line

    if (command.action() == CommandLine::Action::Quit)
        return CommandRun::Done; // nothing runs that could quit
    UserDefaults defaults(UserDefaults::standardFilePath());
    return command.action() == CommandLine::Action::Clean
               ? CommandRun::clean(defaults)
               : CommandRun::restore(defaults, command.folder());
}

int runWindow(int argc, char **argv) {
    if (!GraphicalSession::plausible(QProcessEnvironment::systemEnvironment())) {
        print(stderr, GraphicalSession::missingMessage());
        return 1;
    }
    auto guard = std::make_unique<GraphicalSession::StartGuard>();
    QApplication app(argc, argv);
    guard.reset();
    QApplication::setApplicationDisplayName(QStringLiteral("Quillmere"));
    QApplication::setDesktopFileName(QStringLiteral("quillmere"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/Quillmere.png")));

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
    window.show();
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate,
                     &AppDelegate::applicationWillTerminate);
    return QApplication::exec();
}
} // namespace

int ApplicationMain(int argc, char **argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));
    QCoreApplication::setApplicationVersion(Bundle::version());
    const CommandLine command(argumentsOf(argc, argv));
    return command.needsWindow() ? runWindow(argc, argv) : runCommand(argc, argv, command);
}
