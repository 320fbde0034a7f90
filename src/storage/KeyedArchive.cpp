// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyedArchive.h"

#include "AtomicFile.h"
#include "Log.h"
#include "OutsideFile.h"
#include "PropertyList.h"

#include <QHash>
#include <vector>

namespace {

const QString kNull = QStringLiteral("$null");
const QString kClass = QStringLiteral("$class");
const QString kObjects = QStringLiteral("NS.objects");
const QString kKeys = QStringLiteral("NS.keys");
constexpr qint64 kVersion = 100000;
// A hostile archive can nest objects deeply or share one object from many places; decoding
// stops at these bounds instead of recursing or expanding without end.
constexpr int kMaxDepth = 200;
constexpr int kMaxDecoded = 1 << 18;
constexpr qint64 kMaxFileSize = qint64(64) << 20;

QVariant uid(quint64 index) {
    return QVariant::fromValue(PlistUid{index});
}

// A reference in either of its two forms: a binary UID, or {"CF$UID": n} as XML writes it.
std::optional<quint64> referenceIndex(const QVariant &value) {
    if (value.metaType() == QMetaType::fromType<PlistUid>())
        return value.value<PlistUid>().value;
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = value.toMap();
    const QVariant index = map.value(QStringLiteral("CF$UID"));
    if (map.size() != 1 || index.typeId() != QMetaType::LongLong || index.toLongLong() < 0)
        return std::nullopt;
    return static_cast<quint64>(index.toLongLong());
}

bool isArrayClass(const QString &name) {
    return name == QLatin1String("NSArray") || name == QLatin1String("NSMutableArray");
}
bool isDictionaryClass(const QString &name) {
    return name == QLatin1String("NSDictionary") || name == QLatin1String("NSMutableDictionary");
}
bool isStringClass(const QString &name) {
    return name == QLatin1String("NSString") || name == QLatin1String("NSMutableString");
}
bool isDataClass(const QString &name) {
    return name == QLatin1String("NSData") || name == QLatin1String("NSMutableData");
}

// Builds `$objects` the way NSKeyedArchiver does: an object takes its index before its
// contents, its class description follows them, equal strings and classes are stored once.
class Encoder {
public:
    QVariantList objects{kNull};
    QString error;

    std::optional<quint64> encode(const QVariant &value) {
        if (!value.isValid() || value.typeId() == QMetaType::Nullptr)
            return 0;
        if (value.metaType() == QMetaType::fromType<ArchivedObject>())
            return encodeObject(value.value<ArchivedObject>());
        switch (value.typeId()) {
        case QMetaType::QString:
            return encodeString(value.toString());
        case QMetaType::QStringList:
        case QMetaType::QVariantList:
            return encodeArray(value.toList());
        case QMetaType::QVariantMap:
        case QMetaType::QVariantHash:
            return encodeDictionary(value.toMap());
        case QMetaType::QDateTime: // an NSDate is an object, not a plain value: not archived
            break;
        default:
            // Numbers, Booleans and data are stored as they are, as NSNumber and NSData are.
            if (const auto plain = PropertyList::normalized(value, &error);
                plain && plain->metaType() != QMetaType::fromType<PlistUid>() &&
                plain->typeId() != QMetaType::QVariantList &&
                plain->typeId() != QMetaType::QVariantMap)
                return append(*plain);
        }
        error = QStringLiteral("a value of type %1 cannot be archived")
                    .arg(QString::fromLatin1(value.metaType().name()));
        return std::nullopt;
    }

private:
    QHash<QString, quint64> strings_;
    QHash<QStringList, quint64> classes_;

    quint64 append(const QVariant &plain) {
        objects.append(plain);
        return static_cast<quint64>(objects.size() - 1);
    }

    quint64 encodeString(const QString &text) {
        if (const auto it = strings_.constFind(text); it != strings_.cend())
            return *it;
        return strings_[text] = append(text);
    }

    quint64 encodeClass(const QStringList &classes) {
        if (const auto it = classes_.constFind(classes); it != classes_.cend())
            return *it;
        return classes_[classes] =
                   append(QVariantMap{{QStringLiteral("$classname"), classes.first()},
                                      {QStringLiteral("$classes"), classes}});
    }

    std::optional<QVariantList> encodeAll(const QVariantList &values) {
        QVariantList refs;
        for (const QVariant &value : values) {
            const auto index = encode(value);
            if (!index)
                return std::nullopt;
            refs.append(uid(*index));
        }
        return refs;
    }

