// SPDX-License-Identifier: GPL-3.0-or-later
#include "DMFeedbackController.h"

#include "Bundle.h"
#include "Endpoints.h"
#include "Log.h"
#include "NetworkClient.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSysInfo>
#include <QUrlQuery>

DMFeedbackController::DMFeedbackController(QUrl endpoint, QString mailAddress, QObject *parent)
    : QObject(parent)
    , endpoint_(std::move(endpoint))
    , mailAddress_(std::move(mailAddress)) {}

DMFeedbackController::~DMFeedbackController() {
    delete window_;
}

DMFeedbackController &DMFeedbackController::sharedController() {
    static QPointer<DMFeedbackController> shared;
    if (!shared)
        shared = new DMFeedbackController(Endpoints::feedback(), Endpoints::feedbackAddress(),
                                          QCoreApplication::instance());
    return *shared;
}

QString DMFeedbackController::systemLines() {
    return QStringLiteral("Quillmere %1\n%2 (%3 %4)")
        .arg(Bundle::version(), QSysInfo::prettyProductName(), QSysInfo::kernelType(),
             QSysInfo::kernelVersion());
}

void DMFeedbackController::showFeedbackWindowInMode(int mode,
                                                    std::function<void(bool success)> completion) {
    Q_UNUSED(mode); // one window for every mode
    if (window_) {
        window_->raise();
        window_->activateWindow();
        completion(false);
        return;
    }
    completion_ = std::move(completion);
    auto *dialog = new QDialog;
    window_ = dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Send Feedback"));
    auto *form = new QFormLayout(dialog);
    auto *message = new QPlainTextEdit(dialog);
    message->setObjectName(QStringLiteral("feedbackMessage"));
    message->setAccessibleName(tr("Message"));
    form->addRow(tr("&Message:"), message);
    auto *address = new QLineEdit(dialog);
    address->setObjectName(QStringLiteral("feedbackAddress"));
    address->setPlaceholderText(tr("optional, for a reply"));
    form->addRow(tr("Your &address:"), address);
    auto *attach = new QCheckBox(tr("Attach the &system and Quillmere versions"), dialog);
    attach->setObjectName(QStringLiteral("feedbackAttachSystem"));
    attach->setChecked(true);
    attach->setToolTip(systemLines());
    form->addRow(attach);
    auto *status = new QLabel(dialog);
    status->setObjectName(QStringLiteral("feedbackStatus"));
    status->setWordWrap(true);
    form->addRow(status);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, dialog);
    auto *sendButton = buttons->addButton(endpoint_.isEmpty() ? tr("Write &Mail…") : tr("&Send"),
                                          QDialogButtonBox::AcceptRole);
    sendButton->setObjectName(QStringLiteral("feedbackSend"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &DMFeedbackController::send);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(dialog, &QDialog::finished, this, [this] { complete(false); });
    dialog->show();
}

void DMFeedbackController::send() {
    QDialog *dialog = window_;
    auto *message = dialog->findChild<QPlainTextEdit *>(QStringLiteral("feedbackMessage"));
    auto *status = dialog->findChild<QLabel *>(QStringLiteral("feedbackStatus"));
    auto *sendButton = dialog->findChild<QPushButton *>(QStringLiteral("feedbackSend"));
    const QString text = message->toPlainText().trimmed();
    if (text.isEmpty()) {
        status->setText(tr("Please write a message first."));
        return;
    }
    const QString address =
        dialog->findChild<QLineEdit *>(QStringLiteral("feedbackAddress"))->text().trimmed();
    const bool attach =
        dialog->findChild<QCheckBox *>(QStringLiteral("feedbackAttachSystem"))->isChecked();

    if (endpoint_.isEmpty()) {
        QUrl mail(QStringLiteral("mailto:") + mailAddress_);
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("subject"), tr("Quillmere feedback"));
        query.addQueryItem(QStringLiteral("body"),
                           attach ? text + QStringLiteral("\n\n") + systemLines() : text);
        mail.setQuery(query);
        if (!QDesktopServices::openUrl(mail)) {
            status->setText(tr("No mail program could be opened."));
            return;
        }
        complete(true);
        dialog->close();
        return;
    }
    QJsonObject body{{QStringLiteral("message"), text}, {QStringLiteral("address"), address}};
    if (attach)
        body.insert(QStringLiteral("system"), systemLines());
    NetworkClient::Request request;
    request.url = endpoint_;
    request.contentType = "application/json";
    request.postBody = QJsonDocument(body).toJson(QJsonDocument::Compact);
    request.maxBytes = 64 * 1024;
    sendButton->setEnabled(false);
    status->setText(tr("Sending…"));
    NetworkClient::shared().send(request, dialog, [this, dialog, status, sendButton](auto &reply) {
        sendButton->setEnabled(true);
        if (!reply.ok) {
            NSLog(QStringLiteral("Feedback not sent: %1").arg(reply.error));
            status->setText(
                tr("Your feedback could not be sent (%1). Try again, or cancel.").arg(reply.error));
            return;
        }
        complete(true);
        dialog->close();
    });
}

void DMFeedbackController::complete(bool success) {
    if (auto completion = std::exchange(completion_, nullptr))
        completion(success);
}
