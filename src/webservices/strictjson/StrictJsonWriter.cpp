#include "webservices/strictjson/StrictJsonWriter.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/Format.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "webservices/jk/JKPrefetch.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>

namespace {

bool isContainer(const ns::Id& value)
{
    return ns::cast<ns::Dictionary>(value) || ns::cast<ns::Array>(value);
}

// A proxy may answer another proxy; a chain longer than this (one that loops, most likely) is refused
// rather than followed until the stack runs out.
constexpr int MaxProxyHops = 64;

} // namespace

// Whether a string's bytes need no escape: no control character, no quote and no backslash. Eight bytes at a
// time: a byte below 0x20 sets its top bit in (word - 0x20...) where it was clear in the word, and a byte
// equal to the quote or the backslash is a zero byte after the exclusive or. The last word overlaps the one
// before it, and a short text is gathered into one word (bytes read twice change nothing), so no byte is
// looked at alone.
bool StrictJsonWriter::plainText(const std::string& text)
{
    constexpr uint64_t Ones = 0x0101010101010101ull;
    constexpr uint64_t Tops = 0x8080808080808080ull;
    auto escaped = [](uint64_t word) {
        auto below = [](uint64_t w, uint64_t n) { return (w - Ones * n) & ~w & Tops; };
        return below(word, 0x20) | below(word ^ (Ones * '"'), 1) | below(word ^ (Ones * '\\'), 1);
    };
    const char* p = text.data();
    std::size_t n = text.size();
    if (n >= 8) {
        uint64_t found = 0;
        uint64_t word;
        for (std::size_t at = 0; at + 8 < n; at += 8) {
            std::memcpy(&word, p + at, 8);
            found |= escaped(word);
        }
        std::memcpy(&word, p + n - 8, 8);
        return !(found | escaped(word));
    }
    uint64_t word = 0x6161616161616161ull; // plain bytes where the text has none
    if (n >= 4) {
        uint32_t first;
        uint32_t last;
        std::memcpy(&first, p, 4);
        std::memcpy(&last, p + n - 4, 4);
        word = first | (static_cast<uint64_t>(last) << 32);
    } else if (n) {
        auto byte = [&](std::size_t i) { return static_cast<uint64_t>(static_cast<unsigned char>(p[i])); };
        word = (word << 24) | byte(0) | (byte(n / 2) << 8) | (byte(n - 1) << 16);
    }
    return !escaped(word);
}

std::optional<std::string> StrictJsonWriter::stringWithObject(const ns::Id& value)
{
    if (isContainer(value))
        return stringWithFragment(value);
    // A proxy is written through the container it stands for, whose own failure is the failure.
    ns::Id object = value;
    for (int hop = 0; hop < MaxProxyHops && object && !isContainer(object); ++hop) {
        auto* proxy = dynamic_cast<const StrictJsonProxy*>(object.get());
        if (!proxy)
            break;
        object = proxy->proxyForJson();
    }
    if (isContainer(object))
        return stringWithFragment(object);
    clearErrorTrace();
    addErrorWithCode(StrictJsonErrorFragment, "Not valid type for JSON");
    return std::nullopt;
}

std::optional<std::string> StrictJsonWriter::stringWithFragment(const ns::Id& value)
{
    clearErrorTrace();
    startCall();
    std::string json;
    json.reserve(128);
    if (!appendValue(value, json))
        return std::nullopt;
    return json;
}

[[gnu::noinline]] StrictJsonWriter::Kind StrictJsonWriter::classify(const std::type_info& type,
                                                                    const ns::Object* object)
{
    Kind kind = Kind::Other;
    if (dynamic_cast<const ns::Dictionary*>(object))
        kind = Kind::Dictionary;
    else if (dynamic_cast<const ns::Array*>(object))
        kind = Kind::Array;
    else if (dynamic_cast<const ns::String*>(object))
        kind = Kind::String;
    else if (dynamic_cast<const ns::DecimalNumber*>(object))
        kind = Kind::Decimal;
    else if (dynamic_cast<const ns::Number*>(object))
        kind = Kind::Number;
    else if (dynamic_cast<const StrictJsonProxy*>(object))
        kind = Kind::Proxy;
    // Remembered in turn: a program meets only a handful of classes here.
    m_known[m_nextKnown] = {&type, kind};
    m_nextKnown = (m_nextKnown + 1) % KnownClasses;
    return kind;
}