    std::optional<quint64> encodeArray(const QVariantList &list) {
        const quint64 self = append({});
        const auto refs = encodeAll(list);
        if (!refs)
            return std::nullopt;
        objects[qsizetype(self)] = QVariantMap{
            {kObjects, *refs},
            {kClass, uid(encodeClass({QStringLiteral("NSArray"), QStringLiteral("NSObject")}))}};
        return self;
    }

    std::optional<quint64> encodeDictionary(const QVariantMap &map) {
        const quint64 self = append({});
        QVariantList keys;
        for (const QString &key : map.keys())
            keys.append(uid(encodeString(key)));
        const auto values = encodeAll(map.values());
        if (!values)
            return std::nullopt;
        objects[qsizetype(self)] = QVariantMap{
            {kKeys, keys},
            {kObjects, *values},
            {kClass,
             uid(encodeClass({QStringLiteral("NSDictionary"), QStringLiteral("NSObject")}))}};
        return self;
    }

    std::optional<quint64> encodeObject(const ArchivedObject &object) {
        if (object.className.isEmpty()) {
            error = QStringLiteral("an archived object needs a class name");
            return std::nullopt;
        }
        const quint64 self = append({});
        QVariantMap fields;
        for (const auto &[key, value] : object.fields)
            fields.insert(key, value);
        fields.insert(
            kClass, uid(encodeClass(object.classes.isEmpty()
                                        ? QStringList{object.className, QStringLiteral("NSObject")}
                                        : object.classes)));
        objects[qsizetype(self)] = fields;
        return self;
    }
};

// Resolves references from the root down. Every path is bounded: a reference outside
// `$objects` or back to an object being decoded fails, and so do too deep a nesting and
// too many decoded objects in all.
class Decoder {
public:
    explicit Decoder(const QVariantList &objects)
        : objects_(objects)
        , active_(static_cast<size_t>(objects.size()), false) {}

    std::optional<QVariant> decode(const QVariant &reference, int depth) {
        const auto index = referenceIndex(reference);
        if (!index || *index >= static_cast<quint64>(objects_.size()) || depth > kMaxDepth ||
            --budget_ < 0 || active_[*index])
            return std::nullopt;
        active_[*index] = true;
        auto value = decodeObject(objects_[qsizetype(*index)], depth);
        active_[*index] = false;
        return value;
    }

private:
    std::optional<QVariant> decodeObject(const QVariant &object, int depth) {
        switch (object.typeId()) {
        case QMetaType::QString:
            return object.toString() == kNull ? QVariant() : object;
        case QMetaType::Bool:
        case QMetaType::LongLong:
        case QMetaType::Double:
        case QMetaType::QByteArray:
            return object;
        case QMetaType::QVariantMap:
            return decodeInstance(object.toMap(), depth);
        default:
            return std::nullopt;
        }
    }

    // The class names of an instance: its `$class` entry must lead to {$classname, $classes}.
    std::optional<QStringList> classesOf(const QVariantMap &instance) const {
        const auto index = referenceIndex(instance.value(kClass));
        if (!index || *index >= static_cast<quint64>(objects_.size()))
            return std::nullopt;
        const QVariant description = objects_[qsizetype(*index)];
        if (description.typeId() != QMetaType::QVariantMap)
            return std::nullopt;
        const QVariantMap map = description.toMap();
        const QVariant name = map.value(QStringLiteral("$classname"));
        // A class name is a plain identifier: never empty, never holding a NUL (which could
        // not be written back).
        const auto badName = [](const QVariant &v) {
            return v.typeId() != QMetaType::QString || v.toString().isEmpty() ||
                   v.toString().contains(QChar(0));
        };
        if (badName(name))
            return std::nullopt;
        QStringList classes{name.toString()};
        const QVariant chain = map.value(QStringLiteral("$classes"));
        if (chain.typeId() == QMetaType::QVariantList) {
            classes.clear();
            for (const QVariant &entry : chain.toList()) {
                if (badName(entry))
                    return std::nullopt;
                classes.append(entry.toString());
            }
            if (classes.value(0) != name.toString())
                classes.prepend(name.toString());
        }
        return classes;
    }

    std::optional<QVariantList> decodeList(const QVariant &references, int depth) {
        if (references.typeId() != QMetaType::QVariantList)
            return std::nullopt;
        QVariantList values;
        for (const QVariant &reference : references.toList()) {
            auto value = decode(reference, depth + 1);
            if (!value)
                return std::nullopt;
            values.append(std::move(*value));
        }
        return values;
    }

