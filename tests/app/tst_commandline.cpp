// SPDX-License-Identifier: GPL-3.0-or-later
// What a start asks for, read from its arguments, and whether it may try to open a window.
#include "CommandLine.h"
#include "GraphicalSession.h"

#include <QDir>
#include <QtTest>

using Action = CommandLine::Action;
Q_DECLARE_METATYPE(Action)

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void parses_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("actionName");
        QTest::newRow("plain start") << QStringList{} << Action::Start << "";
        QTest::newRow("show") << QStringList{"--show"} << Action::Show << "show";
        QTest::newRow("clean, verbose")
            << QStringList{"--verbose", "--clean"} << Action::Clean << "clean";
        QTest::newRow("restore") << QStringList{"--restore", "a/b"} << Action::Restore << "restore";
        QTest::newRow("help wins") << QStringList{"--clean", "-h"} << Action::Help << "";
        QTest::newRow("two actions") << QStringList{"--clean", "--quit"} << Action::Error << "";
        QTest::newRow("restore twice")
            << QStringList{"--restore", "a", "--restore", "b"} << Action::Error << "";
        QTest::newRow("restore without folder") << QStringList{"--restore"} << Action::Error << "";
        QTest::newRow("empty folder") << QStringList{"--restore="} << Action::Error << "";
        QTest::newRow("unknown option") << QStringList{"--cleen"} << Action::Error << "";
        QTest::newRow("stray argument") << QStringList{"clean"} << Action::Error << "";
    }
    void parses() {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(QString, actionName);
        const CommandLine command(QStringList{"quillmere"} + arguments);
        QCOMPARE(command.action(), action);
        QCOMPARE(command.actionName(), actionName);
        QCOMPARE(command.error().isEmpty(), action != Action::Error);
        QCOMPARE(command.verbose(), arguments.contains("--verbose"));
    }

    // The running Quillmere has its own working folder: the folder goes to it absolute.
    void restoreFolderIsAbsolute() {
        const CommandLine command({"quillmere", "--restore", "x/../Month"});
        QCOMPARE(command.actionParameters(), QVariantList{QDir::current().filePath("Month")});
    }

    void displayIsPlausible_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("wayland");
        QTest::addColumn<bool>("plausible");
        QTest::newRow("nothing") << ""
                                 << ""
                                 << "" << false;
        QTest::newRow("X11") << ""
                             << ":0"
                             << "" << true;
        QTest::newRow("Wayland") << ""
                                 << ""
                                 << "wayland-1" << true;
        QTest::newRow("offscreen") << "offscreen"
                                   << ""
                                   << "" << true;
        QTest::newRow("xcb without DISPLAY") << "xcb"
                                             << ""
                                             << "wayland-1" << false;
        QTest::newRow("xcb with options") << "xcb:nograb"
                                          << ":1"
                                          << "" << true;
        QTest::newRow("wayland without socket") << "wayland"
                                                << ":0"
                                                << "" << false;
        QTest::newRow("either, X11 there") << "wayland;xcb"
                                           << ":0"
                                           << "" << true;
        QTest::newRow("blank platform") << " "
                                        << ""
                                        << "" << false;
    }
    void displayIsPlausible() {
        QFETCH(QString, platform);
        QFETCH(QString, display);
        QFETCH(QString, wayland);
        QFETCH(bool, plausible);
        QProcessEnvironment environment;
        const std::pair<const char *, QString> values[] = {
            {"QT_QPA_PLATFORM", platform}, {"DISPLAY", display}, {"WAYLAND_DISPLAY", wayland}};
        for (const auto &[name, value] : values)
            if (!value.isEmpty())
                environment.insert(QString::fromLatin1(name), value);
        environment.insert("XDG_RUNTIME_DIR", QDir::tempPath() + "/no-such-runtime-folder");
        QCOMPARE(GraphicalSession::plausible(environment), plausible);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
