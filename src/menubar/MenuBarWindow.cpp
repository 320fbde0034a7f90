// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuBarWindow.h"

#include "MenuBarFrame.h"
#include "MenuBarWindowIconView.h"
#include "NotificationCenter.h"
#include "TaskBar.h"
#include "TrayIcon.h"

#include <QAbstractButton>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVariantAnimation>

using namespace MenuBarGeometry;

const QString MenuBarWindow::DidAttachNotification =
    QStringLiteral("MenuBarWindowDidAttachToMenuBar");
const QString MenuBarWindow::DidDetachNotification =
    QStringLiteral("MenuBarWindowDidDetachFromMenuBar");

namespace {
// Screen rectangles are y-up from the bottom-left corner of the primary screen.
double screenSpace() {
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry().y() + primary->geometry().height() : 0.0;
}

Point mouseLocation() {
    const QPoint p = QCursor::pos();
    return {double(p.x()), screenSpace() - p.y()};
}

// Close, minimise, zoom: small coloured circles.
class WindowButton : public QAbstractButton {
public:
    WindowButton(QColor colour, const QString &name, QWidget *parent)
        : QAbstractButton(parent)
        , colour_(colour) {
        setAccessibleName(name);
        setToolTip(name);
        setFocusPolicy(Qt::NoFocus);
        resize(14, 14);
    }
    // Painted at this opacity: a graphics effect would render the button through an offscreen
    // pixmap on every frame.
    void setAlpha(double alpha) {
        alpha_ = alpha;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        p.setOpacity(alpha_);
        p.drawImage(QPointF(0, 0), face(isDown()));
    }

private:
    // The antialiased circle, drawn once per state and pixel ratio: the fade repaints it often.
    const QImage &face(bool down) {
        QImage &image = faces_[down];
        const qreal ratio = devicePixelRatio();
        if (image.isNull() || image.devicePixelRatio() != ratio) {
            image = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(colour_.darker(down ? 160 : 130));
            p.setBrush(down ? colour_.darker(120) : colour_);
            p.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        }
        return image;
    }

    QColor colour_;
    std::array<QImage, 2> faces_;
    double alpha_ = 1.0;
};
} // namespace

// A strip along one edge of the content: dragging it resizes the window by our own rules.
class ResizeEdge : public QWidget {
public:
    ResizeEdge(Qt::Edge edge, MenuBarWindow *window)
        : QWidget(window)
        , edge_(edge)
        , window_(window) {
        setCursor(edge == Qt::BottomEdge ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    }
    Qt::Edge edge() const { return edge_; }

protected:
    void mousePressEvent(QMouseEvent *event) override {
        if (event->button() != Qt::LeftButton)
            return;
        start_ = window_->frame();
        press_ = event->globalPosition();
        window_->windowWillStartLiveResize();
    }
    void mouseMoveEvent(QMouseEvent *event) override {
        if (!(event->buttons() & Qt::LeftButton))
            return;
        const QPointF d = event->globalPosition() - press_;
        Rect r = start_;
        if (edge_ == Qt::RightEdge) {
            r.size.width += d.x();
        } else if (edge_ == Qt::LeftEdge) {
            r.origin.x += d.x();
            r.size.width -= d.x();
        } else {
            r.origin.y -= d.y();
            r.size.height += d.y();
        }
        window_->resizeTo(r);
    }
    void mouseReleaseEvent(QMouseEvent *) override { window_->windowDidEndLiveResize(); }

private:
    Qt::Edge edge_;
    MenuBarWindow *window_;
    Rect start_;
    QPointF press_;
};

MenuBarWindow::MenuBarWindow(QWidget *parent)
    : QMainWindow(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);

    toolbarView_ = new QWidget(this);
    toolbarView_->setAttribute(Qt::WA_TransparentForMouseEvents);
    titleTextField_ = new QLabel(toolbarView_);
    titleTextField_->setAlignment(Qt::AlignCenter);
    QFont font = titleTextField_->font();
    font.setPixelSize(13);
    titleTextField_->setFont(font);

