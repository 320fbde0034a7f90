// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShortcutView.h"

#include "Alerts.h"
#include "HotKeyService.h"
#include "ShortcutDefaultsObserver.h"
#include "ShortcutHotKey.h"
#include "Strings.h"
#include "SymbolicHotKeys.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolTip>

namespace {
const QChar escapeGlyph(0x238B); // ⎋
const QChar deleteGlyph(0x232B); // ⌫
constexpr quint64 kVK_Delete = 51, kVK_ForwardDelete = 117, kVK_Escape = 53;

std::function<void()> &beep() {
    static std::function<void()> b = [] {
        QApplication::beep();
    };
    return b;
}

bool isModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_Super_L || key == Qt::Key_Super_R ||
           key == Qt::Key_AltGr;
}

// A push button to assistive technology, named by what it shows (the shortcut, or what to do)
// unless it has a fixed name; what it is for belongs in its description or its buddy label.
class ShortcutViewAccessible : public QAccessibleWidget {
public:
    explicit ShortcutViewAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Button) {}
    QString text(QAccessible::Text t) const override {
        const auto *view = static_cast<const ShortcutView *>(widget());
        if (t == QAccessible::Value)
            return view->displayText();
        if (t == QAccessible::Name && view->accessibleName().isEmpty())
            return view->displayText();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = static_cast<const ShortcutView *>(widget())->isRecording();
        return s;
    }
    // Pressing it as a button (a screen reader's "activate") starts recording, or cancels it.
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString &name) override {
        auto *view = static_cast<ShortcutView *>(widget());
        if (name == pressAction())
            view->setRecording(!view->isRecording());
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object) {
    if (className == QLatin1String("ShortcutView") && object && object->isWidgetType())
        return new ShortcutViewAccessible(static_cast<QWidget *>(object));
    return nullptr;
}
} // namespace

// The application-wide key monitor and the window's resign observer, shared by every recorder:
// at most one records at a time.
class ShortcutKeyMonitor : public QObject {
public:
    static ShortcutKeyMonitor &shared() {
        static auto *monitor = new ShortcutKeyMonitor;
        return *monitor;
    }

    QPointer<ShortcutView> currentRecorder;

    void activateEventMonitoring(bool on) {
        if (on == monitoring_)
            return;
        monitoring_ = on;
        if (on)
            qApp->installEventFilter(this);
        else
            qApp->removeEventFilter(this);
        // Otherwise the program's own hot keys take their combinations before the recorder
        // sees them: recording the current shortcut again would clean the Desktop.
        HotKeyService::shared().suspend(on);
    }

    void activateResignObserver(bool on, QWidget *window) {
        if (on == (observedWindow_ != nullptr))
            return;
        if (observedWindow_)
            observedWindow_->removeEventFilter(this);
        observedWindow_ = on ? window : nullptr;
        if (observedWindow_)
            observedWindow_->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        ShortcutView *view = currentRecorder;
        if (!view || !view->isRecording())
            return false;
        if (event->type() == QEvent::WindowDeactivate && watched == observedWindow_) {
            view->setRecording(false);
            return false;
        }
        const auto type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride &&
            type != QEvent::KeyRelease)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        // Modifier changes count both ways; other releases are not the recorder's.
        if (type == QEvent::KeyRelease && !isModifierKey(key->key()))
            return false;
        if (type == QEvent::ShortcutOverride) {
            // The recorder takes the key before any menu shortcut, unless it lets it through.
            const Shortcut candidate = Shortcut::shortcutWithEvent(*key, KeyboardLayout::current());
            if (candidate.shouldBypass(KeyboardLayout::current())) {
                view->setRecording(false);
                return false;
            }
            key->accept();
            return true;
        }
        return view->handleKey(*key);
    }

private:
    bool monitoring_ = false;
    QPointer<QWidget> observedWindow_;
};

