// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExceptionsTableModel.h"

void ExceptionsTableModel::setEntries(QList<ExceptionEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

void ExceptionsTableModel::append(const ExceptionEntry &entry) {
    const int row = numberOfRowsInTableView();
    beginInsertRows({}, row, row);
    entries_.append(entry);
    endInsertRows();
}

void ExceptionsTableModel::removeRowsAtIndexes(const std::set<int> &rows) {
    // From the last row up, so that each index still names the row it named before.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const int row = *it;
        if (row < 0 || row >= numberOfRowsInTableView())
            continue;
        beginRemoveRows({}, row, row);
        entries_.removeAt(row);
        endRemoveRows();
    }
}

void ExceptionsTableModel::reloadData() {
    beginResetModel();
    endResetModel();
}

int ExceptionsTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : numberOfRowsInTableView();
}

int ExceptionsTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant ExceptionsTableModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ExceptionEntry &entry = entries_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return entry.name;
    case Qt::DecorationRole:
        return entry.icon();
    default:
        return {};
    }
}

QVariant ExceptionsTableModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == IdentifierRole)
        return columnIdentifier;
    // Shown above the column and said by a screen reader, which would say "1" otherwise.
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return tr("Excepted item");
    return QAbstractTableModel::headerData(section, orientation, role);
}
