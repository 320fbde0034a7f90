// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

// The per-user settings store: one flat dictionary of property-list values kept in a property
// list file (binary when written; binary or XML read). Values are QVariants of these types:
// bool, qint64 (any integer), double, QString, QByteArray (data), QDateTime, QVariantList
// (array), QVariantMap (dictionary). Typed reads treat a value of the wrong type as absent.
// An unreadable or corrupt file is kept aside as "<file>.corrupt-<time>", logged, and the store
// starts empty; a device or a pipe in its place is left alone and never written. A symbolic link
// is read and written through. Main thread only.
class UserDefaults : public QObject {
    Q_OBJECT
public:
    // Loads `filePath` if it exists.
    explicit UserDefaults(const QString &filePath, QObject *parent = nullptr);
    ~UserDefaults() override; // saves pending changes

    // $XDG_CONFIG_HOME/Quillmere/Quillmere.plist
    static QString standardFilePath();
    QString filePath() const;

    // The loader's decoding step: the settings held by a file's bytes, or nullopt (with the
    // reason) when they are not a property list whose root is a dictionary.
    static std::optional<QVariantMap> valuesFromData(const QByteArray &bytes,
                                                     QString *error = nullptr);

    QVariant objectForKey(const QString &key) const; // invalid QVariant when absent
    bool boolForKey(const QString &key) const;       // false when absent or not a Boolean
    std::optional<QString> stringForKey(const QString &key) const;
    std::optional<QVariantList> arrayForKey(const QString &key) const;
    std::optional<QByteArray> dataForKey(const QString &key) const;

    // A null or invalid value removes the key. A value with no property-list form is logged and
    // not stored.
    void setObject(const QVariant &value, const QString &key);
    void setBool(bool value, const QString &key);
    void removeObject(const QString &key);

    // Writes the file now, atomically (temporary file in the same folder, fsync, rename).
    // Returns false, after logging why, when it could not be written; memory keeps the values.
    bool synchronize();

    // Calls `observer` with the key's value after every write of that key; with `initial`,
    // once at once too. The observation ends with `context`.
    void observe(const QString &key, QObject *context,
                 std::function<void(const QVariant &value)> observer, bool initial);

signals:
    // After every write (set or remove), for any key.
    void didChange();
    void valueChanged(const QString &key, const QVariant &value);

private:
    struct Private;
    std::unique_ptr<Private> d;

    void load();
    void changed(const QString &key, const QVariant &value);
};
