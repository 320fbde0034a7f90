// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MenuModel.h"
#include "Shortcut.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class ShortcutDefaultsObserver;
class UserDefaults;

// The control that records a keyboard shortcut. It looks like one push button: "Record Shortcut"
// when empty; the shortcut (⌘F2) with a delete glyph ⌫ at its right end when set. A click starts
// recording (so do Space and Return when it has the focus); while recording, every key press of
// the application goes to it first: Delete clears, Escape cancels, a combination that is not
// valid beeps, one that is taken shows an alert, any other becomes the new shortcut. Recording
// also ends on a click on the right end, when the window stops being active, when another
// control starts recording or when the control is disabled. It stores nothing itself: a
// ShortcutDefaultsObserver ties it to a settings key. Main thread only.
class ShortcutView : public QWidget {
    Q_OBJECT
public:
    enum Appearance { Recessed = 0, Textured = 1, Rounded = 2 };

    explicit ShortcutView(QWidget *parent = nullptr);
    ~ShortcutView() override;

    const std::optional<Shortcut> &shortcutValue() const { return shortcutValue_; }
    // Emits shortcutValueChanged on every call, also with the same value.
    void setShortcutValue(const std::optional<Shortcut> &shortcut);
    QString shortcutPlaceholder() const { return placeholder_; }
    void setShortcutPlaceholder(const QString &placeholder);
    bool isRecording() const { return recording_; }
    void setRecording(bool recording);
    bool isHinting() const { return hinting_; }
    void setHinting(bool hinting);
    int appearance() const { return appearance_; }
    void setAppearance(int appearance);

    // The shortcut part and the hint strip at the right end, in the control's coordinates.
    QRect shortcutRect() const;
    QRect hintRect() const;
    // What the control shows now (also its accessible value).
    QString displayText() const;
    QString toolTipAt(const QPoint &point) const;

    // The settings link: shows the shortcut stored under `key` and stores every change. An
    // empty key ends the link, which puts back the value the control had before it.
    void setAssociatedUserDefaultsKey(UserDefaults &defaults, const QString &key);
    QString associatedUserDefaultsKey() const;

    // Where the main window's menu comes from, for the conflict check.
    void setMainMenu(std::function<MenuModel()> mainMenu) { mainMenu_ = std::move(mainMenu); }

    // Tests: what stands for the system beep.
    static void setBeepForTesting(std::function<void()> beep);

    QSize sizeHint() const override;

signals:
    void shortcutValueChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    friend class ShortcutKeyMonitor;
    // What the key monitor does with a key event while recording; true: consumed.
    bool handleKey(const QKeyEvent &event);
    void drawInRect(QPainter &painter, QRect rect, const QString &title, Qt::Alignment alignment,
                    bool on);
    int hintWidth() const;
    void stateChanged();

    std::optional<Shortcut> shortcutValue_;
    QString placeholder_;
    bool recording_ = false;
    bool hinting_ = false;
    int appearance_ = Recessed;
    std::function<MenuModel()> mainMenu_;
    std::unique_ptr<ShortcutDefaultsObserver> link_;
};
