// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainMenu.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

void buildMainMenu(QMainWindow &window) {
    QMenuBar *bar = window.menuBar();
    QMenu *program = bar->addMenu(QObject::tr("&Quillmere"));
    program->setObjectName(QStringLiteral("programMenu"));
    QAction *quit = program->addAction(QObject::tr("&Quit Quillmere"), qApp, &QApplication::quit);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setObjectName(QStringLiteral("quitAction"));

    QMenu *windowMenu = bar->addMenu(QObject::tr("&Window"));
    QAction *close = windowMenu->addAction(QObject::tr("&Close"), &window, &QWidget::close);
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    QAction *minimize =
        windowMenu->addAction(QObject::tr("&Minimize"), &window, &QWidget::showMinimized);
    minimize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
}