bool StrictJsonWriter::appendValue(const ns::Id& value, std::string& json)
{
    return appendObject(value.get(), json, 0);
}

bool StrictJsonWriter::appendObject(const ns::Object* object, std::string& json, int hops)
{
    Kind kind = kindOf(object);
    switch (kind) {
    case Kind::Dictionary:
        return appendDictionary(static_cast<const ns::Dictionary&>(*object), json);
    case Kind::Array:
        return appendArray(static_cast<const ns::Array&>(*object), json);
    case Kind::String:
        appendString(static_cast<const ns::String*>(object)->str(), json);
        return true;
    case Kind::Decimal: {
        // An exact decimal is written as its own text, unless it is too large for a double.
        auto* decimal = static_cast<const ns::DecimalNumber*>(object);
        if (!std::isfinite(decimal->doubleValue()))
            return appendScalar(object, Kind::Number, json);
        decimal->appendStringValue(json);
        return true;
    }
    case Kind::Number:
    case Kind::Other:
        return appendScalar(object, kind, json);
    case Kind::Proxy:
        break;
    }
    return appendProxy(object, json, hops);
}

// Out of line, so that the reference keeping a proxy's answer alive costs the other values nothing.
[[gnu::noinline]] bool StrictJsonWriter::appendProxy(const ns::Object* proxy, std::string& json, int hops)
{
    if (hops == MaxProxyHops)
        return fail(StrictJsonErrorDepth, "Nested too deep");
    ns::Id standIn = dynamic_cast<const StrictJsonProxy*>(proxy)->proxyForJson();
    return appendObject(standIn.get(), json, hops + 1);
}

[[gnu::noinline]] bool StrictJsonWriter::appendScalar(const ns::Object* object, Kind kind, std::string& json)
{
    if (kind == Kind::String) {
        appendString(static_cast<const ns::String*>(object)->str(), json);
        return true;
    }
    if (kind == Kind::Number) {
        auto* number = static_cast<const ns::Number*>(object);
        if (number->objCType() == 'c') {
            json += number->boolValue() ? "true" : "false";
            return true;
        }
        // NaN and the infinities have no JSON text; writing "nan" would hand out text no parser reads. A
        // decimal number beyond a double's range still has its own exact text.
        if (number->kind() == ns::Number::Kind::Double && !std::isfinite(number->doubleValue()) &&
            !dynamic_cast<const ns::DecimalNumber*>(number))
            return fail(StrictJsonErrorUnsupported,
                        ns::format("JSON serialisation not supported for the number %@", *number));
        json += number->stringValue();
        return true;
    }
    if (dynamic_cast<const ns::Null*>(object)) {
        json += "null";
        return true;
    }
    return fail(StrictJsonErrorUnsupported, ns::format("JSON serialisation not supported for %@",
                                                       object ? object->className() : std::string("(null)")));
}

[[gnu::noinline]] bool StrictJsonWriter::sortKeysOf(ns::Dictionary::Entries& entries)
{
    for (const auto& entry : entries) {
        if (!ns::cast<ns::String>(entry.first))
            return fail(StrictJsonErrorUnsupported, "JSON object key must be string");
    }
    // The order of the keys' own comparison: UTF-16 units, as the phone's strings compare.
    std::vector<std::pair<std::u16string, std::size_t>> order;
    order.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        order.emplace_back(ns::toUtf16(*ns::stringValue(entries[i].first)), i);
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    ns::Dictionary::Entries sorted;
    sorted.reserve(entries.size());
    for (const auto& item : order)
        sorted.push_back(std::move(entries[item.second]));
    entries = std::move(sorted);
    return true;
}

[[gnu::noinline]] bool StrictJsonWriter::failForKey(const ns::Id& key)
{
    return fail(StrictJsonErrorUnsupported, ns::format("Unsupported value for key %@ in object", key));
}

void StrictJsonWriter::appendIndent(std::string& json) const
{
    json += '\n';
    json.append(2 * static_cast<std::size_t>(m_depth), ' ');
}

