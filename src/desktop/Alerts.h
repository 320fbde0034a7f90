// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QObject;

struct Alert {
    enum Style { Warning = 0, Informational = 1, Critical = 2 };
    QString title;   // the message text, in bold
    QString message; // the informative text under it
    QStringList buttons;
    Style style = Warning;
};

// Alerts with the return codes of the platform: the first button ends with 1000, the second
// with 1001. Texts are shown as given; callers look them up in the string table.
namespace Alerts {
constexpr int FirstButtonReturn = 1000;
constexpr int SecondButtonReturn = 1001;

// A modal panel with one button; returns when the user dismissed it.
int runAlertPanel(const QString &title, const QString &message, const QString &button);
// A modal alert; returns when the user dismissed it.
int runModal(const Alert &alert);
// An alert that belongs to no window: shown without blocking; `didEnd` gets the return code
// on the main thread once it is dismissed, unless `context` has been destroyed by then.
void beginSheet(const Alert &alert, QObject *context, std::function<void(int returnCode)> didEnd);

// Tests: every alert goes to `presenter`, which answers with the return code, instead of a
// dialog. Sheets still end later, from the event loop. A null presenter restores dialogs.
void setPresenterForTesting(std::function<int(const Alert &)> presenter);
} // namespace Alerts
