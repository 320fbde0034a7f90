// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ExceptionEntry.h"

#include <QAbstractTableModel>
#include <QList>
#include <set>

// The exceptions table's rows (the display list) and the table's data source: one column,
// "MainCell", showing each row's icon and name. Row i shows entry i. Knows nothing of the
// settings or the file. Main thread only.
class ExceptionsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static inline const QString columnIdentifier = QStringLiteral("MainCell");
    // The role under which the column's header gives its identifier.
    static constexpr int IdentifierRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    const QList<ExceptionEntry> &exceptionsTableData() const { return entries_; }

    // Replaces every row (the load step).
    void setEntries(QList<ExceptionEntry> entries);
    void append(const ExceptionEntry &entry);
    // Removes the rows at `rows`; rows it does not hold are ignored.
    void removeRowsAtIndexes(const std::set<int> &rows);
    // Tells the views that every row may have changed.
    void reloadData();

    int numberOfRowsInTableView() const { return int(entries_.size()); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<ExceptionEntry> entries_;
};
