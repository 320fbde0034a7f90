// SPDX-License-Identifier: GPL-3.0-or-later
#include "PropertyList.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <plist/plist.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// libplist parses recursively and copies an object once for every reference to it, so a few
// hundred hostile bytes could exhaust the stack or the memory. These bounds are far above any
// settings file or archive Quillmere meets.
constexpr int kMaxDepth = 256;
constexpr quint64 kMaxObjects = quint64(1) << 18; // after shared references are expanded
constexpr qsizetype kMaxBytes = qsizetype(64) << 20;

bool fail(QString *error, const QString &why) {
    if (error)
        *error = why;
    return false;
}

struct NodeFree {
    void operator()(void *node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, NodeFree>;

quint64 readBigEndian(const uchar *p, int size) {
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | p[i];
    return value;
}

// Walks the object graph of a binary property list the way libplist will, without recursion,
// and rejects it before libplist sees it when it is malformed, cyclic, nested too deeply or
// expands to too many objects. Scalars are left to libplist, which checks their bounds.
class BinaryCheck {
public:
    explicit BinaryCheck(const QByteArray &bytes)
        : data_(reinterpret_cast<const uchar *>(bytes.constData()))
        , size_(static_cast<quint64>(bytes.size())) {}

    bool run(QString *error) {
        if (size_ < 8 + 32)
            return fail(error, QStringLiteral("the binary property list is truncated"));
        const uchar *trailer = data_ + size_ - 32;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        count_ = readBigEndian(trailer + 8, 8);
        const quint64 top = readBigEndian(trailer + 16, 8);
        tableOffset_ = readBigEndian(trailer + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8 || count_ == 0 ||
            top >= count_ || tableOffset_ < 8 || tableOffset_ >= size_ - 32 ||
            count_ > (size_ - 32 - tableOffset_) / static_cast<quint64>(offsetSize_))
            return fail(error, QStringLiteral("the binary property list has a damaged trailer"));
        return walk(top, error);
    }

private:
    struct Frame {
        quint64 index;
        std::vector<quint64> children;
        size_t next = 0;
        quint64 objects = 1;
        int depth = 1;
    };
    struct Done {
        quint64 objects = 0;
        int depth = 0;
        bool finished = false;
    };

    // The objects that object `index` refers to (none for a scalar).
    // Where object `index` starts, or 0 when the offset table points outside the objects.
    quint64 offsetOf(quint64 index) const {
        const quint64 offset = readBigEndian(
            data_ + tableOffset_ + index * static_cast<quint64>(offsetSize_), offsetSize_);
        return offset >= 8 && offset < tableOffset_ ? offset : 0;
    }

    // The length in the low nibble of an object's marker, or after it as an integer object;
    // `pos` moves past it.
    bool readCount(quint64 offset, quint64 &count, quint64 &pos) const {
        count = data_[offset] & 0xF;
        pos = offset + 1;
        if (count != 0xF)
            return true;
        if (pos >= tableOffset_ || (data_[pos] >> 4) != 0x1 || (data_[pos] & 0xF) > 3)
            return false;
        const int width = 1 << (data_[pos] & 0xF);
        ++pos;
        if (pos + static_cast<quint64>(width) > tableOffset_)
            return false;
        count = readBigEndian(data_ + pos, width);
        pos += static_cast<quint64>(width);
        return true;
    }

    // libplist aborts on a dictionary key holding a NUL character, so keys must be strings
    // (ASCII or UTF-16) without one. Each key object is read once however often it is used.
    bool isPlainKey(quint64 index) {
        if (plainKeys_.count(index))
            return true;
        const quint64 offset = offsetOf(index);
        quint64 count = 0, pos = 0;
        const int type = offset ? data_[offset] >> 4 : 0;
        if ((type != 0x5 && type != 0x6) || !readCount(offset, count, pos))
            return false;
        const quint64 unit = type == 0x6 ? 2 : 1;
        if (count > (tableOffset_ - pos) / unit)
            return false;
        for (quint64 i = 0; i < count; ++i) {
            const uchar *c = data_ + pos + i * unit;
            if (c[0] == 0 && (unit == 1 || c[1] == 0))
                return false;
        }
        plainKeys_.insert(index);
        return true;
    }

    // The objects that object `index` refers to (none for a scalar).
    bool children(quint64 index, std::vector<quint64> &out) {
        const quint64 offset = offsetOf(index);
        if (!offset)
            return false;
        const int type = data_[offset] >> 4;
        if (type != 0xA && type != 0xC && type != 0xD) // array, set, dictionary
            return true;
        quint64 count = 0, pos = 0;
        if (!readCount(offset, count, pos))
            return false;
        const quint64 refs = type == 0xD ? 2 : 1; // keys, then values
        if (count > (tableOffset_ - pos) / (refs * static_cast<quint64>(refSize_)))
            return false;
        out.reserve(count * refs);
        for (quint64 i = 0; i < count * refs; ++i) {
            const quint64 ref =
                readBigEndian(data_ + pos + i * static_cast<quint64>(refSize_), refSize_);
            if (ref >= count_ || (type == 0xD && i < count && !isPlainKey(ref)))
                return false;
            out.push_back(ref);
        }
        return true;
    }

    bool enter(quint64 index, std::vector<Frame> &stack, QString *error) {
        if (stack.size() >= static_cast<size_t>(kMaxDepth))
            return fail(error, QStringLiteral("the property list is nested too deeply"));
        Frame frame{index, {}};
        if (!children(index, frame.children))
            return fail(error, QStringLiteral("the binary property list has a damaged object"));
        seen_[index] = Done{};
        if (seen_.size() > kMaxObjects)
            return fail(error, QStringLiteral("the property list holds too many objects"));
        stack.push_back(std::move(frame));
        return true;
    }

    static bool add(Frame &parent, const Done &child, QString *error) {
        parent.objects += child.objects;
        parent.depth = std::max(parent.depth, child.depth + 1);
        if (parent.objects > kMaxObjects)
            return fail(error, QStringLiteral("the property list expands to too many objects"));
        if (parent.depth > kMaxDepth)
            return fail(error, QStringLiteral("the property list is nested too deeply"));
        return true;
    }

    bool walk(quint64 top, QString *error) {
        std::vector<Frame> stack;
        if (!enter(top, stack, error))
            return false;
        while (!stack.empty()) {
            Frame &frame = stack.back();
            if (frame.next < frame.children.size()) {
                const quint64 child = frame.children[frame.next++];
                const auto it = seen_.find(child);
                if (it == seen_.end()) {
                    if (!enter(child, stack, error))
                        return false;
                } else if (!it->second.finished) {
                    return fail(error, QStringLiteral("the property list refers to itself"));
                } else if (!add(frame, it->second, error)) {
                    return false;
                }
                continue;
            }
            const Done done{frame.objects, frame.depth, true};
            seen_[frame.index] = done;
            stack.pop_back();
            if (!stack.empty() && !add(stack.back(), done, error))
                return false;
        }
        return true;
    }

    const uchar *data_;
    quint64 size_;
    int offsetSize_ = 0;
    int refSize_ = 0;
    quint64 count_ = 0;
    quint64 tableOffset_ = 0;
    std::unordered_map<quint64, Done> seen_;
    std::unordered_set<quint64> plainKeys_;
};

// libplist's XML reader takes <integer>abc</integer> for 0 and an unreadable date for 1970,
// and frees what it built recursively. So the document is first checked here, with Qt's
// well-formedness checks and entity limits: the plist grammar, the text of every value, the
// nesting depth.
class XmlCheck {
public:
    explicit XmlCheck(const QByteArray &bytes)
        : xml_(bytes) {}

    bool run(QString *error) {
        bool sawPlist = false;
        while (!xml_.atEnd() && ok_) {
            switch (xml_.readNext()) {
            case QXmlStreamReader::StartElement:
                if (!sawPlist) {
                    sawPlist = xml_.name() == QLatin1String("plist");
                    if (!sawPlist)
                        bad(QStringLiteral("the root element is not <plist>"));
                    open_.push_back(Open{Plist});
                } else {
                    element();
                }
                break;
            case QXmlStreamReader::EndElement:
                if (!open_.empty()) {
                    if (open_.back().awaitingValue)
                        bad(QStringLiteral("a key without a value"));
                    open_.pop_back();
                    valueDone();
                }
                break;
            case QXmlStreamReader::Characters:
                if (!xml_.isWhitespace())
                    bad(QStringLiteral("text outside a value"));
                break;
            default:
                break;
            }
        }
        if (ok_ && xml_.hasError())
            bad(xml_.errorString());
        if (ok_ && !sawPlist)
            bad(QStringLiteral("no <plist> element"));
        if (!ok_)
            return fail(error, QStringLiteral("not a property list (%1 at line %2)")
                                   .arg(why_)
                                   .arg(xml_.lineNumber()));
        return true;
    }

private:
    enum Kind { Plist, Array, Dict };
    struct Open {
        Kind kind;
        bool awaitingValue = false; // in a dictionary, after a key
        int values = 0;
    };

    void bad(const QString &why) {
        if (ok_)
            why_ = why;
        ok_ = false;
    }

    void valueDone() {
        if (open_.empty())
            return;
        Open &parent = open_.back();
        parent.awaitingValue = false;
        if (parent.kind == Plist && ++parent.values > 1)
            bad(QStringLiteral("more than one value in <plist>"));
    }

    void element() {
        if (open_.empty())
            return bad(QStringLiteral("content after </plist>"));
        const QStringView name = xml_.name();
        Open &parent = open_.back();
        if (name == QLatin1String("key")) {
            if (parent.kind != Dict || parent.awaitingValue)
                return bad(QStringLiteral("a <key> out of place"));
            xml_.readElementText();
            parent.awaitingValue = true;
            return;
        }
        if (parent.kind == Dict && !parent.awaitingValue)
            return bad(QStringLiteral("a dictionary value without a key"));
        if (name == QLatin1String("array") || name == QLatin1String("dict")) {
            if (open_.size() > static_cast<size_t>(kMaxDepth))
                return bad(QStringLiteral("nested too deeply"));
            open_.push_back(Open{name == QLatin1String("array") ? Array : Dict});
            return;
        }
        static const QRegularExpression integer(
            QStringLiteral(R"(^\s*([+-]?[0-9]+|0[xX][0-9a-fA-F]+)\s*$)"));
        static const QRegularExpression real(
            QStringLiteral(
                R"(^\s*([+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?|nan|[+-]?inf(inity)?)\s*$)"),
            QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression date(
            QStringLiteral(R"(^\s*[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z\s*$)"));
        static const QRegularExpression data(QStringLiteral(R"(^[A-Za-z0-9+/=\s]*$)"));
        static const QRegularExpression empty(QStringLiteral(R"(^\s*$)"));
        const QRegularExpression *pattern = nullptr;
        if (name == QLatin1String("integer"))
            pattern = &integer;
        else if (name == QLatin1String("real"))
            pattern = &real;
        else if (name == QLatin1String("date"))
            pattern = &date;
        else if (name == QLatin1String("data"))
            pattern = &data;
        else if (name == QLatin1String("true") || name == QLatin1String("false"))
            pattern = &empty;
        else if (name != QLatin1String("string"))
            return bad(QStringLiteral("an unknown element <%1>").arg(name));
        const QString elementName = name.toString();
        const QString text = xml_.readElementText(); // also refuses child elements
        if (xml_.hasError())
            return bad(xml_.errorString());
        if (pattern && !pattern->match(text).hasMatch())
            return bad(QStringLiteral("<%1> holds \"%2\"").arg(elementName, text.left(40)));
        valueDone();
    }

    QXmlStreamReader xml_;
    std::vector<Open> open_;
    bool ok_ = true;
    QString why_;
};

const QDateTime &appleEpoch() {
    static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return epoch;
}

QVariant fromNode(plist_t node, int depth, QString *error, bool *ok);

QVariant fromContainer(plist_t node, int depth, QString *error, bool *ok) {
    if (depth > kMaxDepth) {
        *ok = fail(error, QStringLiteral("the property list is nested too deeply"));
        return {};
    }
    if (plist_get_node_type(node) == PLIST_ARRAY) {
        QVariantList list;
        list.reserve(plist_array_get_size(node));
        plist_array_iter it = nullptr;
        plist_array_new_iter(node, &it);
        plist_t item = nullptr;
        for (plist_array_next_item(node, it, &item); item && *ok;
             plist_array_next_item(node, it, &item))
            list.append(fromNode(item, depth + 1, error, ok));
        std::free(it);
        return list;
    }
    QVariantMap map;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(node, &it);
    for (;;) {
        char *key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, it, &key, &value);
        if (!value) {
            std::free(key);
            break;
        }
        map.insert(QString::fromUtf8(key), fromNode(value, depth + 1, error, ok));
        std::free(key);
        if (!*ok)
            break;
    }
    std::free(it);
    return map;
}

QVariant fromNode(plist_t node, int depth, QString *error, bool *ok) {
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return bool(value);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return static_cast<qint64>(value); // the binary form keeps integers as signed 64 bits
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return value;
    }
    case PLIST_STRING:
    case PLIST_KEY: {
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
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return QVariant::fromValue(PlistUid{value});
    }
    case PLIST_ARRAY:
    case PLIST_DICT:
        return fromContainer(node, depth, error, ok);
    default:
        *ok = fail(error, QStringLiteral("the property list holds an object of unknown type"));
        return {};
    }
}

