// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QVariantList>

// What a start asks for, read from its arguments: a window (no option, or --show), a clean, a
// restore or the undo of the last clean (done by a running Quillmere, else without a window),
// --quit, --help, --version. Reads nothing else; parsing needs no application object, the help text
// does.
class CommandLine {
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    enum class Action {
        Start,
        Show,
        Clean,
        Restore,
        RestoreChooser,
        Undo,
        Quit,
        Help,
        Version,
        Error
    };

    explicit CommandLine(const QStringList &arguments);

    Action action() const { return action_; }
    QString folder() const { return folder_; } // --restore's, absolute
    bool verbose() const { return verbose_; }
    QString error() const { return error_; } // one line, for Action::Error
    bool needsWindow() const {
        return action_ == Action::Start || action_ == Action::Show ||
               action_ == Action::RestoreChooser;
    }

    // The request as a running Quillmere takes it: an action of org.freedesktop.Application
    // ("show", "clean", "restore", "undo", "quit") and its parameters; empty for a plain start.
    QString actionName() const;
    QVariantList actionParameters() const;

    QString helpText() const; // needs a QCoreApplication
    static QString versionText();

private:
    QCommandLineParser parser_;
    Action action_ = Action::Start;
    QString folder_;
    QString error_;
    bool verbose_ = false;
};
