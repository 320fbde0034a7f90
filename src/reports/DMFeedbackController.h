// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>

#include <QDialog>

// The feedback window: a message, an optional reply address, and whether to attach the system's
// and Quillmere's version lines. Sent to the build's feedback address, or, when it names none,
// handed to the user's mail program with the text filled in. The completion is called once per
// window: YES when the feedback went out, NO when the user gave up. A failed send keeps the
// window and its text so the user may try again.
class DMFeedbackController : public QObject {
    Q_OBJECT
public:
    DMFeedbackController(QUrl endpoint, QString mailAddress, QObject *parent = nullptr);
    ~DMFeedbackController() override;
    static DMFeedbackController &sharedController();

    // Mode 0: the plain feedback window. While one is open, it is raised and `completion` is
    // called with NO at once.
    void showFeedbackWindowInMode(int mode, std::function<void(bool success)> completion);

    QDialog *window() const { return window_; }

    // The lines attached on request: the system and Quillmere's version.
    static QString systemLines();

private:
    void send();
    void complete(bool success);

    QUrl endpoint_;
    QString mailAddress_;
    QPointer<QDialog> window_;
    std::function<void(bool)> completion_;
};
