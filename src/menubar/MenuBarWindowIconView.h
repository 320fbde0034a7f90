// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MenuBarGeometry.h"

#include <QImage>
#include <QObject>
#include <QPointer>

class MenuBarWindow;

// What stands in the tray for a MenuBarWindow: its icon, drawn over the selection colour while
// pressed; a press shows or hides the window, like a menu's title in a menu bar. It draws into
// an image that the tray shows (`displayed`); it does not own its window.
class MenuBarWindowIconView : public QObject {
    Q_OBJECT
public:
    explicit MenuBarWindowIconView(Size frameSize, QObject *parent = nullptr);

    MenuBarWindow *menuBarWindow() const { return menuBarWindow_; }
    void setMenuBarWindow(MenuBarWindow *window) { menuBarWindow_ = window; }
    bool highlighted() const { return highlighted_; }
    void setHighlighted(bool value);
    Size frameSize() const { return size_; }
    void setFrameSize(Size size);

    // A press: highlighted; the window hides when it is active or attached and visible, else
    // it comes to the front (under the icon when attached). A release ends the highlight.
    void mouseDown();
    void mouseUp();

    // The view's whole bounds as they look now.
    QImage drawRect() const;
    // Where the icon is drawn within the bounds (Qt coordinates).
    static QRectF iconRect(Size bounds);

signals:
    void displayed(const QImage &image);

private:
    void setNeedsDisplay();

    QPointer<MenuBarWindow> menuBarWindow_;
    Size size_;
    bool highlighted_ = false;
};
