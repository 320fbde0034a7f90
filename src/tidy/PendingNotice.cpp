// SPDX-License-Identifier: GPL-3.0-or-later
#include "PendingNotice.h"

#include "Notices.h"

#include <QTimer>

PendingNotice::PendingNotice(QString title, QString textFormat)
    : title_(std::move(title))
    , textFormat_(std::move(textFormat)) {}

void PendingNotice::itemMoved(const QString &countText) {
    if (pendingNoticeCount_ == 0) {
        QTimer::singleShot(delayMilliseconds, &lifetime_, [this, countText] {
            pendingNoticeCount_ = 0;
            Notices::postNoticeWithTitle(
                title_, QString(textFormat_).replace(QStringLiteral("%@"), countText));
        });
    }
    ++pendingNoticeCount_;
}
