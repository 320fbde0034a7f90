// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QButtonGroup>
#include <QWidget>

// A row of joined buttons, one per segment. In "select one" mode the chosen segment stays
// selected; in momentary mode (add / remove buttons) a segment is selected only while its
// action runs. Either way `activated` follows a click, with selectedSegment() set.
class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedControl(QWidget *parent = nullptr);

    // Replaces the segments. Accessible names default to the labels.
    void setSegments(const QStringList &labels, const QStringList &accessibleNames = {});
    void setMomentary(bool momentary);
    int segmentCount() const;

    int selectedSegment() const { return selected_; } // -1: none
    void setSelectedSegment(int segment);

signals:
    void activated(int segment);

private:
    void clicked(int segment);

    QButtonGroup group_;
    bool momentary_ = false;
    int selected_ = -1;
};
