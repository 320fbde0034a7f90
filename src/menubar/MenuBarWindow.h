// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MenuBarFrame.h"
#include "MenuBarGeometry.h"

#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class MenuBarWindowIconView;
class QAbstractButton;
class QLabel;
class QTimer;
class QVariantAnimation;
class TrayIcon;
class ResizeEdge;

// Quillmere's main window. It can own a tray icon and hang attached below it, with a small arrow
// at its top edge pointing at the icon, or stand free as an ordinary window; either way it is a
// frameless, translucent top-level widget that draws its own title bar and owns its three small
// window buttons, and moves and resizes itself by its own rules. The program drives it through
// four properties only, always set in the order menuBarIcon, hasMenuBarIcon, attachedToMenuBar,
// isDetachable. Setting a property to the value it has already changes nothing.
// Geometry is y-up, as MenuBarGeometry states. It knows nothing of tidying: what it shows below
// its title bar is the content widget (and menu bar) it is given.
// An icon in the lower half of its screen (a panel along the bottom edge) has the attached window
// stand on it, mirrored: the arrow at its bottom edge points down, the title bar stays on top.
class MenuBarWindow : public QMainWindow {
    Q_OBJECT
public:
    // Told after an attach or a detach; an empty function is a delegate that does not listen.
    // The notifications "MenuBarWindowDidAttachToMenuBar" / "...DidDetachFromMenuBar" are
    // posted only to a delegate's window that listens, as its delegate is told.
    struct Delegate {
        std::function<void(MenuBarWindow &)> windowDidAttachToMenuBar;
        std::function<void(MenuBarWindow &)> windowDidDetachFromMenuBar;
    };
    static const QString DidAttachNotification;
    static const QString DidDetachNotification;

    explicit MenuBarWindow(QWidget *parent = nullptr);
    ~MenuBarWindow() override;

    QIcon menuBarIcon() const { return menuBarIcon_; }
    void setMenuBarIcon(const QIcon &icon);
    QIcon highlightedMenuBarIcon() const { return highlightedMenuBarIcon_; }
    void setHighlightedMenuBarIcon(const QIcon &icon);
    bool hasMenuBarIcon() const { return hasMenuBarIcon_; }
    void setHasMenuBarIcon(bool value);
    bool attachedToMenuBar() const { return metrics_.attached; }
    void setAttachedToMenuBar(bool value);
    bool isDetachable() const { return detachable_; }
    void setDetachable(bool value) { detachable_ = value; }
    bool hideWindowControlsWhenAttached() const { return hideWindowControlsWhenAttached_; }
    void setHideWindowControlsWhenAttached(bool value);
    double snapDistance() const { return snapDistance_; }
    void setSnapDistance(double value) { snapDistance_ = value; }
    double distanceFromMenuBar() const { return distanceFromMenuBar_; }
    void setDistanceFromMenuBar(double value);
    Size arrowSize() const { return metrics_.arrowSize; }
    void setArrowSize(Size size);
    double titleBarHeight() const { return metrics_.titleBarHeight; }
    void setTitleBarHeight(double height);
    // A window without a task-bar entry (a tool window), as an accessory program's is.
    void setShowsInTaskBar(bool value);
    void setDelegate(Delegate *delegate) { delegate_ = delegate; }

    Rect titleBarRect() const;
    Rect toolbarRect() const;
    Point originForAttachedState() const;
    // The frame in screen coordinates (y up from the primary screen's bottom-left corner).
    Rect frame() const;
    void setFrame(const Rect &frame);
    void setFrameOrigin(Point origin);

    // Shows the window in front, under its icon first when attached.
    void makeKeyAndOrderFront();
    // Fades the window out, then hides it; it is fully opaque again when next shown.
    void orderOut();
    bool isDragging() const { return dragging_; }

    TrayIcon *statusItem() const { return statusItem_.get(); }
    MenuBarWindowIconView *statusItemView() const { return statusItemView_.get(); }
    std::array<QAbstractButton *, 3> windowButtons() const { return buttons_; }
    // The title bar's noise texture: made on first use, kept for the window's lifetime.
    const QImage &noiseImage();

    // Our own edge resizing, as a live resize: start, the frame the pointer asks for, end.
    void windowWillStartLiveResize();
    void resizeTo(const Rect &proposed);
    void windowDidEndLiveResize() { inLiveResize_ = false; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void layoutContent();
    void windowDidMove();
    void windowDidBecomeKey();
    void windowDidResignKey();
    void statusItemDisplayed(const QImage &image);
    void fadeButtons(bool in);
    void applyWindowFlags();
    void redrawTitleBar();
    std::optional<Rect> statusItemHostFrame() const;
    static std::optional<Rect> screenOf(const Rect &icon);
    // Notes whether the icon lies below the window's attached place, relaid out if that moved.
    void updateIconSide();
    void moveToAttachedPlace();
    void statusItemViewDidMoveSoon();
    Size size2() const { return {double(width()), double(height())}; }
    Size iconViewSize() const;

    QIcon menuBarIcon_;
    QIcon highlightedMenuBarIcon_;
    bool hasMenuBarIcon_ = false;
    WindowMetrics metrics_;
    bool detachable_ = true;
    bool hideWindowControlsWhenAttached_ = true;
    bool hideControls_ = false;
    bool showsInTaskBar_ = true;
    double snapDistance_ = 30.0;
    double distanceFromMenuBar_ = 0.0;
    bool dragging_ = false;
    int clickCount_ = 0;
    Point dragStartLocation_;
    Rect dragStartFrame_;
    bool inLiveResize_ = false;
    MenuBarGeometry::ResizeStart resizeStart_;
    Delegate *delegate_ = nullptr;

    std::unique_ptr<TrayIcon> statusItem_;
    std::unique_ptr<MenuBarWindowIconView> statusItemView_;
    std::array<QAbstractButton *, 3> buttons_{};
    std::array<ResizeEdge *, 3> edges_{};
    QWidget *toolbarView_ = nullptr;
    QLabel *titleTextField_ = nullptr;
    QVariantAnimation *buttonFade_ = nullptr;
    QVariantAnimation *windowFade_ = nullptr;
    QImage noiseImage_;
    QImage noisePattern_;
    MenuBarFrame::StripCache frameCache_;
    QTimer *hostWatch_ = nullptr;
    int hostWatchTicks_ = 0;
    std::optional<Rect> lastHostFrame_;
};
