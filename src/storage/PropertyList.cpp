// SPDX-License-Identifier: GPL-3.0-or-later
#include "PropertyList.h"

#include "Failure.h"

#include <QDateTime>
#include <QXmlStreamReader>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <memory>
#include <plist/plist.h>
#include <unordered_set>
#include <vector>

namespace {

// libplist 2.2 decodes recursively, copies an object once for every reference to it, and frees
// recursively, so a few hundred hostile bytes could exhaust the stack, the memory or the time.
// These bounds are far above any settings file or archive Quillmere meets.
constexpr int kMaxDepth = 256;
constexpr quint64 kMaxObjects = quint64(1) << 18; // after shared references are expanded
constexpr qsizetype kMaxBytes = qsizetype(64) << 20;

struct NodeFree {
    void operator()(void *node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, NodeFree>;

const QDateTime &appleEpoch() {
    static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return epoch;
}

quint64 bigEndian(const uchar *p, int size) {
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | p[i];
    return value;
}

// Walks a binary property list's references the way libplist will expand them, without
// recursion and before libplist sees the bytes. Every visit counts, so a shared object counts
// once per reference and a cycle ends at the depth bound; the walk itself stops after
// kMaxObjects visits. Scalars are left to libplist, which checks their bounds, except
// dictionary keys: libplist 2.2 asserts when it hands out a key holding a NUL character.
bool checkBinary(const QByteArray &bytes, QString *error) {
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const auto size = static_cast<quint64>(bytes.size());
    const auto damaged = [error] {
        return fail(error, QStringLiteral("the binary property list is damaged"));
    };
    if (size < 8 + 32)
        return damaged();
    const uchar *trailer = data + size - 32;
    const int offsetSize = trailer[6], refSize = trailer[7];
    const quint64 count = bigEndian(trailer + 8, 8), top = bigEndian(trailer + 16, 8);
    const quint64 table = bigEndian(trailer + 24, 8); // the offset table; objects lie before it
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || top >= count ||
        table < 8 || table >= size - 32 || count > (size - 32 - table) / quint64(offsetSize))
        return damaged();

    struct Frame {
        quint64 next; // where the container's next reference is
        quint64 left; // references still to follow
        quint64 keys; // of which the first ones are a dictionary's keys
    };
    std::vector<Frame> stack;
    std::unordered_set<quint64> plainKeys; // each key object is read once however often used
    quint64 visits = 0;
    const auto visit = [&](quint64 index, bool isKey) {
        if (++visits > kMaxObjects)
            return fail(error, QStringLiteral("the property list expands to too many objects"));
        const quint64 at = bigEndian(data + table + index * quint64(offsetSize), offsetSize);
        if (at < 8 || at >= table)
            return damaged();
        const int type = data[at] >> 4;
        const bool container = type == 0xA || type == 0xC || type == 0xD; // array, set, dict
        if (!container && !isKey)
            return true;
        // The length sits in the marker's low nibble, or after it as an integer object.
        quint64 length = data[at] & 0xF, next = at + 1;
        if (length == 0xF) {
            if (next >= table || (data[next] >> 4) != 0x1 || (data[next] & 0xF) > 3)
                return damaged();
            const int width = 1 << (data[next] & 0xF);
            if (next + 1 + quint64(width) > table)
                return damaged();
            length = bigEndian(data + next + 1, width);
            next += 1 + quint64(width);
        }
        if (isKey) { // an ASCII or UTF-16 string without NUL
            const quint64 unit = type == 0x6 ? 2 : 1;
            if ((type != 0x5 && type != 0x6) || length > (table - next) / unit)
                return damaged();
            if (!plainKeys.insert(index).second)
                return true;
            for (quint64 i = 0; i < length; ++i)
                if (data[next + i * unit] == 0 && data[next + i * unit + unit - 1] == 0)
                    return fail(error, QStringLiteral("a dictionary key holds a NUL character"));
            return true;
        }
        const quint64 perEntry = type == 0xD ? 2 : 1; // a dictionary's keys, then its values
        if (length > (table - next) / (perEntry * quint64(refSize)))
            return damaged();
        if (stack.size() >= size_t(kMaxDepth))
            return fail(error, QStringLiteral("the property list is nested too deeply"));
        stack.push_back({next, length * perEntry, type == 0xD ? length : 0});
        return true;
    };
    if (!visit(top, false))
        return false;
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.left == 0) {
            stack.pop_back();
            continue;
        }
        const quint64 ref = bigEndian(data + frame.next, refSize);
        const bool isKey = frame.keys > 0;
        frame.next += quint64(refSize);
        --frame.left;
        frame.keys -= isKey ? 1 : 0;
        if (ref >= count)
            return damaged();
        if (!visit(ref, isKey)) // may grow the stack: `frame` is not used after this
            return false;
    }
    return true;
}

