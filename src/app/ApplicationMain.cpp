// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApplicationMain.h"

#include "AppDelegate.h"
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

int ApplicationMain(int argc, char **argv) {
    if (!GraphicalSession::plausible(QProcessEnvironment::systemEnvironment())) {
        std::fprintf(stderr, "%s\n", qPrintable(GraphicalSession::missingMessage()));
        return 1;
    }
    auto guard = std::make_unique<GraphicalSession::StartGuard>();
    QApplication app(argc, argv);
    guard.reset();
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
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