ShortcutView::ShortcutView(QWidget *parent)
    : QWidget(parent) {
    static const bool factoryInstalled = (QAccessible::installFactory(&accessibleFactory), true);
    Q_UNUSED(factoryInstalled);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

ShortcutView::~ShortcutView() {
    link_.reset(); // it writes nothing once it ends, but sets the value back
    if (recording_) {
        ShortcutKeyMonitor::shared().activateEventMonitoring(false);
        ShortcutKeyMonitor::shared().activateResignObserver(false, nullptr);
    }
}

void ShortcutView::setShortcutValue(const std::optional<Shortcut> &shortcut) {
    shortcutValue_ = shortcut;
    stateChanged();
    emit shortcutValueChanged();
}

void ShortcutView::setShortcutPlaceholder(const QString &placeholder) {
    placeholder_ = placeholder;
    stateChanged();
}

void ShortcutView::setRecording(bool recording) {
    ShortcutKeyMonitor &monitor = ShortcutKeyMonitor::shared();
    if (recording) {
        if (monitor.currentRecorder && monitor.currentRecorder != this)
            monitor.currentRecorder->setRecording(false);
        monitor.currentRecorder = this;
        if (!isEnabled())
            return;
    }
    if (recording == recording_)
        return;
    recording_ = recording;
    placeholder_.clear();
    monitor.activateEventMonitoring(recording);
    monitor.activateResignObserver(recording, window());
    stateChanged();
    QAccessible::State changed;
    changed.pressed = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void ShortcutView::setHinting(bool hinting) {
    if (std::exchange(hinting_, hinting) != hinting)
        update();
}

void ShortcutView::setAppearance(int appearance) {
    if (std::exchange(appearance_, appearance) != appearance)
        update();
}

void ShortcutView::stateChanged() {
    update();
    QAccessibleValueChangeEvent event(this, displayText());
    QAccessible::updateAccessibility(&event);
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
}

int ShortcutView::hintWidth() const {
    return appearance_ == Textured ? 25 : appearance_ == Rounded ? 26 : 23;
}

QRect ShortcutView::hintRect() const {
    const QRect bounds = rect();
    if (bounds.width() <= hintWidth())
        return bounds;
    return QRect(bounds.right() - hintWidth() + 1, bounds.top(), hintWidth(), bounds.height());
}

QRect ShortcutView::shortcutRect() const {
    const QRect bounds = rect();
    if (bounds.width() <= hintWidth())
        return QRect(bounds.topLeft(), QSize(0, bounds.height()));
    return bounds.adjusted(0, 0, -hintWidth(), 0);
}

QString ShortcutView::displayText() const {
    if (!recording_) {
        return shortcutValue_ ? shortcutValue_->description(KeyboardLayout::current())
                              : localizedString(QT_TRANSLATE_NOOP("Quillmere", "Record Shortcut"));
    }
    if (hinting_)
        return localizedString(shortcutValue_ ? QT_TRANSLATE_NOOP("Quillmere", "Use Old Shortcut")
                                              : QT_TRANSLATE_NOOP("Quillmere", "Cancel"));
    if (!placeholder_.isEmpty())
        return placeholder_;
    return localizedString(shortcutValue_ ? QT_TRANSLATE_NOOP("Quillmere", "Type New Shortcut")
                                          : QT_TRANSLATE_NOOP("Quillmere", "Type Shortcut"));
}

QString ShortcutView::toolTipAt(const QPoint &point) const {
    if (!shortcutValue_ || recording_ || !isEnabled())
        return {};
    if (shortcutRect().contains(point))
        return localizedString(QT_TRANSLATE_NOOP("Quillmere", "Click to record new shortcut"));
    if (hintRect().contains(point))
        return localizedString(QT_TRANSLATE_NOOP("Quillmere", "Delete shortcut"));
    return {};
}

QSize ShortcutView::sizeHint() const {
    QStyleOptionButton option;
    option.initFrom(this);
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic,
                                          localizedString(QStringLiteral("Type New Shortcut")));
    return style()
        ->sizeFromContents(QStyle::CT_PushButton, &option, text, this)
        .grownBy(QMargins(0, 0, hintWidth(), 0));
}

void ShortcutView::drawInRect(QPainter &painter, QRect rect, const QString &title,
                              Qt::Alignment alignment, bool on) {
    if (appearance_ != Recessed && appearance_ != Textured && appearance_ != Rounded)
        return;
    if (appearance_ != Recessed)
        rect.translate(0, 1);
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = rect;
    option.state |= on ? (QStyle::State_On | QStyle::State_Sunken) : QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    const QRect textRect =
        style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(4, 0, -4, 0);
    style()->drawItemText(&painter, textRect, int(alignment | Qt::AlignVCenter), option.palette,
                          isEnabled(), title, QPalette::ButtonText);
}

void ShortcutView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (shortcutValue_ || recording_) {
        drawInRect(painter, rect(), recording_ ? QString(escapeGlyph) : QString(deleteGlyph),
                   Qt::AlignRight, false);
        drawInRect(painter, shortcutRect(), displayText(), Qt::AlignHCenter, recording_);
    } else {
        drawInRect(painter, rect(), displayText(), Qt::AlignHCenter, false);
    }
}

