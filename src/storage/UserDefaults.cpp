// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserDefaults.h"

#include "AtomicFile.h"
#include "Log.h"
#include "OutsideFile.h"
#include "PropertyList.h"
#include "StandardFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace {
// Writes are gathered for this long and saved together, as a settings store saves itself.
constexpr int kSaveDelayMs = 100;
constexpr qint64 kMaxFileSize = qint64(64) << 20;
} // namespace

struct UserDefaults::Private {
    QString path;
    QVariantMap values;
    QTimer saveTimer;
    bool dirty = false;
    bool saveFailureLogged = false;
    // The file was unusable and is still there (a device, a pipe, a failed rename): it is never
    // written over.
    bool leaveFileAlone = false;
};

UserDefaults::UserDefaults(const QString &filePath, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>()) {
    d->path = filePath;
    d->saveTimer.setSingleShot(true);
    d->saveTimer.setInterval(kSaveDelayMs);
    connect(&d->saveTimer, &QTimer::timeout, this, [this] {
        if (d->dirty)
            synchronize();
    });
    load();
}

UserDefaults::~UserDefaults() {
    if (d->dirty)
        synchronize();
}

QString UserDefaults::standardFilePath() {
    return StandardFolders::configFolder() + QStringLiteral("/Quillmere.plist");
}

QString UserDefaults::filePath() const {
    return d->path;
}

std::optional<QVariantMap> UserDefaults::valuesFromData(const QByteArray &bytes, QString *error) {
    const auto root = PropertyList::fromData(bytes, error);
    if (!root)
        return std::nullopt;
    if (root->typeId() != QMetaType::QVariantMap) {
        if (error)
            *error = QStringLiteral("its root is not a dictionary");
        return std::nullopt;
    }
    return root->toMap();
}

void UserDefaults::load() {
    const auto loaded = OutsideFile::load(
        d->path, kMaxFileSize,
        [this](const QByteArray &bytes) {
            QString reason;
            if (const auto values = valuesFromData(bytes, &reason))
                d->values = *values;
            return reason;
        },
        QStringLiteral("The settings file"), QStringLiteral("started with empty settings"));
    d->leaveFileAlone = loaded.outcome == OutsideFile::Outcome::LeftAlone;
}

QVariant UserDefaults::objectForKey(const QString &key) const {
    return d->values.value(key);
}

bool UserDefaults::boolForKey(const QString &key) const {
    const QVariant value = d->values.value(key);
    return value.typeId() == QMetaType::Bool && value.toBool();
}

std::optional<QString> UserDefaults::stringForKey(const QString &key) const {
    const QVariant value = d->values.value(key);
    return value.typeId() == QMetaType::QString ? std::optional(value.toString()) : std::nullopt;
}

std::optional<QVariantList> UserDefaults::arrayForKey(const QString &key) const {
    const QVariant value = d->values.value(key);
    return value.typeId() == QMetaType::QVariantList ? std::optional(value.toList()) : std::nullopt;
}

std::optional<QByteArray> UserDefaults::dataForKey(const QString &key) const {
    const QVariant value = d->values.value(key);
    return value.typeId() == QMetaType::QByteArray ? std::optional(value.toByteArray())
                                                   : std::nullopt;
}

void UserDefaults::setObject(const QVariant &value, const QString &key) {
    if (!value.isValid() || value.typeId() == QMetaType::Nullptr) {
        removeObject(key);
        return;
    }
    QString error;
    const auto stored = PropertyList::normalized(value, &error);
    if (!stored) {
        NSLog(QStringLiteral("Cannot store the setting %1: %2").arg(key, error));
        return;
    }
    d->values.insert(key, *stored);
    changed(key, *stored);
}

void UserDefaults::setBool(bool value, const QString &key) {
    setObject(value, key);
}

void UserDefaults::removeObject(const QString &key) {
    d->values.remove(key);
    changed(key, QVariant());
}

void UserDefaults::changed(const QString &key, const QVariant &value) {
    d->dirty = true;
    if (!d->saveTimer.isActive())
        d->saveTimer.start();
    emit valueChanged(key, value);
    emit didChange();
}

bool UserDefaults::synchronize() {
    if (d->leaveFileAlone)
        return false;
    QString error;
    const auto bytes = PropertyList::binaryData(d->values, &error);
    const QString folder = QFileInfo(d->path).absolutePath();
    bool saved = false;
    if (bytes) { // always: every stored value went through PropertyList::normalized
        if (QDir().mkpath(folder))
            saved = writeFileAtomically(d->path, *bytes, &error);
        else
            error = QStringLiteral("cannot create the folder %1").arg(folder);
    }
    if (!saved) {
        // Once per run of failures, not once per attempt.
        if (!d->saveFailureLogged)
            NSLog(QStringLiteral("Cannot save the settings to %1 (%2): the changes are kept in "
                                 "memory only")
                      .arg(d->path, error));
        d->saveFailureLogged = true;
        return false;
    }
    d->saveFailureLogged = false;
    d->dirty = false;
    d->saveTimer.stop();
    return true;
}

void UserDefaults::observe(const QString &key, QObject *context,
                           std::function<void(const QVariant &value)> observer, bool initial) {
    if (initial)
        observer(objectForKey(key));
    connect(
        this, &UserDefaults::valueChanged, context ? context : this,
        [key, observer = std::move(observer)](const QString &changedKey, const QVariant &value) {
            if (changedKey == key)
                observer(value);
        });
}