// A scalar through one of libplist's getters.
template <typename T> T scalarOf(plist_t node, void (*get)(plist_t, T *)) {
    T value{};
    get(node, &value);
    return value;
}

QVariant fromNode(plist_t node, bool *ok) {
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN:
        return bool(scalarOf(node, plist_get_bool_val));
    case PLIST_UINT: // the binary form keeps integers as signed 64 bits
        return static_cast<qint64>(scalarOf(node, plist_get_uint_val));
    case PLIST_REAL:
        return scalarOf(node, plist_get_real_val);
    case PLIST_UID:
        return QVariant::fromValue(PlistUid{scalarOf(node, plist_get_uid_val)});
    case PLIST_STRING: {
        uint64_t length = 0;
        const char *text = plist_get_string_ptr(node, &length);
        return text ? QString::fromUtf8(text, static_cast<qsizetype>(length)) : QString();
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char *bytes = plist_get_data_ptr(node, &length);
        return QByteArray(bytes, bytes ? static_cast<qsizetype>(length) : 0);
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        // libplist gives the seconds rounded toward zero and the fraction without its sign
        // (lost for the last second before 2001, which reads as the first one after).
        const qint64 fraction = (sec < 0 ? -1 : 1) * qint64(usec / 1000);
        return appleEpoch().addMSecs(qint64(sec) * 1000 + fraction);
    }
    case PLIST_ARRAY: {
        QVariantList list;
        for (uint32_t i = 0; i < plist_array_get_size(node) && *ok; ++i)
            list.append(fromNode(plist_array_get_item(node, i), ok));
        return list;
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        char *key = nullptr;
        plist_t value = nullptr;
        for (plist_dict_next_item(node, it, &key, &value); value && *ok;
             plist_dict_next_item(node, it, &key, &value)) {
            map.insert(QString::fromUtf8(key), fromNode(value, ok));
            std::free(key);
            key = nullptr;
        }
        std::free(key);
        std::free(it);
        return map;
    }
    default:
        *ok = false;
        return {};
    }
}