    const std::array<std::pair<QColor, QString>, 3> looks{
        {{QColor(0xfc, 0x60, 0x5c), tr("Close")},
         {QColor(0xfd, 0xbc, 0x40), tr("Minimize")},
         {QColor(0x34, 0xc8, 0x4a), tr("Zoom")}}};
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i] = new WindowButton(looks[i].first, looks[i].second, this);
    connect(buttons_[0], &QAbstractButton::clicked, this, &QWidget::close);
    connect(buttons_[1], &QAbstractButton::clicked, this, &QWidget::showMinimized);
    connect(buttons_[2], &QAbstractButton::clicked, this,
            [this] { isMaximized() ? showNormal() : showMaximized(); });
    edges_ = {new ResizeEdge(Qt::LeftEdge, this), new ResizeEdge(Qt::RightEdge, this),
              new ResizeEdge(Qt::BottomEdge, this)};

    buttonFade_ = new QVariantAnimation(this);
    buttonFade_->setDuration(150);
    connect(buttonFade_, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
        for (QAbstractButton *b : buttons_)
            static_cast<WindowButton *>(b)->setAlpha(v.toDouble());
    });
    connect(buttonFade_, &QVariantAnimation::finished, this, [this] {
        if (!std::exchange(hideControls_, false))
            return;
        for (QAbstractButton *b : buttons_) {
            b->hide();
            static_cast<WindowButton *>(b)->setAlpha(1.0);
        }
    });
    windowFade_ = new QVariantAnimation(this);
    windowFade_->setDuration(100);
    windowFade_->setStartValue(1.0);
    windowFade_->setEndValue(0.0);
    connect(windowFade_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &v) { setWindowOpacity(v.toDouble()); });
    connect(windowFade_, &QVariantAnimation::finished, this, [this] {
        hide();
        // Hiding ends the window's key status, which would fade it out once more.
        windowFade_->stop();
        setWindowOpacity(1.0);
    });
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            &MenuBarWindow::redrawTitleBar);
    layoutContent();
}

MenuBarWindow::~MenuBarWindow() = default;

void MenuBarWindow::setMenuBarIcon(const QIcon &icon) {
    menuBarIcon_ = icon;
    if (statusItemView_)
        statusItemView_->setFrameSize({iconViewSize().width, statusItemView_->frameSize().height});
}

void MenuBarWindow::setHighlightedMenuBarIcon(const QIcon &icon) {
    highlightedMenuBarIcon_ = icon;
    if (statusItemView_)
        statusItemView_->setHighlighted(statusItemView_->highlighted());
}

Size MenuBarWindow::iconViewSize() const {
    const double t = statusItem_ ? statusItem_->thickness() : 22;
    const QList<QSize> sizes = menuBarIcon_.availableSizes();
    const double w = menuBarIcon_.isNull() ? 0 : sizes.isEmpty() ? t : sizes.first().width();
    return {w + 6, t};
}

void MenuBarWindow::setHasMenuBarIcon(bool value) {
    if (value == hasMenuBarIcon_)
        return;
    hasMenuBarIcon_ = value;
    if (value) {
        const TrayKind kind = detectTray().kind;
        statusItem_ = std::make_unique<TrayIcon>(kind);
        // Under Wayland the window opens where the compositor puts it: no arrow points anywhere.
        if (kind == TrayKind::Wayland)
            setArrowSize({0, 0});
        const double t = statusItem_->thickness();
        const double w = menuBarIcon_.isNull() ? t : iconViewSize().width - 6;
        statusItemView_ = std::make_unique<MenuBarWindowIconView>(Size{w + 6, t});
        statusItemView_->setMenuBarWindow(this);
        connect(statusItemView_.get(), &MenuBarWindowIconView::displayed, this,
                &MenuBarWindow::statusItemDisplayed);
        connect(statusItem_.get(), &TrayIcon::pressed, this, [this] {
            statusItemView_->mouseDown();
            // The tray reports the press only: the release follows once it has been seen.
            QTimer::singleShot(150, statusItemView_.get(), &MenuBarWindowIconView::mouseUp);
        });
        statusItemView_->setHighlighted(false);
        statusItemViewDidMoveSoon();
        return;
    }
    statusItemView_.reset();
    statusItem_.reset();
    setAttachedToMenuBar(false);
}

