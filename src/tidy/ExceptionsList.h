// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ExceptionsFile.h"
#include "ExceptionsTableModel.h"
#include "SaveDataQueue.h"

#include <QItemSelectionModel>
#include <QObject>
#include <QPointer>
#include <set>

class OpenPanel;
class UserDefaults;

// The user's exceptions: items never moved off the Desktop. Two stores kept parallel by
// position: the table's rows (saved in the exceptions file) and the file names under
// ExceptionsObjects (what the item filter consults). Adds through a chooser, removes the
// table's selected rows, loads the rows at start-up and saves them on "Save Data Queue" workers
// after an add and at termination, at once after a remove. Main thread only.
class ExceptionsList : public QObject {
    Q_OBJECT
public:
    ExceptionsList(UserDefaults &defaults, OpenPanel &panel,
                   QString filePath = ExceptionsFile::standardPath(), QObject *parent = nullptr);
    ~ExceptionsList() override; // waits for the saves still running

    ExceptionsTableModel &model() { return model_; }
    // The selection of the table that shows model(): what a remove removes; each change of it
    // is logged. Held weakly.
    void setSelectionModel(QItemSelectionModel *selection);

    // Start-up: the rows stored in the exceptions file replace any rows there were.
    void load();
    // After the load: what the Exceptions tab says of a file that could not be read; empty
    // when all is well.
    QString fileMessage() const { return fileMessage_; }
    void reloadData() { model_.reloadData(); }

    // The rows for the log ("%@"), images by their size; a null QVariant before the load.
    QVariant exceptionsTableDataForLog() const;

    // The add / remove control: segment 0 adds, 1 removes the selected rows, others nothing.
    void ExceptionsSegmentAction(int selectedSegment);
    void tableViewSelectionDidChange();
    // Queues the last save of the rows, logged as "ExceptionsKey %@".
    void applicationWillTerminate();

    // Blocks until every queued save has been written.
    void waitForSaves() { saves_.waitForAll(); }

private:
    void beginAddPanel();
    void addItemAtPath(const QString &path);
    void removeRowsAtIndexes(const std::set<int> &rows);
    std::set<int> selectedRowIndexes() const;
    QVariantList rowsForLog() const;
    static QString fileMessageFor(const OutsideFile::Loaded &file);
    QString storedForLog() const; // the excepted-name array read back

    UserDefaults &defaults_;
    OpenPanel &panel_;
    ExceptionsTableModel model_;
    QPointer<QItemSelectionModel> selection_;
    bool loaded_ = false;
    QString fileMessage_;
    SaveDataQueue saves_; // last member: the first to go, joining the saves still running
};
