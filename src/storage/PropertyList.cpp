// SPDX-License-Identifier: GPL-3.0-or-later
#include "PropertyList.h"

#include "Failure.h"

#include <QDateTime>
#include <QHash>
#include <QXmlStreamReader>
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <memory>
#include <plist/plist.h>

namespace {

// Outside bytes are read by our own readers, one per form, which build the values as they walk
// and stop at these bounds, far above any settings file or archive Quillmere meets. libplist only
// writes: version 2.2 reads recursively, takes <integer>abc</integer> for 0 and copies a shared
// binary object once per reference, so a few hundred hostile bytes could exhaust it.
constexpr int kMaxDepth = 256;
constexpr quint64 kMaxObjects = quint64(1) << 18; // after shared references are expanded
constexpr qsizetype kMaxBytes = qsizetype(64) << 20;
constexpr qint64 k2001 = 978307200000; // the property lists' epoch, in ms since 1970

using Node = std::unique_ptr<void, decltype([](void *node) { plist_free(node); })>;

// libplist keeps a date as 32-bit seconds since 2001, rounded toward zero, and a fraction.
bool dateFits(qint64 msSince2001) {
    return msSince2001 / 1000 >= INT32_MIN && msSince2001 / 1000 <= INT32_MAX;
}

// The binary form: a 32-byte trailer locates the offset table, which locates every object. An
// object is a marker (its type in the high nibble, a size or length in the low one) and its
// bytes; a container holds its items' object numbers. A shared object is built, and counted,
// once per reference (a cycle ends at the depth bound); strings and data are decoded once.
class BinaryReader {
public:
    explicit BinaryReader(const QByteArray &bytes)
        : data_(reinterpret_cast<const uchar *>(bytes.constData()))
        , size_(quint64(bytes.size())) {}

    std::optional<QVariant> read(QString *error) {
        QVariant root;
        if (size_ >= 8 + 32) {
            offsetSize_ = data_[size_ - 26];
            refSize_ = data_[size_ - 25];
            count_ = number(size_ - 24, 8);
            table_ = number(size_ - 8, 8); // the objects lie before it
            if (offsetSize_ >= 1 && offsetSize_ <= 8 && refSize_ >= 1 && refSize_ <= 8 &&
                table_ >= 8 && table_ < size_ - 32 && count_ <= (size_ - 32 - table_) / offsetSize_)
                root = object(number(size_ - 16, 8), 0);
        }
        if (!root.isValid())
            fail(error, error_.value_or(QStringLiteral("the binary property list is damaged")));
        return root.isValid() ? std::optional(root) : std::nullopt;
    }

private:
    QVariant raise(const QString &why) {
        error_ = error_.value_or(why);
        return {};
    }

    quint64 number(quint64 at, quint64 size) const {
        quint64 value = 0;
        for (quint64 i = 0; i < size; ++i)
            value = (value << 8) | data_[at + i];
        return value;
    }

    // The `size` bytes after the marker at `at` as a number (the last 8 of 16), if they fit.
    std::optional<quint64> scalar(quint64 at, quint64 size) const {
        if (size > table_ - at - 1)
            return std::nullopt;
        return number(at + 1 + size - std::min<quint64>(size, 8), std::min<quint64>(size, 8));
    }

    // Where the items of the object at `at` start and how many there are: the marker's low
    // nibble, or an integer object after it. False when items of `unit` bytes would not fit.
    bool items(quint64 at, quint64 unit, quint64 *start, quint64 *count) const {
        *start = at + 1;
        *count = data_[at] & 0xF;
        if (*count == 0xF) { // an integer of 1 to 8 bytes
            if (*start >= table_ || data_[*start] >> 4 != 0x1 || (data_[*start] & 0xF) > 3)
                return false;
            const quint64 width = quint64(1) << (data_[*start] & 0xF);
            const auto n = scalar(*start, width);
            if (!n)
                return false;
            *count = *n;
            *start += 1 + width;
        }
        return *count <= (table_ - *start) / unit;
    }