void MenuBarWindow::statusItemDisplayed(const QImage &image) {
    if (statusItem_)
        statusItem_->setImage(image);
}

void MenuBarWindow::statusItemViewDidMoveSoon() {
    // An X11 tray places the icon a moment after it appears, and moves it when others come or
    // go; the tray sends no word of either, so the window looks for a while after each change.
    if (!hostWatch_) {
        hostWatch_ = new QTimer(this);
        hostWatch_->setInterval(100);
        connect(hostWatch_, &QTimer::timeout, this, [this] {
            const std::optional<Rect> frame = statusItemHostFrame();
            if (frame != lastHostFrame_) {
                lastHostFrame_ = frame;
                if (metrics_.attached && !dragging_)
                    moveToAttachedPlace();
            }
            if (--hostWatchTicks_ <= 0 || !statusItem_)
                hostWatch_->stop();
        });
    }
    hostWatchTicks_ = 30;
    hostWatch_->start();
}

void MenuBarWindow::setAttachedToMenuBar(bool value) {
    if (value == metrics_.attached)
        return;
    updateIconSide();
    metrics_.attached = value;
    setFrame(resizedForAttachment(frame(), metrics_.arrowSize.height, value));
    layoutContent();
    if (hideWindowControlsWhenAttached_)
        fadeButtons(!value);
    if (!dragging_)
        setFrameOrigin(value ? originForAttachedState()
                             : detachedOrigin(frame().origin, snapDistance_, metrics_.iconBelow));
    applyWindowFlags();
    const auto &told =
        value ? &Delegate::windowDidAttachToMenuBar : &Delegate::windowDidDetachFromMenuBar;
    if (delegate_ && delegate_->*told) {
        (delegate_->*told)(*this);
        NotificationCenter::defaultCenter().postNotificationName(
            value ? DidAttachNotification : DidDetachNotification, this);
    }
    layoutContent();
    update();
}

void MenuBarWindow::fadeButtons(bool in) {
    buttonFade_->stop();
    hideControls_ = !in;
    for (QAbstractButton *b : buttons_) {
        static_cast<WindowButton *>(b)->setAlpha(in ? 0.0 : 1.0);
        b->show();
    }
    buttonFade_->setStartValue(in ? 0.0 : 1.0);
    buttonFade_->setEndValue(in ? 1.0 : 0.0);
    buttonFade_->start();
}

void MenuBarWindow::setHideWindowControlsWhenAttached(bool value) {
    if (value == hideWindowControlsWhenAttached_)
        return;
    hideWindowControlsWhenAttached_ = value;
    if (value && !metrics_.attached)
        return;
    buttonFade_->stop();
    hideControls_ = false;
    for (QAbstractButton *b : buttons_) {
        static_cast<WindowButton *>(b)->setAlpha(1.0);
        b->setVisible(!value);
    }
}

void MenuBarWindow::setDistanceFromMenuBar(double value) {
    distanceFromMenuBar_ = value;
    if (metrics_.attached)
        moveToAttachedPlace();
}

void MenuBarWindow::setArrowSize(Size size) {
    metrics_.arrowSize = size;
    layoutContent();
}

void MenuBarWindow::setTitleBarHeight(double height) {
    metrics_.titleBarHeight = height;
    layoutContent();
}

void MenuBarWindow::setShowsInTaskBar(bool value) {
    showsInTaskBar_ = value;
    applyWindowFlags();
    if (windowHandle())
        TaskBar::setSkipsTaskBar(windowHandle(), !value);
}

void MenuBarWindow::applyWindowFlags() {
    // Attached, it stands above other windows as a pop-up menu does.
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    if (metrics_.attached)
        flags |= Qt::WindowStaysOnTopHint;
    if (flags == windowFlags())
        return;
    const bool visible = isVisible();
    setWindowFlags(flags);
    if (visible)
        show();
}