// Inlined into the dictionary's own loops, where most of the writing happens.
[[gnu::always_inline]] inline bool StrictJsonWriter::appendEntry(const ns::Id& key, const ns::Id& member,
                                                                 bool first, std::string& json)
{
    bool readable = humanReadable();
    if (!first)
        json += ',';
    if (readable)
        appendIndent(json);
    if (kindOf(key.get()) != Kind::String)
        return fail(StrictJsonErrorUnsupported, "JSON object key must be string");
    appendString(static_cast<const ns::String&>(*key).str(), json);
    if (readable)
        json += " : ";
    else
        json += ':';
    if (!appendValue(member, json))
        return failForKey(key);
    return true;
}

bool StrictJsonWriter::appendDictionary(const ns::Dictionary& dictionary, std::string& json)
{
    if (!enterContainer())
        return false;
    json += '{';
    std::size_t written = 0;
    const ns::Dictionary::Entries* inPlace = sortKeys() ? nullptr : dictionary.entriesInPlace();
    if (inPlace) {
        // Written from the dictionary's own entries, without counting a reference to each.
        const ns::Dictionary::Entries& entries = *inPlace;
        for (std::size_t i = 0, n = std::min(entries.size(), JKPrefetchAhead); i < n; ++i)
            JKPrefetchObject(entries[i].second.get());
        for (std::size_t i = 0, n = entries.size(); i < n; ++i) {
            if (i + JKPrefetchAhead < n) {
                JKPrefetchObject(entries[i + JKPrefetchAhead].first.get());
                JKPrefetchObject(entries[i + JKPrefetchAhead].second.get());
            }
            if (!appendEntry(entries[i].first, entries[i].second, written++ == 0, json))
                return false;
        }
    } else if (!sortKeys() && nesting() <= EnumeratedNesting) {
        // Written as the dictionary hands its entries over, without a copy of them.
        struct Walk
        {
            StrictJsonWriter* writer;
            std::string* json;
            std::size_t* written;
            bool ok;
        } walk{this, &json, &written, true};
        Walk* state = &walk; // one pointer, so the visitor needs no memory of its own
        dictionary.enumerateKeysAndObjects([state](const ns::Id& key, const ns::Id& member, bool& stop) {
            if (!state->writer->appendEntry(key, member, *state->written == 0, *state->json)) {
                state->ok = false;
                stop = true;
            }
            ++*state->written;
        });
        if (!walk.ok)
            return false;
    } else {
        // Sorted, or nested deeply enough that each level had better take little stack: from a copy.
        ns::Dictionary::Entries entries = dictionary.entries();
        if (sortKeys() && !sortKeysOf(entries))
            return false;
        for (const auto& [key, member] : entries) {
            if (!appendEntry(key, member, written++ == 0, json))
                return false;
        }
    }
    leaveContainer();
    if (humanReadable() && written)
        appendIndent(json);
    json += '}';
    return true;
}

bool StrictJsonWriter::appendArray(const ns::Array& array, std::string& json)
{
    if (!enterContainer())
        return false;
    json += '[';
    bool readable = humanReadable();
    std::size_t count = array.count();
    std::span<const ns::Id> inPlace = array.objectsInPlace();
    bool borrowed = inPlace.size() == count; // the elements themselves, without a reference to each
    if (borrowed) {
        for (std::size_t i = 0, n = std::min(count, JKPrefetchAhead); i < n; ++i)
            JKPrefetchObject(inPlace[i].get());
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (borrowed && i + JKPrefetchAhead < count)
            JKPrefetchObject(inPlace[i + JKPrefetchAhead].get());
        if (i)
            json += ',';
        if (readable)
            appendIndent(json);
        if (!(borrowed ? appendValue(inPlace[i], json) : appendValue(array.objectAtIndex(i), json)))
            return false;
    }
    leaveContainer();
    if (readable && count)
        appendIndent(json);
    json += ']';
    return true;
}

[[gnu::noinline]] void StrictJsonWriter::appendEscaped(const std::string& text, std::string& json) const
{
    json += '"';
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        json.append(text, run, i - run);
        run = i + 1;
        switch (c) {
        case '"':
            json += "\\\"";
            break;
        case '\\':
            json += "\\\\";
            break;
        case '\b':
            json += "\\b";
            break;
        case '\t':
            json += "\\t";
            break;
        case '\n':
            json += "\\n";
            break;
        case '\f':
            json += "\\f";
            break;
        case '\r':
            json += "\\r";
            break;
        default:
            json += ns::format("\\u%04x", static_cast<unsigned>(c));
        }
    }
    json.append(text, run, text.size() - run);
    json += '"';
}
