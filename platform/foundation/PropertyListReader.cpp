#include "foundation/PropertyListReader.h"

#include "foundation/Array.h"
#include "foundation/Ascii.h"
#include "foundation/CHandle.h"
#include "foundation/CivilDate.h"
#include "foundation/Data.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/Number.h"
#include "foundation/PropertyList.h"
#include "foundation/PropertyListLimits.h"
#include "foundation/String.h"
#include "foundation/Text.h"

#include <plist/plist.h>

#include <charconv>
#include <climits>
#include <cstdlib>
#include <limits>
#include <vector>

namespace ns {
namespace {

// Seconds between 1970-01-01 and the property lists' epoch, 2001-01-01.
constexpr double ReferenceDateOffset = 978307200.0;

using PlistPtr = CHandle<void, plist_free>;
// The library hands out its texts and iterators from malloc.
using MallocPtr = CHandle<char, ::free>;

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
        std::string_view value = text ? std::string_view(text, length) : std::string_view();
        if (!isValidUtf8(value)) {
            reason = "a text is not valid UTF-8";
            return nullptr;
        }
        return String::make(std::string(value));
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
            // The key is read in place from its node; only a library that gives no pointer to it copies.
            plist_t item = nullptr;
            plist_dict_next_item(node, iterator, nullptr, &item);
            if (!item)
                break;
            plist_t keyNode = plist_dict_item_get_key(item);
            uint64_t keyLength = 0;
            const char* keyPointer = keyNode ? plist_get_string_ptr(keyNode, &keyLength) : nullptr;
            std::string keyText;
            if (keyPointer) {
                keyText.assign(keyPointer, keyLength);
            } else {
                char* key = nullptr;
                if (keyNode)
                    plist_get_key_val(keyNode, &key);
                MallocPtr keyHolder(key);
                keyText = key ? key : "";
            }
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

// Whether every integer element of an XML property list fits 64 bits (signed below zero, unsigned above):
// the library would clamp a larger one to the type's end without a word.
bool xmlIntegersFit(std::string_view xml)
{
    constexpr std::string_view open = "<integer>", close = "</integer>";
    for (std::size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at)) {
        at += open.size();
        std::size_t end = xml.find(close, at);
        if (end == std::string_view::npos)
            return true; // not well formed: the library says so
        std::string_view text = xml.substr(at, end - at);
        while (!text.empty() && isAsciiSpace(text.front()))
            text.remove_prefix(1);
        while (!text.empty() && isAsciiSpace(text.back()))
            text.remove_suffix(1);
        std::errc error{};
        if (!text.empty() && text.front() == '-') {
            int64_t value = 0;
            error = std::from_chars(text.data(), text.data() + text.size(), value).ec;
        } else {
            if (!text.empty() && text.front() == '+')
                text.remove_prefix(1);
            uint64_t value = 0;
            error = std::from_chars(text.data(), text.data() + text.size(), value).ec;
        }
        if (error == std::errc::result_out_of_range)
            return false;
    }
    return true;
}

// The common XML property list read straight into values, without the library's tree in between:
// dictionaries, arrays, keys, texts, decimal integers and booleans, in a plain document. Anything else
// (other kinds, comments, sections, attributes, unusual entities or numbers, text that is not UTF-8, too
// deep a nesting) makes it give up, and the library reads the document as before.
class CommonXmlReader
{
public:
    explicit CommonXmlReader(std::string_view xml) : m_xml(xml) {}

    Id read()
    {
        skipSpace();
        if (startsWith("<?xml")) {
            auto end = m_xml.find("?>", m_at);
            if (end == std::string_view::npos)
                return nullptr;
            m_at = end + 2;
            skipSpace();
        }
        if (startsWith("<!DOCTYPE")) {
            auto end = m_xml.find('>', m_at);
            if (end == std::string_view::npos ||
                m_xml.substr(m_at + 1, end - m_at - 1).find_first_of("[<") != std::string_view::npos)
                return nullptr;
            m_at = end + 1;
            skipSpace();
        }
        if (!startsWith("<plist"))
            return nullptr;
        auto end = m_xml.find('>', m_at);
        if (end == std::string_view::npos || m_xml[end - 1] == '/' ||
            m_xml.substr(m_at, end - m_at).find('<', 1) != std::string_view::npos)
            return nullptr;
        m_at = end + 1;
        skipSpace();
        Id value = readValue(0);
        if (!value)
            return nullptr;
        skipSpace();
        if (!take("</plist>"))
            return nullptr;
        skipSpace();
        return m_at == m_xml.size() ? value : nullptr;
    }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    void skipSpace()
    {
        while (m_at < m_xml.size() && isSpace(m_xml[m_at]))
            ++m_at;
    }
    bool startsWith(std::string_view text) const { return m_xml.substr(m_at, text.size()) == text; }
    bool take(std::string_view text)
    {
        if (!startsWith(text))
            return false;
        m_at += text.size();
        return true;
    }