// The XML form, read with Qt's stream reader (well-formedness, entity limits) straight into
// values: libplist's XML reader takes <integer>abc</integer> for 0 and frees what it built
// recursively, so it never sees outside XML. Recursion stops at kMaxDepth.
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
        if (name == QLatin1String("string"))
            return text;
        const QByteArray trimmed = text.trimmed().toLatin1(); // other characters become '?'
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
        if (name == QLatin1String("date")) { // in UTC, within the binary form's 32-bit seconds
            const QDateTime date = QDateTime::fromString(QString::fromLatin1(trimmed), Qt::ISODate);
            const qint64 seconds = appleEpoch().secsTo(date);
            return trimmed.endsWith('Z') && date.isValid() && seconds >= INT32_MIN &&
                           seconds <= INT32_MAX
                       ? QVariant(date)
                       : QVariant();
        }
        if (name == QLatin1String("data")) {
            QByteArray base64 = text.toLatin1();
            base64.removeIf([](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
            const auto decoded =
                QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
            return decoded ? QVariant(*decoded) : QVariant();
        }
        return {}; // an unknown element
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

Node toNode(const QVariant &value, QString *error) {
    const auto unsupported = [&]() {
        fail(error, QStringLiteral("a value of type %1 has no property-list form")
                        .arg(QString::fromLatin1(value.metaType().name() ? value.metaType().name()
                                                                         : "(none)")));
        return Node();
    };
    constexpr int integers[] = {QMetaType::Char,     QMetaType::SChar,    QMetaType::UChar,
                                QMetaType::Short,    QMetaType::UShort,   QMetaType::Int,
                                QMetaType::UInt,     QMetaType::Long,     QMetaType::ULong,
                                QMetaType::LongLong, QMetaType::ULongLong};
    if (value.metaType() == QMetaType::fromType<PlistUid>())
        return Node(plist_new_uid(value.value<PlistUid>().value));
    if (std::ranges::find(integers, value.typeId()) != std::end(integers)) // unsigned ones wrap
        return Node(plist_new_uint(static_cast<uint64_t>(value.toLongLong())));
    switch (value.typeId()) {
    case QMetaType::Bool:
        return Node(plist_new_bool(value.toBool() ? 1 : 0));
    case QMetaType::Float:
    case QMetaType::Double:
        return Node(plist_new_real(value.toDouble()));
    case QMetaType::QString:
        return Node(plist_new_string(value.toString().toUtf8().constData()));
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return Node(plist_new_data(bytes.constData(), static_cast<uint64_t>(bytes.size())));
    }
    case QMetaType::QDateTime: {
        // Split toward zero, both parts with the date's sign, as libplist splits what it reads.
        const qint64 ms = appleEpoch().msecsTo(value.toDateTime());
        const qint64 sec = ms / 1000;
        if (sec < INT32_MIN || sec > INT32_MAX)
            return unsupported();
        return Node(
            plist_new_date(static_cast<int32_t>(sec), static_cast<int32_t>(ms % 1000) * 1000));
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
            Node child = toNode(it.value(), error);
            if (!child)
                return {};
            plist_dict_set_item(dict.get(), it.key().toUtf8().constData(), child.release());
        }
        return dict;
    }
    default:
        return unsupported();
    }
}

std::optional<QVariant> valueOf(plist_t node, QString *error) {
    bool ok = true;
    QVariant value = fromNode(node, &ok);
    if (!ok) {
        fail(error, QStringLiteral("the property list holds an object of unknown type"));
        return std::nullopt;
    }
    return value;
}

} // namespace

namespace PropertyList {

std::optional<QVariant> fromData(const QByteArray &bytes, QString *error) {
    if (bytes.isEmpty() || bytes.size() > kMaxBytes) {
        fail(error, bytes.isEmpty() ? QStringLiteral("the property list is empty")
                                    : QStringLiteral("the property list is too large"));
        return std::nullopt;
    }
    if (!bytes.startsWith("bplist00"))
        return XmlReader(bytes).read(error);
    if (!checkBinary(bytes, error))
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_bin(bytes.constData(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root) {
        fail(error, QStringLiteral("not a property list"));
        return std::nullopt;
    }
    const Node owner(root);
    return valueOf(root, error);
}

std::optional<QByteArray> binaryData(const QVariant &value, QString *error) {
    const Node node = toNode(value, error);
    if (!node)
        return std::nullopt;
    char *bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(node.get(), &bytes, &length);
    if (!bytes) {
        fail(error, QStringLiteral("the property list could not be written"));
        return std::nullopt;
    }
    QByteArray out(bytes, static_cast<qsizetype>(length));
    plist_to_bin_free(bytes);
    return out;
}

std::optional<QVariant> normalized(const QVariant &value, QString *error) {
    const Node node = toNode(value, error);
    return node ? valueOf(node.get(), error) : std::nullopt;
}

} // namespace PropertyList