    QVariant object(quint64 index, int depth) {
        if (index >= count_)
            return {};
        if (++objects_ > kMaxObjects)
            return raise(QStringLiteral("the property list expands to too many objects"));
        if (const auto known = decoded_.constFind(index); known != decoded_.cend())
            return *known;
        const quint64 at = number(table_ + index * offsetSize_, offsetSize_);
        if (at < 8 || at >= table_)
            return {};
        const int type = data_[at] >> 4, low = data_[at] & 0xF;
        const auto bits = scalar(at, type == 0x8 ? low + 1 : quint64(1) << std::min(low, 4));
        switch (type) {
        case 0x0: // false, true
            return low == 0x8 || low == 0x9 ? QVariant(low == 0x9) : QVariant();
        case 0x1: // 1 to 8 bytes, or 16 of which the last 8 are kept (the signed range wraps)
            return bits && low <= 4 ? QVariant(qint64(*bits)) : QVariant();
        case 0x2: // a float or a double
            if (bits && low == 2)
                return double(std::bit_cast<float>(quint32(*bits)));
            return bits && low == 3 ? QVariant(std::bit_cast<double>(*bits)) : QVariant();
        case 0x3: // seconds since 2001 as a double
            return bits && low == 3 ? date(std::bit_cast<double>(*bits)) : QVariant();
        case 0x8: // 1 to 4 bytes, as libplist writes them
            return bits && low <= 3 ? QVariant::fromValue(PlistUid{*bits}) : QVariant();
        case 0x4: // data, an ASCII string, a UTF-16 string
        case 0x5:
        case 0x6:
            return *decoded_.insert(index, bytes(type, at));
        case 0xA: // an array, a set (read as an array), a dictionary
        case 0xC:
        case 0xD:
            return container(type == 0xD, at, depth);
        }
        return {};
    }

    QVariant date(double seconds) {
        if (!(std::abs(seconds) < 1e10) || !dateFits(std::llround(seconds * 1000))) // or NaN
            return raise(QStringLiteral("a date is out of range"));
        return QDateTime::fromMSecsSinceEpoch(k2001 + std::llround(seconds * 1000), Qt::UTC);
    }

    QVariant bytes(int type, quint64 at) {
        quint64 start = 0, count = 0;
        if (!items(at, type == 0x6 ? 2 : 1, &start, &count))
            return {};
        const auto *from = reinterpret_cast<const char *>(data_ + start);
        if (type == 0x4)
            return QByteArray(from, qsizetype(count));
        QString text = type == 0x5 ? QString::fromUtf8(from, qsizetype(count)) // as libplist did
                                   : QString(qsizetype(count), Qt::Uninitialized);
        if (type == 0x6)
            qFromBigEndian<char16_t>(from, qsizetype(count), text.data());
        // Neither could be written again as it is: libplist would cut the string at the NUL,
        // and a lone UTF-16 surrogate has no UTF-8 form.
        if (text.contains(QChar(0)) || !text.isValidUtf16())
            return raise(QStringLiteral("a string holds a NUL character or a lone surrogate"));
        return text;
    }

    QVariant container(bool dictionary, quint64 at, int depth) {
        quint64 start = 0, count = 0;
        if (!items(at, (dictionary ? 2 : 1) * refSize_, &start, &count))
            return {};
        if (depth >= kMaxDepth)
            return raise(QStringLiteral("the property list is nested too deeply"));
        const auto item = [&](quint64 i) {
            return object(number(start + i * refSize_, refSize_), depth + 1);
        };
        QVariantList list;
        QVariantMap map;
        for (quint64 i = 0; i < count; ++i) {
            const QVariant key = dictionary ? item(i) : QVariant();
            if (dictionary && key.typeId() != QMetaType::QString)
                return {};
            const QVariant value = item(dictionary ? count + i : i);
            if (!value.isValid())
                return {};
            if (dictionary)
                map.insert(key.toString(), value);
            else
                list.append(value);
        }
        return dictionary ? QVariant(map) : QVariant(list);
    }

    const uchar *data_;
    quint64 size_, offsetSize_ = 0, refSize_ = 0, count_ = 0, table_ = 0, objects_ = 0;
    std::optional<QString> error_; // the reason, unless the bytes are simply damaged
    QHash<quint64, QVariant> decoded_;
};

// The XML form, read with Qt's stream reader, which checks that it is well formed and bounds
// entity expansion. Recursion stops at kMaxDepth.
class XmlReader {
public:
    explicit XmlReader(const QByteArray &bytes)
        : xml_(bytes) {}