Node toNode(const QVariant &value, QString *error) {
    const auto unsupported = [&]() {
        fail(error, QStringLiteral("a value of type %1 has no property-list form")
                        .arg(QString::fromLatin1(value.metaType().name() ? value.metaType().name()
                                                                         : "(none)")));
        return Node();
    };
    if (value.metaType() == QMetaType::fromType<PlistUid>())
        return Node(plist_new_uid(value.value<PlistUid>().value));
    switch (value.typeId()) {
    case QMetaType::Bool:
        return Node(plist_new_bool(value.toBool() ? 1 : 0));
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return Node(plist_new_uint(static_cast<uint64_t>(value.toLongLong())));
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return Node(plist_new_uint(value.toULongLong()));
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

} // namespace

namespace PropertyList {

std::optional<QVariant> fromData(const QByteArray &bytes, QString *error) {
    if (bytes.isEmpty()) {
        fail(error, QStringLiteral("the property list is empty"));
        return std::nullopt;
    }
    if (bytes.size() > kMaxBytes) {
        fail(error, QStringLiteral("the property list is too large"));
        return std::nullopt;
    }
    const auto length = static_cast<uint32_t>(bytes.size());
    plist_t root = nullptr;
    if (plist_is_binary(bytes.constData(), length)) {
        if (!BinaryCheck(bytes).run(error))
            return std::nullopt;
        plist_from_bin(bytes.constData(), length, &root);
    } else {
        if (!XmlCheck(bytes).run(error))
            return std::nullopt;
        plist_from_xml(bytes.constData(), length, &root);
    }
    if (!root) {
        fail(error, QStringLiteral("not a property list"));
        return std::nullopt;
    }
    const Node owner(root);
    bool ok = true;
    QVariant value = fromNode(root, 0, error, &ok);
    if (!ok)
        return std::nullopt;
    return value;
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
    if (!node)
        return std::nullopt;
    bool ok = true;
    QVariant out = fromNode(node.get(), 0, error, &ok);
    if (!ok)
        return std::nullopt;
    return out;
}

} // namespace PropertyList
