// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApplicationBus.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>

namespace {
const QString applicationInterface = QStringLiteral("org.freedesktop.Application");
constexpr int handOverTimeoutMilliseconds = 10000;
} // namespace

// org.freedesktop.Application, as the desktop's launchers and a later start call it.
class FreedesktopApplicationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    FreedesktopApplicationAdaptor(ApplicationBus &bus, QObject *exported)
        : QDBusAbstractAdaptor(exported)
        , bus_(bus) {}

public slots:
    void Activate(const QVariantMap &) {
        if (bus_.activate_)
            bus_.activate_();
    }
    void Open(const QStringList &, const QVariantMap &, const QDBusMessage &message) {
        refuse(message, QDBusError::NotSupported, QStringLiteral("Nothing is opened by files"));
    }
    void ActivateAction(const QString &name, const QVariantList &parameters, const QVariantMap &,
                        const QDBusMessage &message) {
        const auto action = bus_.actions_.find(name);
        if (action == bus_.actions_.end())
            return refuse(message, QDBusError::InvalidArgs,
                          QStringLiteral("No action named %1").arg(name));
        // A parameter arrives wrapped once more when the caller sent "av" from a QVariantList.
        QVariantList plain;
        for (const QVariant &parameter : parameters)
            plain.append(parameter.canConvert<QDBusVariant>()
                             ? parameter.value<QDBusVariant>().variant()
                             : parameter);
        const QString error = action->second(plain);
        if (!error.isEmpty())
            refuse(message, QDBusError::InvalidArgs, error);
    }

private:
    static void refuse(const QDBusMessage &message, QDBusError::ErrorType type,
                       const QString &text) {
        message.setDelayedReply(true);
        QDBusConnection::sessionBus().send(message.createErrorReply(type, text));
    }

    ApplicationBus &bus_;
};

ApplicationBus::ApplicationBus(QString applicationId, QObject *parent)
    : QObject(parent)
    , applicationId_(std::move(applicationId)) {
    new FreedesktopApplicationAdaptor(*this, &exported_);
}

ApplicationBus::~ApplicationBus() {
    if (!registered_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(applicationId_);
    bus.unregisterObject(objectPath(applicationId_));
}

QString ApplicationBus::objectPath(const QString &applicationId) {
    return QLatin1Char('/') + QString(applicationId).replace(QLatin1Char('.'), QLatin1Char('/'));
}

ApplicationBus::Claim ApplicationBus::claim() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Claim::NoBus;
    if (!bus.registerObject(objectPath(applicationId_), &exported_,
                            QDBusConnection::ExportAdaptors))
        return Claim::OwnedByAnother; // this process exports it already
    const auto reply =
        bus.interface()->registerService(applicationId_, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        bus.unregisterObject(objectPath(applicationId_));
        return Claim::NoBus;
    }
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(objectPath(applicationId_));
        return Claim::OwnedByAnother;
    }
    registered_ = true;
    return Claim::Owned;
}

std::optional<QString> ApplicationBus::handOver(const QString &applicationId, const QString &action,
                                                const QVariantList &parameters) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    QDBusMessage call = QDBusMessage::createMethodCall(
        applicationId, objectPath(applicationId), applicationInterface,
        action.isEmpty() ? QStringLiteral("Activate") : QStringLiteral("ActivateAction"));
    // The bus must not start a program for the name: only a running one counts.
    call.setAutoStartService(false);
    if (action.isEmpty()) {
        call << QVariantMap();
    } else {
        QVariantList wrapped;
        for (const QVariant &parameter : parameters)
            wrapped.append(QVariant::fromValue(QDBusVariant(parameter)));
        call << action << wrapped << QVariantMap();
    }
    const QDBusMessage reply = bus.call(call, QDBus::Block, handOverTimeoutMilliseconds);
    if (reply.type() != QDBusMessage::ErrorMessage)
        return QString();
    if (reply.errorName() == QDBusError::errorString(QDBusError::ServiceUnknown) ||
        reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return std::nullopt;
    return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

#include "ApplicationBus.moc"
