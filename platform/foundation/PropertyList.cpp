#include "foundation/PropertyList.h"

#include "foundation/Array.h"
#include "foundation/Ascii.h"
#include "foundation/CHandle.h"
#include "foundation/CivilDate.h"
#include "foundation/Data.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/Text.h"

#include <plist/plist.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace ns {
namespace {

// Seconds between 1970-01-01 and the property lists' epoch, 2001-01-01.
constexpr double ReferenceDateOffset = 978307200.0;
// A binary property list may share objects; expanded into a tree it must stay within this many nodes.
constexpr uint64_t MaximumExpandedNodes = 4'000'000;

using PlistPtr = CHandle<void, plist_free>;
// The library hands out its texts and iterators from malloc.
using MallocPtr = CHandle<char, ::free>;

Ref<Error> corrupt(const std::string& reason)
{
    return Error::withDescription(
        CocoaErrorDomain, PropertyListReadCorruptError,
        "The data couldn\xe2\x80\x99t be read because it isn\xe2\x80\x99t in the correct format. (" + reason +
            ")");
}

Ref<Error> invalid(const std::string& reason)
{
    return Error::withDescription(CocoaErrorDomain, PropertyListWriteInvalidError,
                                  "The value is not a property list: " + reason);
}

// ---- Depth and size checks made before the library parses, so hostile nesting cannot exhaust its stack.

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// Counts the nesting of <array> and <dict> the way an XML parser sees them: comments, CDATA sections,
// processing instructions, declarations and quoted attribute values hide what looks like tags.
bool xmlDepthWithin(std::string_view xml, int limit)
{
    int depth = 0;
    std::size_t i = 0;
    while ((i = xml.find('<', i)) != std::string_view::npos) {
        std::string_view rest = xml.substr(i);
        if (startsWith(rest, "<!--")) {
            std::size_t end = xml.find("-->", i + 4);
            if (end == std::string_view::npos)
                return true; // unterminated: the parser refuses it
            i = end + 3;
            continue;
        }
        if (startsWith(rest, "<![CDATA[")) {
            std::size_t end = xml.find("]]>", i + 9);
            if (end == std::string_view::npos)
                return true;
            i = end + 3;
            continue;
        }
        if (startsWith(rest, "<?")) {
            std::size_t end = xml.find("?>", i + 2);
            if (end == std::string_view::npos)
                return true;
            i = end + 2;
            continue;
        }
        bool closing = startsWith(rest, "</");
        std::size_t nameStart = i + (closing ? 2 : 1);
        std::size_t nameEnd = nameStart;
        while (nameEnd < xml.size() && (isAsciiAlphanumeric(xml[nameEnd]) || xml[nameEnd] == '_' ||
                                        xml[nameEnd] == ':' || xml[nameEnd] == '-' || xml[nameEnd] == '!'))
            ++nameEnd;
        std::string_view name = xml.substr(nameStart, nameEnd - nameStart);
        // Find the tag's end outside quoted values; a declaration's internal subset nests brackets.
        std::size_t j = nameEnd;
        char quote = 0;
        int brackets = 0;
        for (; j < xml.size(); ++j) {
            char c = xml[j];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            } else if (c == '>' && brackets <= 0) {
                break;
            }
        }
        if (j >= xml.size())
            return true;
        bool selfClosing = j > i && xml[j - 1] == '/';
        if (name == "array" || name == "dict") {
            if (closing)
                --depth;
            else if (!selfClosing && ++depth > limit)
                return false;
        }
        i = j + 1;
    }
    return true;
}

