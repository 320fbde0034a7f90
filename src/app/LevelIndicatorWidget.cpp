// SPDX-License-Identifier: GPL-3.0-or-later
#include "LevelIndicatorWidget.h"

#include <QPainter>
#include <cmath>

LevelIndicatorWidget::LevelIndicatorWidget(QWidget *parent)
    : QWidget(parent) {
    setAccessibleName(tr("Clutter level"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    changed();
}

int LevelIndicatorWidget::segmentCount() const {
    return std::max(0, int(std::lround(max_ - min_)));
}

int LevelIndicatorWidget::filledSegmentCount() const {
    return std::clamp(int(std::lround(value_ - min_)), 0, segmentCount());
}

LevelIndicatorWidget::Fill LevelIndicatorWidget::fill() const {
    if (critical_ >= warning_) {
        if (value_ >= critical_)
            return Fill::Critical;
        return value_ >= warning_ ? Fill::Warning : Fill::Normal;
    }
    if (value_ <= critical_)
        return Fill::Critical;
    return value_ <= warning_ ? Fill::Warning : Fill::Normal;
}

QColor LevelIndicatorWidget::colorOf(Fill fill) {
    switch (fill) {
    case Fill::Critical:
        return QColor(0xe0, 0x35, 0x2b);
    case Fill::Warning:
        return QColor(0xf4, 0xc2, 0x0d);
    case Fill::Normal:
        break;
    }
    return QColor(0x3c, 0xb0, 0x43);
}

QSize LevelIndicatorWidget::sizeHint() const {
    return {std::max(1, segmentCount()) * 28, 16};
}

void LevelIndicatorWidget::paintEvent(QPaintEvent *) {
    const int segments = segmentCount();
    if (segments == 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor filled = colorOf(fill());
    const double width = double(this->width()) / segments;
    for (int i = 0; i < segments; ++i) {
        const QRectF segment(i * width + 1, 1, width - 2, height() - 2);
        painter.setPen(palette().color(QPalette::Mid));
        painter.setBrush(i < filledSegmentCount() ? filled : palette().color(QPalette::Base));
        painter.drawRoundedRect(segment, 2, 2);
    }
}

void LevelIndicatorWidget::changed() {
    setAccessibleDescription(tr("Level %1 of %2").arg(filledSegmentCount()).arg(segmentCount()));
    update();
}
