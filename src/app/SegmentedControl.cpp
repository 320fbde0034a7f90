// SPDX-License-Identifier: GPL-3.0-or-later
#include "SegmentedControl.h"

#include <QHBoxLayout>
#include <QPushButton>

SegmentedControl::SegmentedControl(QWidget *parent)
    : QWidget(parent) {
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    group_.setExclusive(true);
    connect(&group_, &QButtonGroup::idClicked, this, &SegmentedControl::clicked);
}

void SegmentedControl::setSegments(const QStringList &labels, const QStringList &accessibleNames) {
    for (QAbstractButton *button : group_.buttons()) {
        group_.removeButton(button);
        delete button;
    }
    for (int i = 0; i < labels.size(); ++i) {
        auto *button = new QPushButton(labels[i], this);
        button->setCheckable(!momentary_);
        button->setAccessibleName(i < accessibleNames.size() ? accessibleNames[i] : labels[i]);
        layout()->addWidget(button);
        group_.addButton(button, i);
    }
    selected_ = -1;
}

void SegmentedControl::setMomentary(bool momentary) {
    momentary_ = momentary;
    for (QAbstractButton *button : group_.buttons())
        button->setCheckable(!momentary);
}

int SegmentedControl::segmentCount() const {
    return static_cast<int>(group_.buttons().size());
}

void SegmentedControl::setSelectedSegment(int segment) {
    selected_ = segment >= 0 && segment < segmentCount() ? segment : -1;
    if (momentary_)
        return;
    if (QAbstractButton *button = group_.button(selected_)) {
        button->setChecked(true);
    } else if (QAbstractButton *checked = group_.checkedButton()) {
        group_.setExclusive(false);
        checked->setChecked(false);
        group_.setExclusive(true);
    }
}

void SegmentedControl::clicked(int segment) {
    selected_ = segment;
    emit activated(segment);
    if (momentary_)
        selected_ = -1;
}