uint64_t bigEndian(const unsigned char* bytes, std::size_t count)
{
    uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

// Walks the object graph of a binary property list without building it: every reference in range, no
// cycles, nesting within the limit and a bounded tree once shared objects are expanded.
bool binaryShapeAcceptable(std::string_view data, int limit, std::string& reason)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    const std::size_t size = data.size();
    if (size < 8 + 32) {
        reason = "binary property list too short";
        return false;
    }
    const unsigned char* trailer = bytes + size - 32;
    const unsigned offsetSize = trailer[6];
    const unsigned refSize = trailer[7];
    const uint64_t objectCount = bigEndian(trailer + 8, 8);
    const uint64_t top = bigEndian(trailer + 16, 8);
    const uint64_t tableOffset = bigEndian(trailer + 24, 8);
    const uint64_t tableEnd = size - 32;
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || objectCount == 0 ||
        top >= objectCount || tableOffset < 8 || tableOffset > tableEnd ||
        objectCount > (tableEnd - tableOffset) / offsetSize) {
        reason = "binary property list trailer is inconsistent";
        return false;
    }

    auto offsetOf = [&](uint64_t index) {
        return bigEndian(bytes + tableOffset + index * offsetSize, offsetSize);
    };

    // A key must be a text without NUL characters (the library asserts on them).
    auto keyAcceptable = [&](uint64_t offset) -> bool {
        unsigned char marker = bytes[offset];
        unsigned type = marker >> 4;
        if (type != 0x5 && type != 0x6)
            return false;
        uint64_t count = marker & 0x0F;
        uint64_t position = offset + 1;
        if (count == 0x0F) {
            if (position >= tableOffset)
                return false;
            unsigned char intMarker = bytes[position];
            if ((intMarker >> 4) != 0x1 || (intMarker & 0x0F) > 3)
                return false;
            std::size_t width = std::size_t(1) << (intMarker & 0x0F);
            if (position + 1 + width > tableOffset)
                return false;
            count = bigEndian(bytes + position + 1, width);
            position += 1 + width;
        }
        const uint64_t unit = type == 0x6 ? 2 : 1;
        if (count > (tableOffset - position) / unit)
            return false;
        for (uint64_t k = 0; k < count; ++k) {
            bool zero = bytes[position + k * unit] == 0 && (unit == 1 || bytes[position + k * unit + 1] == 0);
            if (zero)
                return false;
        }
        return true;
    };

    // The references an object holds: [first, first + count * refSize).
    struct Children
    {
        uint64_t first = 0;
        uint64_t count = 0;
    };
    auto childrenOf = [&](uint64_t index, Children& children) -> bool {
        uint64_t offset = offsetOf(index);
        if (offset < 8 || offset >= tableOffset)
            return false;
        unsigned char marker = bytes[offset];
        unsigned type = marker >> 4;
        children = {};
        if (type != 0xA && type != 0xC && type != 0xD)
            return true;
        uint64_t count = marker & 0x0F;
        uint64_t position = offset + 1;
        if (count == 0x0F) {
            if (position >= tableOffset)
                return false;
            unsigned char intMarker = bytes[position];
            if ((intMarker >> 4) != 0x1 || (intMarker & 0x0F) > 3)
                return false;
            std::size_t width = std::size_t(1) << (intMarker & 0x0F);
            if (position + 1 + width > tableOffset)
                return false;
            count = bigEndian(bytes + position + 1, width);
            position += 1 + width;
        }
        if (type == 0xD) {
            if (count > std::numeric_limits<uint64_t>::max() / 2)
                return false;
            count *= 2;
        }
        if (count > (tableOffset - position) / refSize)
            return false;
        if (type == 0xD) {
            // The library requires every key to be a text (ASCII, UTF-16 or UTF-8).
            for (uint64_t k = 0; k < count / 2; ++k) {
                uint64_t key = bigEndian(bytes + position + k * refSize, refSize);
                if (key >= objectCount)
                    return false;
                uint64_t keyOffset = offsetOf(key);
                if (keyOffset < 8 || keyOffset >= tableOffset)
                    return false;
                if (!keyAcceptable(keyOffset))
                    return false;
            }
        }
        children.first = position;
        children.count = count;
        return true;
    };

    enum : int32_t { Unknown = -1, Visiting = -2 };
    std::vector<int32_t> depth(objectCount, Unknown);
    std::vector<uint64_t> expanded(objectCount, 0);
    struct Frame
    {
        uint64_t index;
        Children children;
        uint64_t next;
    };
    std::vector<Frame> stack;
    auto push = [&](uint64_t index) -> bool {
        Frame frame{index, {}, 0};
        if (!childrenOf(index, frame.children))
            return false;
        depth[index] = Visiting;
        stack.push_back(frame);
        return true;
    };
    if (!push(top)) {
        reason = "binary property list object out of range";
        return false;
    }
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.children.count) {
            int32_t deepest = 0;
            uint64_t nodes = 1;
            for (uint64_t k = 0; k < frame.children.count; ++k) {
                uint64_t child = bigEndian(bytes + frame.children.first + k * refSize, refSize);
                deepest = std::max(deepest, depth[child]);
                nodes = std::min(MaximumExpandedNodes + 1, nodes + expanded[child]);
            }
            depth[frame.index] = deepest + 1;
            expanded[frame.index] = nodes;
            stack.pop_back();
            continue;
        }
        uint64_t child = bigEndian(bytes + frame.children.first + frame.next * refSize, refSize);
        ++frame.next;
        if (child >= objectCount) {
            reason = "binary property list reference out of range";
            return false;
        }
        if (depth[child] == Visiting) {
            reason = "binary property list refers to itself";
            return false;
        }
        if (depth[child] != Unknown)
            continue;
        if (static_cast<int>(stack.size()) >= limit) {
            reason = "property list nested too deeply";
            return false;
        }
        if (!push(child)) {
            reason = "binary property list object out of range";
            return false;
        }
    }
    if (depth[top] > limit) {
        reason = "property list nested too deeply";
        return false;
    }
    if (expanded[top] > MaximumExpandedNodes) {
        reason = "binary property list expands too far";
        return false;
    }
    return true;
}