    // A value held either inline or through a reference (both occur for NS.string, NS.data).
    std::optional<QVariant> inlineOrReferenced(const QVariant &value, int depth) {
        return referenceIndex(value) ? decode(value, depth + 1) : std::optional(value);
    }

    std::optional<QVariant> decodeInstance(const QVariantMap &instance, int depth) {
        if (referenceIndex(QVariant(instance)))
            return std::nullopt; // a bare reference where an object belongs
        const auto classes = classesOf(instance);
        if (!classes)
            return std::nullopt;
        const QString &name = classes->first();
        if (isArrayClass(name)) {
            auto list = decodeList(instance.value(kObjects), depth);
            return list ? std::optional<QVariant>(*list) : std::nullopt;
        }
        if (isDictionaryClass(name)) {
            const auto keys = decodeList(instance.value(kKeys), depth);
            const auto values = decodeList(instance.value(kObjects), depth);
            if (!keys || !values || keys->size() != values->size())
                return std::nullopt;
            QVariantMap map;
            for (qsizetype i = 0; i < keys->size(); ++i) {
                if (keys->at(i).typeId() != QMetaType::QString)
                    return std::nullopt;
                map.insert(keys->at(i).toString(), values->at(i));
            }
            return map;
        }
        if (isStringClass(name) || isDataClass(name)) {
            const auto type = isStringClass(name) ? QMetaType::QString : QMetaType::QByteArray;
            const auto value = inlineOrReferenced(instance.value(type == QMetaType::QString
                                                                     ? QStringLiteral("NS.string")
                                                                     : QStringLiteral("NS.data")),
                                                  depth);
            if (!value || value->typeId() != type)
                return std::nullopt;
            return value;
        }
        // Any other class: its integer fields. Fields of other kinds are not Quillmere's and are
        // left undecoded (an image inside an exceptions entry, for instance).
        ArchivedObject object{name, *classes, {}};
        for (auto it = instance.cbegin(); it != instance.cend(); ++it)
            if (it.key() != kClass && it.value().typeId() == QMetaType::LongLong)
                object.fields.append({it.key(), it.value().toLongLong()});
        return QVariant::fromValue(object);
    }

    const QVariantList &objects_;
    std::vector<bool> active_;
    int budget_ = kMaxDecoded;
};

} // namespace

namespace KeyedArchive {

QByteArray archivedDataWithRootObject(const QVariant &root) {
    Encoder encoder;
    const auto top = encoder.encode(root);
    std::optional<QByteArray> bytes;
    if (top)
        bytes = PropertyList::binaryData(
            QVariantMap{{QStringLiteral("$version"), kVersion},
                        {QStringLiteral("$archiver"), QStringLiteral("NSKeyedArchiver")},
                        {QStringLiteral("$top"), QVariantMap{{QStringLiteral("root"), uid(*top)}}},
                        {QStringLiteral("$objects"), encoder.objects}},
            &encoder.error);
    if (!bytes) {
        NSLog(QStringLiteral("Cannot archive the value: %1").arg(encoder.error));
        return {};
    }
    return *bytes;
}

std::optional<QVariant> unarchiveObjectWithData(const QByteArray &data) {
    const auto plist = PropertyList::fromData(data);
    if (!plist || plist->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap archive = plist->toMap();
    const QVariant archiver = archive.value(QStringLiteral("$archiver"));
    const QVariant version = archive.value(QStringLiteral("$version"));
    const QVariant objects = archive.value(QStringLiteral("$objects"));
    const QVariant top = archive.value(QStringLiteral("$top"));
    if (archiver != QVariant(QStringLiteral("NSKeyedArchiver")) ||
        version.typeId() != QMetaType::LongLong || version.toLongLong() != kVersion ||
        objects.typeId() != QMetaType::QVariantList || top.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantList list = objects.toList();
    return Decoder(list).decode(top.toMap().value(QStringLiteral("root")), 0);
}

std::optional<QVariant> unarchiveObjectWithFile(const QString &path) {
    const auto bytes = OutsideFile::read(path, kMaxFileSize);
    return bytes ? unarchiveObjectWithData(*bytes) : std::nullopt;
}

bool archiveRootObjectToFile(const QVariant &root, const QString &path) {
    const QByteArray bytes = archivedDataWithRootObject(root);
    return !bytes.isEmpty() && writeFileAtomically(path, bytes);
}

} // namespace KeyedArchive
