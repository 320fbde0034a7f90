// SPDX-License-Identifier: GPL-3.0-or-later
#include "LevelIndicatorWidget.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QPainter>
#include <cmath>

namespace {
// A level bar to assistive technology: its value is the number of filled segments, so a screen
// reader says how full it is rather than only its name.
class LevelIndicatorAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit LevelIndicatorAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::ProgressBar) {}
    void *interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface *>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return indicator()->filledSegmentCount(); }
    void setCurrentValue(const QVariant &) override {} // shown, not set by the user
    QVariant maximumValue() const override { return indicator()->segmentCount(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    const LevelIndicatorWidget *indicator() const {
        return static_cast<const LevelIndicatorWidget *>(widget());
    }
};

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object) {
    if (className == QLatin1String("LevelIndicatorWidget") && object && object->isWidgetType())
        return new LevelIndicatorAccessible(static_cast<QWidget *>(object));
    return nullptr;
}
} // namespace

LevelIndicatorWidget::LevelIndicatorWidget(QWidget *parent)
    : QWidget(parent) {
    static const bool factoryInstalled = (QAccessible::installFactory(&accessibleFactory), true);
    Q_UNUSED(factoryInstalled);
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
    QAccessibleValueChangeEvent event(this, filledSegmentCount());
    QAccessible::updateAccessibility(&event);
    update();
}