// ---- From the library's nodes to our values.

// The node's own XML text, for the few values the library's accessors cannot give exactly.
std::string nodeXml(plist_t node)
{
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    MallocPtr holder(xml);
    return xml ? std::string(xml, length) : std::string();
}

std::string elementText(const std::string& xml, std::string_view element)
{
    std::string open = "<";
    open.append(element).append(">");
    std::string close = "</";
    close.append(element).append(">");
    std::size_t start = xml.find(open);
    if (start == std::string::npos)
        return {};
    start += open.size();
    std::size_t end = xml.find(close, start);
    return end == std::string::npos ? std::string() : xml.substr(start, end - start);
}

// "YYYY-MM-DDTHH:MM:SSZ" to seconds since 1970.
bool parseIsoDate(std::string_view text, double& seconds)
{
    int64_t year = 0;
    unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    auto number = [&](std::size_t& at, std::size_t width, auto& out) {
        if (at + width > text.size())
            return false;
        auto result = std::from_chars(text.data() + at, text.data() + at + width, out);
        if (result.ec != std::errc() || result.ptr != text.data() + at + width)
            return false;
        at += width;
        return true;
    };
    std::size_t at = 0;
    std::size_t yearWidth = text.find('-');
    if (yearWidth == std::string_view::npos || yearWidth < 1 || yearWidth > 9 || !number(at, yearWidth, year))
        return false;
    auto expect = [&](char c) { return at < text.size() && text[at++] == c; };
    if (!expect('-') || !number(at, 2, month) || !expect('-') || !number(at, 2, day) || !expect('T') ||
        !number(at, 2, hour) || !expect(':') || !number(at, 2, minute) || !expect(':') ||
        !number(at, 2, second) || !expect('Z') || at != text.size())
        return false;
    if (negative)
        year = -year;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return false;
    seconds =
        static_cast<double>(daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second);
    return true;
}

Id fromNode(plist_t node, int depth, std::string& reason)
{
    if (depth > PropertyList::MaximumDepth) {
        reason = "property list nested too deeply";
        return nullptr;
    }
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return Number::numberWithBool(value != 0);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        if (value <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return Number::numberWithLongLong(static_cast<int64_t>(value));
        // Above the signed range the accessor cannot say whether the number was negative; its text can.
        std::string text = elementText(nodeXml(node), "integer");
        if (!text.empty() && text.front() == '-')
            return Number::numberWithLongLong(static_cast<int64_t>(value));
        return Number::numberWithUnsignedLongLong(value);
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return Number::numberWithDouble(value);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        std::string value = text ? std::string(text, length) : std::string();
        if (!isValidUtf8(value)) {
            reason = "a text is not valid UTF-8";
            return nullptr;
        }
        return String::make(std::move(value));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        std::vector<uint8_t> value;
        if (bytes)
            value.assign(bytes, bytes + length);
        return Data::make(std::move(value));
    }
    case PLIST_DATE: {
        int32_t seconds = 0, microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        if (seconds != INT32_MIN && seconds != INT32_MAX)
            return Date::withTimeIntervalSince1970(static_cast<double>(seconds) + microseconds / 1e6 +
                                                   ReferenceDateOffset);
        // Outside the accessor's 32-bit range (the distant future and past): read the date's text.
        double value = 0;
        if (!parseIsoDate(elementText(nodeXml(node), "date"), value)) {
            reason = "a date is out of range";
            return nullptr;
        }
        return Date::withTimeIntervalSince1970(value);
    }
    case PLIST_ARRAY: {
        uint32_t count = plist_array_get_size(node);
        std::vector<Id> items;
        items.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            plist_t item = plist_array_get_item(node, i);
            Id value = item ? fromNode(item, depth + 1, reason) : nullptr;
            if (!value) {
                if (reason.empty())
                    reason = "an array holds nothing";
                return nullptr;
            }
            items.push_back(std::move(value));
        }
        return Array::make(std::move(items));
    }
    case PLIST_DICT: {
        Dictionary::Entries entries;
        entries.reserve(plist_dict_get_size(node));
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        CHandle<void, ::free> iteratorHolder(iterator);
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iterator, &key, &item);
            MallocPtr keyHolder(key);
            if (!item)
                break;
            std::string keyText = key ? key : "";
            if (!isValidUtf8(keyText)) {
                reason = "a key is not valid UTF-8";
                return nullptr;
            }
            Id value = fromNode(item, depth + 1, reason);
            if (!value)
                return nullptr;
            entries.emplace_back(String::make(std::move(keyText)), std::move(value));
        }
        return Dictionary::make(std::move(entries));
    }
    default:
        reason = "an unsupported value kind";
        return nullptr;
    }
}

