// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "Bundle.h"

#include <QCoreApplication>
#include <QDir>

CommandLine::CommandLine(const QStringList &arguments) {
    parser_.setApplicationDescription(tr("Keeps your Desktop tidy: moves the items on it into a "
                                         "folder named after the month."));
    const QCommandLineOption help = parser_.addHelpOption();
    const QCommandLineOption version = parser_.addVersionOption();
    const QCommandLineOption clean(
        QStringLiteral("clean"),
        tr("Cleans the Desktop now and exits, by the running Quillmere if there is one, else "
           "without a window (no display needed)."));
    const QCommandLineOption restore(
        QStringLiteral("restore"),
        tr("Moves the items in FOLDER (a month folder) back onto the Desktop and exits."),
        QStringLiteral("FOLDER"));
    const QCommandLineOption restoreChooser(
        QStringLiteral("restore-chooser"),
        tr("Opens the chooser of the folder to restore (the launcher's Restore…)."));
    const QCommandLineOption undo(
        QStringLiteral("undo"),
        tr("Moves the items of the last clean that are still in its month folder back onto the "
           "Desktop, and exits."));
    const QCommandLineOption show(QStringLiteral("show"),
                                  tr("Shows the window of the running Quillmere, or starts it."));
    const QCommandLineOption quit(QStringLiteral("quit"), tr("Quits the running Quillmere."));
    const QCommandLineOption verbose(
        QStringLiteral("verbose"),
        tr("Writes the log of --clean and --restore to standard error."));
    parser_.addOptions({clean, restore, restoreChooser, undo, show, quit, verbose});

    if (!parser_.parse(arguments)) {
        action_ = Action::Error;
        error_ = parser_.errorText();
        return;
    }
    if (!parser_.positionalArguments().isEmpty()) {
        action_ = Action::Error;
        error_ = tr("Unexpected argument: %1").arg(parser_.positionalArguments().constFirst());
        return;
    }
    if (parser_.isSet(help)) {
        action_ = Action::Help;
        return;
    }
    if (parser_.isSet(version)) {
        action_ = Action::Version;
        return;
    }
    verbose_ = parser_.isSet(verbose);
    const std::pair<const QCommandLineOption &, Action> actions[] = {{clean, Action::Clean},
                                                                     {restore, Action::Restore},
                                                                     {undo, Action::Undo},
                                                                     {show, Action::Show},
                                                                     {quit, Action::Quit}};
    int given = 0;
    for (const auto &[option, action] : actions) {
        if (parser_.isSet(option)) {
            action_ = action;
            given += int(parser_.values(option).size() > 1 ? 2 : 1);
        }
    }
    if (given > 1) {
        action_ = Action::Error;
        error_ = tr("Give one of --clean, --restore, --undo, --show and --quit, once.");
        return;
    }
    if (action_ == Action::Restore) {
        const QString folder = parser_.value(restore);
        if (folder.isEmpty()) {
            action_ = Action::Error;
            error_ = tr("--restore needs a folder.");
            return;
        }
        // A running Quillmere has a working folder of its own.
        folder_ = QDir::cleanPath(QDir::current().absoluteFilePath(folder));
    }
}

QString CommandLine::actionName() const {
    switch (action_) {
    case Action::Show:
        return QStringLiteral("show");
    case Action::Clean:
        return QStringLiteral("clean");
    case Action::Restore:
    case Action::RestoreChooser:
        return QStringLiteral("restore");
    case Action::Undo:
        return QStringLiteral("undo");
    case Action::Quit:
        return QStringLiteral("quit");
    case Action::Start:
    case Action::Help:
    case Action::Version:
    case Action::Error:
        break;
    }
    return {};
}

QVariantList CommandLine::actionParameters() const {
    if (action_ == Action::Restore)
        return {folder_};
    return {};
}

QString CommandLine::helpText() const {
    return parser_.helpText() +
           tr("\nExit status: 0 done (or nothing to do), 1 nothing done (the reason is written "
              "on standard error), 2 some items could not be moved, 64 a wrong command line.\n");
}

QString CommandLine::versionText() {
    return QStringLiteral("Quillmere %1").arg(Bundle::version());
}
