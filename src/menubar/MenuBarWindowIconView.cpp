// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuBarWindowIconView.h"

#include "MenuBarWindow.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

MenuBarWindowIconView::MenuBarWindowIconView(Size frameSize, QObject *parent)
    : QObject(parent)
    , size_(frameSize) {}

void MenuBarWindowIconView::setHighlighted(bool value) {
    highlighted_ = value;
    setNeedsDisplay();
}

void MenuBarWindowIconView::setFrameSize(Size size) {
    size_ = size;
    setNeedsDisplay();
}

void MenuBarWindowIconView::mouseDown() {
    setHighlighted(true);
    MenuBarWindow *window = menuBarWindow_;
    if (window &&
        (window->isActiveWindow() || (window->isVisible() && window->attachedToMenuBar()))) {
        window->orderOut();
        return;
    }
    if (window)
        window->makeKeyAndOrderFront();
}

void MenuBarWindowIconView::mouseUp() {
    setHighlighted(false);
}

QRectF MenuBarWindowIconView::iconRect(Size bounds) {
    return {3, 0, bounds.width - 6, bounds.height};
}

QImage MenuBarWindowIconView::drawRect() const {
    QImage image(qMax(1, int(size_.width)), qMax(1, int(size_.height)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    if (highlighted_)
        p.fillRect(image.rect(), QApplication::palette().color(QPalette::Highlight));
    if (menuBarWindow_ && !menuBarWindow_->menuBarIcon().isNull()) {
        const QIcon highlightedIcon = menuBarWindow_->highlightedMenuBarIcon();
        const QIcon &icon = highlighted_ && !highlightedIcon.isNull()
                                ? highlightedIcon
                                : menuBarWindow_->menuBarIcon();
        const QRectF target = iconRect(size_);
        // The whole image, scaled to the target as it is.
        const QSize source = icon.availableSizes().value(0, target.size().toSize());
        p.drawPixmap(target, icon.pixmap(source), QRectF(QPointF(0, 0), QSizeF(source)));
    }
    return image;
}

void MenuBarWindowIconView::setNeedsDisplay() {
    emit displayed(drawRect());
}
