// SPDX-License-Identifier: GPL-3.0-or-later
#include "PendingNotice.h"

#include "Notices.h"
#include "Strings.h"

#include <QTimer>
#include <climits>

PendingNotice::PendingNotice(QString title, QString textFormat)
    : title_(std::move(title))
    , textFormat_(std::move(textFormat)) {}

void PendingNotice::itemsMoved(qsizetype count) {
    if (count <= 0)
        return;
    if (pendingNoticeCount_ == 0) {
        const QString countText = QString::number(count);
        QTimer::singleShot(delay_, &lifetime_, [this, countText] {
            pendingNoticeCount_ = 0;
            Notices::postNoticeWithTitle(
                title_, localizedString(textFormat_).replace(QStringLiteral("%@"), countText),
                action_);
        });
    }
    pendingNoticeCount_ += int(qMin<qsizetype>(count, INT_MAX - pendingNoticeCount_));
}