    // The text up to "</name>", entities replaced; nothing when it is not plain.
    std::optional<std::string> readText(std::string_view close)
    {
        auto end = m_xml.find('<', m_at);
        if (end == std::string_view::npos)
            return std::nullopt;
        std::string_view raw = m_xml.substr(m_at, end - m_at);
        m_at = end;
        if (!take(close))
            return std::nullopt;
        if (raw.find('\r') != std::string_view::npos)
            return std::nullopt;
        std::string text;
        if (raw.find('&') == std::string_view::npos) {
            text.assign(raw);
        } else {
            text.reserve(raw.size());
            for (std::size_t i = 0; i < raw.size(); ++i) {
                if (raw[i] != '&') {
                    text += raw[i];
                    continue;
                }
                static constexpr std::pair<std::string_view, char> entities[] = {
                    {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
                bool known = false;
                for (const auto& [name, c] : entities)
                    if (raw.substr(i, name.size()) == name) {
                        text += c;
                        i += name.size() - 1;
                        known = true;
                        break;
                    }
                if (!known)
                    return std::nullopt;
            }
        }
        if (!isValidUtf8(text))
            return std::nullopt;
        return text;
    }

    Id readValue(int depth)
    {
        if (depth > PropertyList::MaximumDepth || !startsWith("<"))
            return nullptr;
        if (take("<string>")) {
            auto text = readText("</string>");
            return text ? String::make(std::move(*text)) : nullptr;
        }
        if (take("<dict>"))
            return readDict(depth);
        if (take("<integer>"))
            return readNumber();
        if (take("<array>"))
            return readArray(depth);
        if (take("<true/>"))
            return Number::numberWithBool(true);
        if (take("<false/>"))
            return Number::numberWithBool(false);
        if (take("<string/>"))
            return String::make(std::string());
        if (take("<dict/>"))
            return Dictionary::make();
        if (take("<array/>"))
            return Array::make();
        return nullptr;
    }

    Id readNumber()
    {
        auto end = m_xml.find('<', m_at);
        if (end == std::string_view::npos)
            return nullptr;
        std::string_view digits = m_xml.substr(m_at, end - m_at);
        m_at = end;
        if (!take("</integer>"))
            return nullptr;
        bool negative = !digits.empty() && digits.front() == '-';
        std::string_view magnitude = negative ? digits.substr(1) : digits;
        if (magnitude.empty() || (magnitude.size() > 1 && magnitude.front() == '0'))
            return nullptr;
        for (char c : magnitude)
            if (c < '0' || c > '9')
                return nullptr;
        if (negative) {
            int64_t value = 0;
            auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
            if (error != std::errc() || stop != digits.data() + digits.size())
                return nullptr;
            return Number::numberWithLongLong(value);
        }
        uint64_t value = 0;
        auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || stop != digits.data() + digits.size())
            return nullptr;
        if (value <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return Number::numberWithLongLong(static_cast<int64_t>(value));
        return Number::numberWithUnsignedLongLong(value);
    }

    Id readArray(int depth)
    {
        std::vector<Id> items;
        for (;;) {
            skipSpace();
            if (take("</array>"))
                return Array::make(std::move(items));
            Id value = readValue(depth + 1);
            if (!value)
                return nullptr;
            items.push_back(std::move(value));
        }
    }

    Id readDict(int depth)
    {
        Dictionary::Entries entries;
        for (;;) {
            skipSpace();
            if (take("</dict>"))
                return Dictionary::make(std::move(entries));
            if (!take("<key>"))
                return nullptr;
            auto key = readText("</key>");
            if (!key)
                return nullptr;
            skipSpace();
            Id value = readValue(depth + 1);
            if (!value)
                return nullptr;
            entries.emplace_back(String::make(std::move(*key)), std::move(value));
        }
    }

    std::string_view m_xml;
    std::size_t m_at = 0;
};

} // namespace

Id PropertyListReader::readCommonXml(std::string_view bytes)
{
    return CommonXmlReader(bytes).read();
}

Id PropertyListReader::read(std::string_view bytes, std::string& reason)
{
    if (bytes.substr(0, 6) != "bplist")
        if (Id value = readCommonXml(bytes))
            return value;
    return readThroughLibrary(bytes, reason);
}

Id PropertyListReader::readThroughLibrary(std::string_view bytes, std::string& reason)
{
    if (bytes.empty()) {
        reason = "no data";
        return nullptr;
    }
    if (bytes.size() > std::numeric_limits<uint32_t>::max()) {
        reason = "too large";
        return nullptr;
    }
    if (bytes.substr(0, 6) == "bplist") {
        if (!PropertyListLimits::binaryShapeAcceptable(bytes, PropertyList::MaximumDepth, reason))
            return nullptr;
    } else if (!PropertyListLimits::xmlDepthWithin(bytes, PropertyList::MaximumDepth)) {
        reason = "property list nested too deeply";
        return nullptr;
    } else if (!xmlIntegersFit(bytes)) {
        reason = "an integer does not fit in 64 bits";
        return nullptr;
    }
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    PlistPtr holder(root);
    if (!root) {
        reason = "not a property list";
        return nullptr;
    }
    return fromNode(root, 0, reason);
}

} // namespace ns