    std::optional<QVariant> read(QString *error) {
        QVariant root;
        if (!nextElement() || xml_.name() != QLatin1String("plist"))
            raise(QStringLiteral("no <plist> element"));
        else if (!nextElement())
            raise(QStringLiteral("no value in <plist>"));
        else if (root = value(0); nextElement())
            raise(QStringLiteral("more than one value in <plist>"));
        while (!xml_.atEnd()) // what follows </plist> must be well formed too
            xml_.readNext();
        if (!xml_.hasError())
            return root;
        fail(error, QStringLiteral("not a property list (%1 at line %2)")
                        .arg(xml_.errorString())
                        .arg(xml_.lineNumber()));
        return std::nullopt;
    }

private:
    QVariant raise(const QString &why) {
        if (!xml_.hasError())
            xml_.raiseError(why);
        return {};
    }

    // Moves to the next element inside the current one: false at the current one's end.
    bool nextElement() {
        while (!xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::StartElement)
                return true;
            if (token == QXmlStreamReader::EndElement)
                return false;
            if (token == QXmlStreamReader::Characters && !xml_.isWhitespace())
                raise(QStringLiteral("text outside a value"));
        }
        return false;
    }

    // The value of the element the reader stands on; reads through its end.
    QVariant value(int depth) {
        const QString name = xml_.name().toString();
        if (++objects_ > kMaxObjects)
            return raise(QStringLiteral("too many objects"));
        const bool dict = name == QLatin1String("dict");
        if (!dict && name != QLatin1String("array")) {
            const QString text = xml_.readElementText(); // refuses child elements
            const QVariant result = xml_.hasError() ? QVariant() : scalar(name, text);
            return result.isValid()
                       ? result
                       : raise(QStringLiteral("<%1> holds \"%2\"").arg(name, text.left(40)));
        }
        if (depth >= kMaxDepth)
            return raise(QStringLiteral("nested too deeply"));
        QVariantList list;
        QVariantMap map;
        while (nextElement()) {
            QString key;
            if (dict) {
                if (xml_.name() != QLatin1String("key"))
                    return raise(QStringLiteral("a dictionary value without a key"));
                key = xml_.readElementText();
                if (!nextElement())
                    return raise(QStringLiteral("a key without a value"));
            }
            const QVariant item = value(depth + 1);
            if (xml_.hasError())
                return {};
            if (dict)
                map.insert(key, item);
            else
                list.append(item);
        }
        return dict ? QVariant(map) : QVariant(list);
    }