Rect MenuBarWindow::titleBarRect() const {
    return MenuBarGeometry::titleBarRect(size2(), metrics_);
}

Rect MenuBarWindow::toolbarRect() const {
    return MenuBarGeometry::toolbarRect(size2(), metrics_);
}

std::optional<Rect> MenuBarWindow::statusItemHostFrame() const {
    if (!statusItem_)
        return std::nullopt;
    if (const std::optional<QRect> g = statusItem_->hostFrame())
        return fromQt(*g, screenSpace());
    return std::nullopt;
}

std::optional<Rect> MenuBarWindow::screenOf(const Rect &icon) {
    const QPoint centre = toQt(icon, screenSpace()).center().toPoint();
    if (const QScreen *s = QGuiApplication::screenAt(centre))
        return fromQt(s->geometry(), screenSpace());
    return std::nullopt;
}

Point MenuBarWindow::originForAttachedState() const {
    if (!statusItemView_)
        return {};
    const Rect icon = statusItemHostFrame().value_or(Rect{});
    return MenuBarGeometry::originForAttachedState(icon, size2(), distanceFromMenuBar_,
                                                   screenOf(icon));
}

void MenuBarWindow::updateIconSide() {
    bool below = false;
    if (statusItemView_) {
        const Rect icon = statusItemHostFrame().value_or(Rect{});
        below = isIconBelow(icon, screenOf(icon));
    }
    if (below == metrics_.iconBelow)
        return;
    metrics_.iconBelow = below;
    // Attached, the arrow changes edges: the content moves and the whole frame is drawn anew.
    if (metrics_.attached) {
        layoutContent();
        update();
    }
}

void MenuBarWindow::moveToAttachedPlace() {
    updateIconSide();
    setFrameOrigin(originForAttachedState());
}

Rect MenuBarWindow::frame() const {
    return fromQt(geometry(), screenSpace());
}

void MenuBarWindow::setFrame(const Rect &frame) {
    setGeometry(toQt(frame, screenSpace()).toRect());
}

void MenuBarWindow::setFrameOrigin(Point origin) {
    setFrame({origin, frame().size});
}

void MenuBarWindow::makeKeyAndOrderFront() {
    if (metrics_.attached)
        moveToAttachedPlace();
    windowFade_->stop();
    setWindowOpacity(1.0);
    show();
    raise();
    activateWindow();
    if (statusItem_)
        statusItemViewDidMoveSoon();
}

void MenuBarWindow::orderOut() {
    if (!isVisible() || windowFade_->state() == QAbstractAnimation::Running)
        return;
    windowFade_->start();
}

const QImage &MenuBarWindow::noiseImage() {
    if (noiseImage_.isNull()) {
        noiseImage_ = MenuBarFrame::makeNoiseImage();
        noisePattern_ = MenuBarFrame::noisePattern(noiseImage_);
    }
    return noiseImage_;
}

void MenuBarWindow::layoutContent() {
    const Size size = size2();
    const Rect bar = toolbarRect();
    const Size button{double(buttons_[0]->width()), double(buttons_[0]->height())};
    const auto origins = windowButtonOrigins(size, metrics_, button);
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->move(toQt({origins[i], button}, size.height).topLeft().toPoint());
    toolbarView_->setGeometry(toQt(bar, size.height).toRect());
    const int fieldWidth = qMax(0, int(bar.width()) - 140);
    titleTextField_->setGeometry(70, int((bar.height() - 17) / 2), fieldWidth, 17);
    titleTextField_->setText(
        titleTextField_->fontMetrics().elidedText(windowTitle(), Qt::ElideRight, fieldWidth));
    // The content (menu bar and central widget) ends one point below the title bar, and above
    // the arrow when that is at the bottom edge.
    const Rect content = contentRect(size, metrics_);
    const int top = int(size.height - content.maxY());
    const int bottom = int(content.y());
    setContentsMargins(0, top, 0, bottom);
    constexpr int grip = 4;
    edges_[0]->setGeometry(0, top, grip, height() - top - bottom);
    edges_[1]->setGeometry(width() - grip, top, grip, height() - top - bottom);
    edges_[2]->setGeometry(0, height() - grip, width(), grip);
    // Standing on its icon by its bottom edge, the window keeps that edge where the icon is.
    edges_[2]->setHidden(bottom > 0);
    for (ResizeEdge *edge : edges_)
        edge->raise();
    redrawTitleBar();
}

