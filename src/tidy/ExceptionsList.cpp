// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExceptionsList.h"

#include "Description.h"
#include "ExceptedNames.h"
#include "Log.h"
#include "OpenPanel.h"
#include "Strings.h"
#include "UserDefaults.h"

#include <QFileInfo>
#include <QUrl>

ExceptionsList::ExceptionsList(UserDefaults &defaults, OpenPanel &panel, QString filePath,
                               QObject *parent)
    : QObject(parent)
    , defaults_(defaults)
    , panel_(panel)
    , saves_(std::move(filePath)) {}

ExceptionsList::~ExceptionsList() = default;

void ExceptionsList::setSelectionModel(QItemSelectionModel *selection) {
    selection_ = selection;
    if (selection)
        connect(selection, &QItemSelectionModel::selectionChanged, this,
                &ExceptionsList::tableViewSelectionDidChange);
}

void ExceptionsList::load() {
    OutsideFile::Loaded file;
    model_.setEntries(ExceptionsFile::load(saves_.path(), &file));
    fileMessage_ = fileMessageFor(file);
    if (file.outcome == OutsideFile::Outcome::LeftAlone)
        saves_.leaveFileAlone();
    loaded_ = true;
    ExceptedNames::read(defaults_); // says in the log when the stored names are unusable
}

QString ExceptionsList::fileMessageFor(const OutsideFile::Loaded &file) {
    switch (file.outcome) {
    case OutsideFile::Outcome::KeptAside:
        return tr("The saved list of exceptions could not be read (%1). It was kept as "
                  "%2, and the list is saved anew.")
            .arg(file.reason, file.keptAs);
    case OutsideFile::Outcome::LeftAlone:
        return tr("The saved list of exceptions could not be read (%1). It was left "
                  "as it is, so changes to the list are not saved.")
            .arg(file.reason);
    default:
        return {};
    }
}

QVariant ExceptionsList::exceptionsTableDataForLog() const {
    return loaded_ ? QVariant(rowsForLog()) : QVariant();
}

QVariantList ExceptionsList::rowsForLog() const {
    QVariantList rows;
    for (const ExceptionEntry &entry : model_.exceptionsTableData())
        rows.append(entry.toLogVariant());
    return rows;
}

void ExceptionsList::ExceptionsSegmentAction(int selectedSegment) {
    if (selectedSegment == 0) {
        // The chooser opens on the next turn of the event loop, after the click has ended.
        QMetaObject::invokeMethod(this, &ExceptionsList::beginAddPanel, Qt::QueuedConnection);
    } else if (selectedSegment == 1) {
        removeRowsAtIndexes(selectedRowIndexes());
    }
}

void ExceptionsList::beginAddPanel() {
    const OpenPanelOptions options{
        .title = localizedString(QT_TRANSLATE_NOOP(
            "Quillmere", "Choose a file that you want to exclude from Quillmere cleaning")),
        .directory = {}, // the chooser's own choice
        .canChooseFiles = true,
        .canChooseDirectories = true,
        .canCreateDirectories = true,
    };
    panel_.beginForChosenPath(options, this, [this](const QString &path) { addItemAtPath(path); });
}

void ExceptionsList::addItemAtPath(const QString &path) {
    NSLog(QStringLiteral("Source is %1")
              .arg(QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded())));
    const QString fileName = QFileInfo(path).fileName();
    NSLog(fileName);

    model_.append(ExceptionEntry::forItemAtPath(path));

    QVariantList names = ExceptedNames::read(defaults_);
    names.append(fileName);
    ExceptedNames::write(defaults_, names);
    NSLog(QStringLiteral("ExceptionsObjects Are: %1").arg(storedForLog()));

    model_.reloadData();
    saves_.saveAsync(ExceptionsFile::archivedData(model_.exceptionsTableData()));
}

void ExceptionsList::removeRowsAtIndexes(const std::set<int> &rows) {
    model_.removeRowsAtIndexes(rows);

    // By position in the stored array itself, whatever its elements are: row i is element i.
    // The two stores may differ in length (one was changed without the other): a row the
    // names do not reach removes no name.
    QVariantList names = ExceptedNames::read(defaults_);
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const int row = *it;
        if (row >= 0 && row < names.size())
            names.removeAt(row);
        else
            NSLog(QStringLiteral("Exception row %1 has no file name in ExceptionsObjects; no name "
                                 "removed for it")
                      .arg(row));
    }
    ExceptedNames::write(defaults_, names);
    NSLog(QStringLiteral("array TESTING:: %1").arg(storedForLog()));

    saves_.saveNow(ExceptionsFile::archivedData(model_.exceptionsTableData()));
    model_.reloadData();
    defaults_.synchronize();
}

QString ExceptionsList::storedForLog() const {
    return description(ExceptedNames::stored(defaults_).value_or(QVariantList()));
}

std::set<int> ExceptionsList::selectedRowIndexes() const {
    std::set<int> rows;
    if (!selection_)
        return rows;
    for (const QModelIndex &index : selection_->selectedRows())
        rows.insert(index.row());
    return rows;
}

void ExceptionsList::tableViewSelectionDidChange() {
    // The most recently selected row, as a table reports its selected row; -1 for none.
    long selectedRow = -1;
    const std::set<int> rows = selectedRowIndexes();
    if (!rows.empty()) {
        const int current = selection_->currentIndex().row();
        selectedRow = rows.count(current) ? current : *rows.rbegin();
    }
    NSLog(QString::number(selectedRow));
}

void ExceptionsList::applicationWillTerminate() {
    const QVariantMap logged{{QStringLiteral("ExceptionsKey"), rowsForLog()}};
    saves_.saveAsync(ExceptionsFile::archivedData(model_.exceptionsTableData()),
                     QStringLiteral("ExceptionsKey %1").arg(description(logged)));
}