void ShortcutView::mousePressEvent(QMouseEvent *event) {
    if (!isEnabled() || event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const QPoint point = event->position().toPoint();
    if (recording_) {
        if (hintRect().contains(point))
            setRecording(false);
    } else if (shortcutValue_ && !shortcutRect().contains(point)) {
        setShortcutValue(std::nullopt);
    } else {
        setRecording(true);
    }
}

void ShortcutView::mouseMoveEvent(QMouseEvent *event) {
    setHinting(isEnabled() && hintRect().contains(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void ShortcutView::leaveEvent(QEvent *event) {
    setHinting(false);
    QWidget::leaveEvent(event);
}

void ShortcutView::keyPressEvent(QKeyEvent *event) {
    // The keyboard's click, for whoever cannot use a mouse.
    const int key = event->key();
    if (!recording_ && event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter))
        return setRecording(true);
    QWidget::keyPressEvent(event);
}

void ShortcutView::changeEvent(QEvent *event) {
    if (event->type() == QEvent::EnabledChange) {
        setHinting(false);
        setRecording(false);
        update();
    }
    QWidget::changeEvent(event);
}

bool ShortcutView::event(QEvent *event) {
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString text = toolTipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

bool ShortcutView::handleKey(const QKeyEvent &event) {
    const KeyboardLayout layout = KeyboardLayout::current();
    const Shortcut candidate = Shortcut::shortcutWithEvent(event, layout);
    const quint64 keyCode = candidate.keyCode();
    if (event.type() == QEvent::KeyPress &&
        (keyCode == kVK_Delete || keyCode == kVK_ForwardDelete)) {
        setShortcutValue(std::nullopt);
        setRecording(false);
        return true;
    }
    if (event.type() == QEvent::KeyPress && keyCode == kVK_Escape) {
        setRecording(false);
        return true;
    }
    if (candidate.shouldBypass(layout)) {
        setRecording(false);
        return false;
    }
    if (event.type() == QEvent::KeyRelease || candidate.keyCodeString(layout).isEmpty()) {
        setShortcutPlaceholder(candidate.modifierFlagsString());
        return true;
    }
    if (!candidate.isValid()) {
        beep()();
        return true;
    }
    // A combination another X client grabbed never reaches the recorder: that client gets it.
    // The program's own hot keys are let go while recording; one other than the shortcut being
    // replaced (Super+F2) is as taken as the desktop's.
    QList<SymbolicHotKey> inUse = SymbolicHotKeys::copySymbolicHotKeys(layout);
    const QString description = candidate.description(layout);
    if (ShortcutMonitor::hasMonitor(description) &&
        (!shortcutValue_ || shortcutValue_->description(layout) != description))
        inUse.append({candidate.keyCode(), candidate.carbonFlags()});
    ShortcutError error;
    if (candidate.isTakenError(&error, inUse, mainMenu_ ? mainMenu_() : MenuModel(), layout)) {
        ShortcutKeyMonitor &monitor = ShortcutKeyMonitor::shared();
        monitor.activateResignObserver(false, nullptr);
        monitor.activateEventMonitoring(false);
        QPointer<ShortcutView> self(this);
        Alerts::runModal({localizedString(QT_TRANSLATE_NOOP(
                                              "Quillmere", "The key combination %1 cannot be used"))
                              .arg(description),
                          error.localizedDescription,
                          {localizedString(QT_TRANSLATE_NOOP("Quillmere", "OK"))},
                          Alert::Critical});
        if (self && self->recording_) {
            self->setShortcutPlaceholder(QString());
            monitor.activateResignObserver(true, self->window());
            monitor.activateEventMonitoring(true);
        }
        return true;
    }
    setShortcutValue(candidate);
    setRecording(false);
    return true;
}

void ShortcutView::setAssociatedUserDefaultsKey(UserDefaults &defaults, const QString &key) {
    link_.reset();
    if (!key.isEmpty())
        link_ = std::make_unique<ShortcutDefaultsObserver>(*this, defaults, key);
}

QString ShortcutView::associatedUserDefaultsKey() const {
    return link_ ? link_->userDefaultsKey() : QString();
}

void ShortcutView::setBeepForTesting(std::function<void()> b) {
    beep() = b ? std::move(b) : [] {
        QApplication::beep();
    };
}