void MenuBarWindow::redrawTitleBar() {
    update(toQt(titleBarRect(), height()).toAlignedRect());
}

void MenuBarWindow::paintEvent(QPaintEvent *event) {
    noiseImage();
    QPainter painter(this);
    frameCache_.draw(painter, size2(),
                     {metrics_, isActiveWindow(), palette().color(QPalette::Window)}, noisePattern_,
                     event->rect(), devicePixelRatio());
}

void MenuBarWindow::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    layoutContent();
}

void MenuBarWindow::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange) {
        layoutContent();
    } else if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            windowDidBecomeKey();
        else
            windowDidResignKey();
    }
}

void MenuBarWindow::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    // A window shown anew (after its flags changed too) states again whether it has an entry.
    QTimer::singleShot(0, this,
                       [this] { TaskBar::setSkipsTaskBar(windowHandle(), !showsInTaskBar_); });
}

void MenuBarWindow::windowDidBecomeKey() {
    redrawTitleBar();
}

void MenuBarWindow::windowDidResignKey() {
    // Attached, it closes like a menu when the user turns elsewhere.
    if (metrics_.attached)
        orderOut();
    redrawTitleBar();
}

void MenuBarWindow::mousePressEvent(QMouseEvent *event) {
    clickCount_ = 1;
    dragStartLocation_ = mouseLocation();
    dragStartFrame_ = frame();
    const QPointF p = event->position();
    dragging_ = toolbarRect().contains({p.x(), height() - p.y()});
}

void MenuBarWindow::mouseDoubleClickEvent(QMouseEvent *event) {
    mousePressEvent(event);
    clickCount_ = 2;
}

void MenuBarWindow::mouseMoveEvent(QMouseEvent *event) {
    if (!(event->buttons() & Qt::LeftButton) || !dragging_)
        return;
    const Point m = mouseLocation();
    setFrameOrigin({m.x + dragStartFrame_.x() - dragStartLocation_.x,
                    m.y + dragStartFrame_.y() - dragStartLocation_.y});
    windowDidMove();
}

void MenuBarWindow::mouseReleaseEvent(QMouseEvent *) {
    if (!metrics_.attached && clickCount_ == 2 && dragging_) {
        // The desktops' own title bars are what a double click minimises; this one does not.
        dragging_ = false;
        return;
    }
    if (dragging_ && screen()) {
        const Rect visible = fromQt(screen()->availableGeometry(), screenSpace());
        const bool stands = metrics_.attached && metrics_.iconBelow;
        if (const auto origin = rescuedOrigin(frame(), visible, metrics_.arrowSize.height, stands))
            setFrameOrigin(*origin);
    }
    dragging_ = false;
}

void MenuBarWindow::windowDidMove() {
    if (inLiveResize_ || !hasMenuBarIcon_)
        return layoutContent();
    updateIconSide();
    const Rect icon = statusItemHostFrame().value_or(Rect{});
    if (detachable_ && !isWithinSnapDistance(frame(), icon, snapDistance_, metrics_.iconBelow)) {
        setAttachedToMenuBar(false);
        return layoutContent();
    }
    setFrameOrigin(originForAttachedState());
    setAttachedToMenuBar(true);
    layoutContent();
}

void MenuBarWindow::windowWillStartLiveResize() {
    inLiveResize_ = true;
    const Point m = mouseLocation();
    resizeStart_ = {frame(), m.x, m.x - frame().x() > frame().width() / 2};
}

void MenuBarWindow::resizeTo(const Rect &proposed) {
    if (!inLiveResize_ || !metrics_.attached)
        return setFrame(proposed);
    setFrame(
        attachedResize(resizeStart_, proposed, mouseLocation().x, minimumWidth(), maximumWidth()));
}