// ---- From our values to XML.

void appendEscaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
}

void appendBase64(std::string& out, const Data& data, const std::string& indent)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    constexpr std::size_t lineLength = 68;
    const uint8_t* bytes = data.data();
    const std::size_t size = data.length();
    std::string encoded;
    encoded.reserve((size + 2) / 3 * 4);
    for (std::size_t i = 0; i < size; i += 3) {
        uint32_t chunk = static_cast<uint32_t>(bytes[i]) << 16;
        if (i + 1 < size)
            chunk |= static_cast<uint32_t>(bytes[i + 1]) << 8;
        if (i + 2 < size)
            chunk |= bytes[i + 2];
        encoded += alphabet[(chunk >> 18) & 63];
        encoded += alphabet[(chunk >> 12) & 63];
        encoded += i + 1 < size ? alphabet[(chunk >> 6) & 63] : '=';
        encoded += i + 2 < size ? alphabet[chunk & 63] : '=';
    }
    for (std::size_t i = 0; i < encoded.size(); i += lineLength) {
        out += indent;
        out.append(encoded, i, lineLength);
        out += '\n';
    }
}

std::string realText(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "+infinity" : "-infinity";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string dateText(double secondsSince1970)
{
    double whole = std::floor(secondsSince1970);
    // Beyond any calendar year of four or five digits there is nothing meaningful to write.
    whole = std::clamp(whole, -1e14, 1e14);
    int64_t total = static_cast<int64_t>(whole);
    int64_t days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
    int64_t rest = total - days * 86400;
    int64_t year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days, year, month, day);
    return format("%04lld-%02u-%02uT%02lld:%02lld:%02lldZ", static_cast<long long>(year), month, day,
                  static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                  static_cast<long long>(rest % 60));
}

bool appendXml(std::string& out, const Id& value, int depth, std::string& reason)
{
    if (depth > PropertyList::MaximumDepth) {
        reason = "nested too deeply";
        return false;
    }
    std::string indent(static_cast<std::size_t>(depth), '\t');
    if (!value) {
        reason = "nothing";
        return false;
    }
    if (auto* text = dynamic_cast<const String*>(value.get())) {
        out += indent + "<string>";
        appendEscaped(out, text->str());
        out += "</string>\n";
        return true;
    }
    if (auto* number = dynamic_cast<const Number*>(value.get())) {
        switch (number->kind()) {
        case Number::Kind::Bool:
            out += indent + (number->boolValue() ? "<true/>\n" : "<false/>\n");
            break;
        case Number::Kind::Signed:
            out +=
                indent + format("<integer>%lld</integer>\n", static_cast<long long>(number->longLongValue()));
            break;
        case Number::Kind::Unsigned:
            out += indent + format("<integer>%llu</integer>\n",
                                   static_cast<unsigned long long>(number->unsignedLongLongValue()));
            break;
        case Number::Kind::Double:
            out += indent + "<real>" + realText(number->doubleValue()) + "</real>\n";
            break;
        }
        return true;
    }
    if (auto* data = dynamic_cast<const Data*>(value.get())) {
        out += indent + "<data>\n";
        appendBase64(out, *data, indent);
        out += indent + "</data>\n";
        return true;
    }
    if (auto* date = dynamic_cast<const Date*>(value.get())) {
        out += indent + "<date>" + dateText(date->timeIntervalSince1970()) + "</date>\n";
        return true;
    }
    if (auto* array = dynamic_cast<const Array*>(value.get())) {
        if (array->count() == 0) {
            out += indent + "<array/>\n";
            return true;
        }
        out += indent + "<array>\n";
        for (std::size_t i = 0; i < array->count(); ++i)
            if (!appendXml(out, array->objectAtIndex(i), depth + 1, reason))
                return false;
        out += indent + "</array>\n";
        return true;
    }
    if (auto* dictionary = dynamic_cast<const Dictionary*>(value.get())) {
        if (dictionary->count() == 0) {
            out += indent + "<dict/>\n";
            return true;
        }
        out += indent + "<dict>\n";
        bool ok = true;
        dictionary->enumerateKeysAndObjects([&](const Id& key, const Id& item, bool& stop) {
            auto* keyText = dynamic_cast<const String*>(key.get());
            if (!keyText) {
                reason = "a dictionary key is not a text: " + describe(key);
                ok = false;
                stop = true;
                return;
            }
            out += indent + "\t<key>";
            appendEscaped(out, keyText->str());
            out += "</key>\n";
            if (!appendXml(out, item, depth + 1, reason)) {
                ok = false;
                stop = true;
            }
        });
        if (!ok)
            return false;
        out += indent + "</dict>\n";
        return true;
    }
    reason = value->className() + " " + value->description();
    return false;
}

