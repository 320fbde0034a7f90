// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;

struct OpenPanelOptions {
    QString title;     // empty: the chooser's own
    QString directory; // the folder it starts in; empty: the chooser's choice
    bool canChooseFiles = true;
    bool canChooseDirectories = false;
    bool canCreateDirectories = true;
    // One item is always chosen at most: Quillmere never asks for several.
};

// A chooser of one file or folder, shown without blocking: `begin` returns at once and the
// completion runs later on the main thread with OKButton and the chosen path, or CancelButton
// and an empty path. Tests stand in for it and call the completion themselves.
class OpenPanel {
public:
    static constexpr int OKButton = 1;
    static constexpr int CancelButton = 0;
    using Completion = std::function<void(int result, const QString &path)>;

    virtual ~OpenPanel() = default;
    virtual void begin(const OpenPanelOptions &options, Completion completion) = 0;

    // Begins and, once the user pressed OK, calls `chosen` with the path, unless `context` has
    // gone meanwhile. A cancel calls nothing.
    void beginForChosenPath(const OpenPanelOptions &options, QObject *context,
                            std::function<void(const QString &path)> chosen);
};

// The desktop's chooser: a QFileDialog of Qt's own widgets (so that one dialog can offer files
// and folders together), modeless, deleted once it is closed.
class FileDialogOpenPanel : public OpenPanel {
public:
    explicit FileDialogOpenPanel(QWidget *parent = nullptr);
    void begin(const OpenPanelOptions &options, Completion completion) override;

private:
    QPointer<QWidget> parent_;
};
