// SPDX-License-Identifier: GPL-3.0-or-later
#include "Alerts.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {
std::function<int(const Alert &)> &presenter() {
    static std::function<int(const Alert &)> p;
    return p;
}

QMessageBox *makeBox(const Alert &alert) {
    auto *box = new QMessageBox;
    box->setWindowTitle(alert.title);
    box->setText(alert.title);
    box->setInformativeText(alert.message);
    box->setIcon(alert.style == Alert::Critical        ? QMessageBox::Critical
                 : alert.style == Alert::Informational ? QMessageBox::Information
                                                       : QMessageBox::Warning);
    for (const QString &title : alert.buttons)
        box->addButton(title, QMessageBox::AcceptRole);
    box->setAccessibleName(alert.title);
    return box;
}

int returnCodeOf(QMessageBox *box) {
    const int index = box->buttons().indexOf(box->clickedButton());
    return index < 0 ? 0 : Alerts::FirstButtonReturn + index;
}
} // namespace

int Alerts::runAlertPanel(const QString &title, const QString &message, const QString &button) {
    return runModal(Alert{title, message, {button}, Alert::Warning});
}

int Alerts::runModal(const Alert &alert) {
    if (presenter())
        return presenter()(alert);
    QMessageBox *box = makeBox(alert);
    box->exec();
    const int code = returnCodeOf(box);
    delete box;
    return code;
}

void Alerts::beginSheet(const Alert &alert, QObject *context, std::function<void(int)> didEnd) {
    if (presenter()) {
        const int code = presenter()(alert);
        QTimer::singleShot(0, context, [didEnd = std::move(didEnd), code] {
            if (didEnd)
                didEnd(code);
        });
        return;
    }
    QMessageBox *box = makeBox(alert);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QMessageBox::finished, context, [box, didEnd = std::move(didEnd)] {
        if (didEnd)
            didEnd(returnCodeOf(box));
    });
    box->show();
    box->raise();
    box->activateWindow();
}

void Alerts::setPresenterForTesting(std::function<int(const Alert &)> p) {
    presenter() = std::move(p);
}