Id copyValue(const Id& value, int depth)
{
    if (!value || depth > PropertyList::MaximumDepth)
        return nullptr;
    if (dynamic_cast<const String*>(value.get()) || dynamic_cast<const Number*>(value.get()) ||
        dynamic_cast<const Data*>(value.get()) || dynamic_cast<const Date*>(value.get()))
        return value->copy();
    if (auto* array = dynamic_cast<const Array*>(value.get())) {
        std::vector<Id> items;
        items.reserve(array->count());
        for (std::size_t i = 0; i < array->count(); ++i) {
            Id item = copyValue(array->objectAtIndex(i), depth + 1);
            if (!item)
                return nullptr;
            items.push_back(std::move(item));
        }
        return Array::make(std::move(items));
    }
    if (auto* dictionary = dynamic_cast<const Dictionary*>(value.get())) {
        Dictionary::Entries entries;
        entries.reserve(dictionary->count());
        bool ok = true;
        dictionary->enumerateKeysAndObjects([&](const Id& key, const Id& item, bool& stop) {
            Id copied = dynamic_cast<const String*>(key.get()) ? copyValue(item, depth + 1) : nullptr;
            if (!copied) {
                ok = false;
                stop = true;
                return;
            }
            entries.emplace_back(key, std::move(copied));
        });
        if (!ok)
            return nullptr;
        return Dictionary::make(std::move(entries));
    }
    return nullptr;
}

} // namespace

Id PropertyList::propertyListWithData(const Data& data, Ref<Error>* error)
{
    return propertyListWithData(data.view(), error);
}

Id PropertyList::propertyListWithData(std::string_view bytes, Ref<Error>* error)
{
    if (bytes.empty()) {
        setError(error, corrupt("no data"));
        return nullptr;
    }
    if (bytes.size() > std::numeric_limits<uint32_t>::max()) {
        setError(error, corrupt("too large"));
        return nullptr;
    }
    std::string reason;
    if (startsWith(bytes, "bplist")) {
        if (!binaryShapeAcceptable(bytes, MaximumDepth, reason)) {
            setError(error, corrupt(reason));
            return nullptr;
        }
    } else if (!xmlDepthWithin(bytes, MaximumDepth)) {
        setError(error, corrupt("property list nested too deeply"));
        return nullptr;
    }
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    PlistPtr holder(root);
    if (!root) {
        setError(error, corrupt("not a property list"));
        return nullptr;
    }
    Id value = fromNode(root, 0, reason);
    if (!value)
        setError(error, corrupt(reason));
    return value;
}

Id PropertyList::propertyListWithContentsOfFile(const std::string& path, Ref<Error>* error)
{
    auto data = FileManager::contentsAtPath(path, error);
    if (!data)
        return nullptr;
    return propertyListWithData(*data, error);
}

std::string PropertyList::xmlText(const Id& value, Ref<Error>* error)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n";
    std::string reason;
    if (!appendXml(out, value, 0, reason)) {
        setError(error, invalid(reason));
        return {};
    }
    out += "</plist>\n";
    return out;
}

Ref<Data> PropertyList::dataWithPropertyList(const Id& value, Ref<Error>* error)
{
    std::string text = xmlText(value, error);
    if (text.empty())
        return nullptr;
    return Data::withString(text);
}

bool PropertyList::writePropertyList(const Id& value, const std::string& path, Ref<Error>* error)
{
    std::string text = xmlText(value, error);
    if (text.empty())
        return false;
    return FileManager::writeAtomically(path, text, error);
}

bool PropertyList::isValid(const Id& value)
{
    return copyValue(value, 0) != nullptr;
}

Id PropertyList::copyPropertyList(const Id& value)
{
    return copyValue(value, 0);
}

} // namespace ns