    // The value of a scalar element; invalid when its text does not fit its type.
    static QVariant scalar(const QString &name, const QString &text) {
        const QByteArray trimmed = text.trimmed().toLatin1(); // other characters become '?'
        if (name == QLatin1String("string"))
            return text;
        if (name == QLatin1String("true") || name == QLatin1String("false"))
            return trimmed.isEmpty() ? QVariant(name == QLatin1String("true")) : QVariant();
        if (name == QLatin1String("integer"))
            return integer(trimmed);
        if (name == QLatin1String("real")) {
            const char *begin = trimmed.constData() + (trimmed.startsWith('+') ? 1 : 0);
            double value = 0;
            const auto [end, ec] = std::from_chars(begin, trimmed.constEnd(), value);
            return ec == std::errc() && end == trimmed.constEnd() ? QVariant(value) : QVariant();
        }
        if (name == QLatin1String("date")) { // in UTC
            const QDateTime date = QDateTime::fromString(QString::fromLatin1(trimmed), Qt::ISODate);
            return trimmed.endsWith('Z') && date.isValid() &&
                           dateFits(date.toMSecsSinceEpoch() - k2001)
                       ? QVariant(date)
                       : QVariant();
        }
        if (name != QLatin1String("data"))
            return {}; // an unknown element
        QByteArray base64 = trimmed;
        base64.removeIf([](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
        const auto data =
            QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
        return data ? QVariant(*data) : QVariant();
    }

    // Decimal with an optional sign, or hexadecimal after "0x". Values above the signed range
    // wrap, as in the binary form.
    static QVariant integer(const QByteArray &text) {
        const bool hex = text.startsWith("0x") || text.startsWith("0X");
        const bool negative = !hex && text.startsWith('-');
        const char *begin = text.constData() + (hex ? 2 : negative || text.startsWith('+'));
        quint64 magnitude = 0;
        const auto [end, ec] = std::from_chars(begin, text.constEnd(), magnitude, hex ? 16 : 10);
        if (ec != std::errc() || end != text.constEnd() ||
            (negative && magnitude > quint64(1) << 63))
            return {};
        return negative ? qint64(0 - magnitude) : qint64(magnitude);
    }

    QXmlStreamReader xml_;
    quint64 objects_ = 0;
};

// libplist takes strings as C strings: it would cut them at a NUL.
std::optional<QByteArray> cString(const QString &text) {
    return text.contains(QChar(0)) ? std::nullopt : std::optional(text.toUtf8());
}

Node toNode(const QVariant &value, QString *error) {
    const auto refuse = [&](const QString &what) {
        fail(error, QStringLiteral("%1 has no property-list form").arg(what));
        return Node();
    };
    const auto unsupported = [&] {
        const char *type = value.metaType().name();
        return refuse(QStringLiteral("a value of type %1").arg(type ? type : "(none)"));
    };
    constexpr int integers[] = {QMetaType::Char,     QMetaType::SChar,    QMetaType::UChar,
                                QMetaType::Short,    QMetaType::UShort,   QMetaType::Int,
                                QMetaType::UInt,     QMetaType::Long,     QMetaType::ULong,
                                QMetaType::LongLong, QMetaType::ULongLong};
    if (value.metaType() == QMetaType::fromType<PlistUid>()) { // libplist writes 32 bits of it
        const quint64 uid = value.value<PlistUid>().value;
        return uid <= UINT32_MAX ? Node(plist_new_uid(uid)) : unsupported();
    }
    if (std::ranges::find(integers, value.typeId()) != std::end(integers)) // unsigned ones wrap
        return Node(plist_new_uint(static_cast<uint64_t>(value.toLongLong())));
    switch (value.typeId()) {
    case QMetaType::Bool:
        return Node(plist_new_bool(value.toBool() ? 1 : 0));
    case QMetaType::Float:
    case QMetaType::Double:
        return Node(plist_new_real(value.toDouble()));
    case QMetaType::QString: {
        const auto text = cString(value.toString());
        return text ? Node(plist_new_string(text->constData()))
                    : refuse(QStringLiteral("a string holding a NUL character"));
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return Node(plist_new_data(bytes.constData(), static_cast<uint64_t>(bytes.size())));
    }
    case QMetaType::QDateTime: { // both parts with the date's sign
        const qint64 ms = value.toDateTime().toMSecsSinceEpoch() - k2001;
        return dateFits(ms) ? Node(plist_new_date(int32_t(ms / 1000), int32_t(ms % 1000) * 1000))
                            : unsupported();
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        Node array(plist_new_array());
        for (const QVariant &item : value.toList()) {
            Node child = toNode(item, error);
            if (!child)
                return {};
            plist_array_append_item(array.get(), child.release());
        }
        return array;
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        Node dict(plist_new_dict());
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const auto key = cString(it.key());
            Node child = key ? toNode(it.value(), error)
                             : refuse(QStringLiteral("a dictionary key holding a NUL character"));
            if (!child)
                return {};
            plist_dict_set_item(dict.get(), key->constData(), child.release());
        }
        return dict;
    }
    default:
        return unsupported();
    }
}

} // namespace

namespace PropertyList {

std::optional<QVariant> fromData(const QByteArray &bytes, QString *error) {
    if (bytes.isEmpty() || bytes.size() > kMaxBytes) {
        fail(error, bytes.isEmpty() ? QStringLiteral("the property list is empty")
                                    : QStringLiteral("the property list is too large"));
        return std::nullopt;
    }
    return bytes.startsWith("bplist00") ? BinaryReader(bytes).read(error)
                                        : XmlReader(bytes).read(error);
}

std::optional<QByteArray> binaryData(const QVariant &value, QString *error) {
    const Node node = toNode(value, error);
    char *bytes = nullptr;
    uint32_t length = 0;
    if (node)
        plist_to_bin(node.get(), &bytes, &length);
    if (node && !bytes)
        fail(error, QStringLiteral("the property list could not be written"));
    if (!bytes)
        return std::nullopt;
    const QByteArray out(bytes, qsizetype(length));
    plist_to_bin_free(bytes);
    return out;
}

// Written and read again, so that nothing is accepted that would not read back the same.
std::optional<QVariant> normalized(const QVariant &value, QString *error) {
    const auto bytes = binaryData(value, error);
    return bytes ? fromData(*bytes, error) : std::nullopt;
}

} // namespace PropertyList
