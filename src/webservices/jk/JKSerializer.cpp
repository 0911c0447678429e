#include "webservices/jk/JKSerializer.h"

#include "foundation/Array.h"
#include "foundation/Ascii.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Exception.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "webservices/jk/JKArray.h"
#include "webservices/jk/JKDictionary.h"
#include "webservices/jk/JKDoubleFormat.h"
#include "webservices/jk/JKPrefetch.h"
#include "webservices/jk/JKUnicode.h"
#include "webservices/jk/JSONDecoder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <typeinfo>
#include <vector>

namespace {

enum class Kind { None, String, Number, Dictionary, Array, Null };

constexpr std::size_t CacheSize = 1024;
// Graphs nest at most as deep as the decoder accepts; a deeper (or cyclic) graph is refused instead of
// exhausting the stack.
constexpr uint32_t MaximumDepth = JKMaximumNestingDepth;

// Bytes a string's plain run stops at: controls, the quote, the backslash and every non-ASCII byte.
struct EscapeStops
{
    bool stop[256];
    constexpr EscapeStops() : stop()
    {
        for (int c = 0; c < 256; ++c)
            stop[c] = c < 0x20 || c == '"' || c == '\\' || c >= 0x80;
    }
};
constexpr EscapeStops Stops;

// Dictionary keys in the order of their UTF-16 units, as the platform compares texts.
bool utf16Less(const std::string& a, const std::string& b)
{
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<uint8_t>(a[i]);
        auto y = static_cast<uint8_t>(b[i]);
        if (x == y)
            continue;
        // UTF-8 order is code point order; only lead bytes of supplementary characters (F0 and above,
        // surrogate pairs in UTF-16) sort below U+E000 to U+FFFF (lead bytes EE and EF) in UTF-16.
        auto rank = [](uint8_t lead) -> int {
            return lead >= 0xF0 ? 0xED * 2 + 1 : lead >= 0xEE ? lead * 2 + 2 : lead * 2;
        };
        return rank(x) < rank(y);
    }
    return a.size() < b.size();
}

// A container member's own slots lie apart from it; they are asked for once the member itself has arrived,
// half as far ahead, so that walking into the member does not stall on them either.
constexpr std::size_t SlotsAhead = JKPrefetchAhead / 2;

void prefetchSlots(const ns::Object* member)
{
    if (!member)
        return;
    const std::type_info& type = typeid(*member);
    const void* slots = nullptr;
    if (&type == &typeid(JKDictionary))
        slots = static_cast<const JKDictionary*>(member)->table().data();
    else if (&type == &typeid(JKArray))
        slots = static_cast<const JKArray*>(member)->data();
    if (slots) {
        __builtin_prefetch(slots);
        __builtin_prefetch(static_cast<const char*>(slots) + 64);
    }
}

} // namespace

// Thrown when the output cannot grow; the serialization records it as its error.
struct JKGrowFailure
{
};

// The output of one serialization: grown with realloc, so that growing neither fills the new room nor,
// for large buffers, copies what was written.
class JKOutputBuffer
{
public:
    JKOutputBuffer() = default;
    JKOutputBuffer(const JKOutputBuffer&) = delete;
    JKOutputBuffer& operator=(const JKOutputBuffer&) = delete;
    ~JKOutputBuffer() { std::free(m_bytes); }

    char* bytes() { return m_bytes; }
    const char* bytes() const { return m_bytes; }
    std::size_t capacity() const { return m_capacity; }
    // At least `wanted` bytes; false when memory is exhausted (the buffer is then as it was).
    bool resize(std::size_t wanted)
    {
        void* grown = std::realloc(m_bytes, wanted);
        if (!grown)
            return false;
        m_bytes = static_cast<char*>(grown);
        m_capacity = wanted;
        return true;
    }

private:
    char* m_bytes = nullptr;
    std::size_t m_capacity = 0;
};

// One serialization: the output, the cache of the text written for each string and number, and the
// last class seen of each kind.
class JKEncodeState
{
public:
    JKEncodeState(JKSerializeOptionFlags options, JKEncodeOptionType encodeOption,
                  JKSerializer::Formatter formatter)
        : m_options(options), m_encodeOption(encodeOption), m_formatter(std::move(formatter)),
          m_cache(std::make_unique<CacheSlot[]>(CacheSize))
    {
        m_out.resize(4096); // or nothing yet: the first write grows it, and reports a failure
    }

    // `stable` tells that the object stays alive to the end of the serialization without the encoder's
    // help: reached from the root only through containers that hold their members.
    bool addAtom(const ns::Id& object, bool stable)
    {
        // Shared keys and values are mostly met again: those are copied without leaving this function.
        if (object) [[likely]] {
            std::size_t slot = slotOf(object.get());
            CacheSlot& cached = m_cache[slot];
            if (cached.object == object.get()) {
                copyEarlier(cached);
                return true;
            }
            // Numbers, strings and containers are written here too, without the frame that formatters
            // need; null and the rest go the long way.
            const ns::Object& target = *object;
            std::size_t start = m_at;
            switch (kindOf(target)) {
            case Kind::Number:
                if (!writeNumber(static_cast<const ns::Number&>(target)))
                    return false;
                file(cached, slot, object, false, stable, start);
                return true;
            case Kind::String:
                if (!writeString(static_cast<const ns::String&>(target)))
                    return false;
                file(cached, slot, object, true, stable, start);
                return true;
            case Kind::Array:
                return writeKind(Kind::Array, target, stable);
            case Kind::Dictionary:
                return writeKind(Kind::Dictionary, target, stable);
            default:
                break;
            }
        }
        return writeAtom(object, stable);
    }
    void error(std::string message)
    {
        if (!m_error)
            m_error = ns::Error::withDescription(JKErrorDomain, -1, message);
    }
    const ns::Ref<ns::Error>& errorObject() const { return m_error; }
    std::string_view output() const { return std::string_view(m_out.bytes(), m_at); }
    Kind kindOf(const ns::Object& object)
    {
        // One pointer comparison for the classes met before; the type objects are unique in this program,
        // and a miss only costs the slower test.
        const std::type_info& type = typeid(object);
        if (&type == m_stringClass)
            return Kind::String;
        if (&type == m_numberClass)
            return Kind::Number;
        if (&type == m_dictionaryClass)
            return Kind::Dictionary;
        if (&type == m_arrayClass)
            return Kind::Array;
        if (&type == m_nullClass)
            return Kind::Null;
        return classify(object, type);
    }

private:
    Kind classify(const ns::Object& object, const std::type_info& type);
    // The text written for a string or number object, by the object's address. The offset and length are
    // 32-bit, and the length's top bit marks an object that is a string itself (not one a formatter stood
    // in for); a text that lies beyond that is simply not filed.
    struct CacheSlot
    {
        const ns::Object* object = nullptr;
        uint32_t offset = 0;
        uint32_t length = 0;
    };
    static constexpr uint32_t StringMark = 1u << 31;

    static std::size_t slotOf(const ns::Object* object)
    {
        auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(object));
        return (((address >> 9) ^ (address >> 21)) + (address >> 4)) & (CacheSize - 1);
    }

    char* reserve(std::size_t bytes)
    {
        if (m_out.capacity() - m_at < bytes) [[unlikely]]
            grow(bytes);
        return m_out.bytes() + m_at;
    }
    void grow(std::size_t bytes);
    void write(const char* bytes, std::size_t length)
    {
        std::memcpy(reserve(length), bytes, length);
        m_at += length;
    }
    void write1(char c, int depthChange)
    {
        if (m_options & JKSerializeOptionPretty) [[unlikely]] {
            write1Pretty(c, depthChange);
            return;
        }
        *reserve(1) = c;
        ++m_at;
    }
    void write1Pretty(char c, int depthChange);
    void writeIndentation();
    void copyEarlier(const CacheSlot& cached)
    {
        std::size_t length = cached.length & ~StringMark;
        char* p = reserve(length + 256);
        const char* earlier = m_out.bytes() + cached.offset;
        // Short texts move as one fixed block, read whole before it is written: the buffer has room past
        // both ends, and the block may overlap the end of the earlier text.
        if (length <= 16) {
            char block[16];
            std::memcpy(block, earlier, 16);
            std::memcpy(p, block, 16);
        } else if (length <= 32) {
            char block[32];
            std::memcpy(block, earlier, 32);
            std::memcpy(p, block, 32);
        } else {
            std::memcpy(p, earlier, length);
        }
        m_at += length;
    }
    bool writeAtom(const ns::Id& object, bool stable);
    void file(CacheSlot& cached, std::size_t slot, const ns::Id& object, bool isString, bool stable,
              std::size_t start)
    {
        // Most texts are filed under an object that stays alive anyway, with no keep-alive slot to clear.
        std::size_t length = m_at - start;
        if (stable && !m_keepAlive && m_at <= UINT32_MAX && length < StringMark) [[likely]] {
            cached.object = object.get();
            cached.offset = static_cast<uint32_t>(start);
            cached.length = static_cast<uint32_t>(length) | (isString ? StringMark : 0);
            return;
        }
        fileSlowly(cached, slot, object, isString, stable, start);
    }
    void fileSlowly(CacheSlot& cached, std::size_t slot, const ns::Id& object, bool isString, bool stable,
                    std::size_t start);
    bool writeString(const ns::String& string);
    bool writeNumber(const ns::Number& number);
    bool writeArray(const ns::Array& array, bool stable);
    bool writeDictionary(const ns::Dictionary& dictionary, bool stable);
    bool writeEntry(std::size_t index, const ns::Id& key, const ns::Id& value, bool stable);
    bool writeKind(Kind kind, const ns::Object& object, bool stable);
    bool tooDeep();

    JKSerializeOptionFlags m_options;
    JKEncodeOptionType m_encodeOption;
    JKSerializer::Formatter m_formatter;
    JKOutputBuffer m_out;
    std::size_t m_at = 0;
    uint32_t m_depth = 0;   // for indentation
    uint32_t m_nesting = 0; // open arrays and dictionaries
    ns::Ref<ns::Error> m_error;
    std::unique_ptr<CacheSlot[]> m_cache;
    // Beside each slot that names an object which might otherwise die meanwhile, a reference that keeps it
    // alive, so that its address cannot be reused by another object while the slot names it. Made the
    // first time such an object is filed.
    std::unique_ptr<ns::Id[]> m_keepAlive;
    const std::type_info* m_stringClass = &typeid(ns::String);
    const std::type_info* m_numberClass = &typeid(ns::Number);
    const std::type_info* m_dictionaryClass = &typeid(JKDictionary);
    const std::type_info* m_arrayClass = &typeid(JKArray);
    const std::type_info* m_nullClass = &typeid(ns::Null);
};

[[gnu::noinline]] Kind JKEncodeState::classify(const ns::Object& object, const std::type_info& type)
{
    if (dynamic_cast<const ns::String*>(&object)) {
        m_stringClass = &type;
        return Kind::String;
    }
    if (dynamic_cast<const ns::Number*>(&object)) {
        m_numberClass = &type;
        return Kind::Number;
    }
    if (dynamic_cast<const ns::Dictionary*>(&object)) {
        m_dictionaryClass = &type;
        return Kind::Dictionary;
    }
    if (dynamic_cast<const ns::Array*>(&object)) {
        m_arrayClass = &type;
        return Kind::Array;
    }
    if (dynamic_cast<const ns::Null*>(&object)) {
        m_nullClass = &type;
        return Kind::Null;
    }
    return Kind::None;
}

void JKEncodeState::grow(std::size_t bytes)
{
    std::size_t wanted = std::max(m_at + bytes, m_out.capacity() * 2);
    if (!m_out.resize((wanted + 32767) / 32768 * 32768))
        throw JKGrowFailure(); // unwinds to the serialization, which records it
}

void JKEncodeState::writeIndentation()
{
    std::size_t width = std::size_t(m_depth) * 2;
    char* p = reserve(width + 1);
    *p++ = '\n';
    std::memset(p, ' ', width);
    m_at += width + 1;
}

void JKEncodeState::write1Pretty(char c, int depthChange)
{
    m_depth = static_cast<uint32_t>(static_cast<int>(m_depth) + depthChange);
    if (c == ':') {
        write(": ", 2);
    } else if (depthChange < 0) {
        writeIndentation();
        write(&c, 1);
    } else {
        write(&c, 1);
        writeIndentation();
    }
}

bool JKEncodeState::writeString(const ns::String& string)
{
    const std::string& text = string.str();
    const bool quotes = !(m_encodeOption & JKEncodeOptionStringObjTrimQuotes);
    const bool escapeUnicode = m_options & JKSerializeOptionEscapeUnicode;
    const bool escapeSlash = m_options & JKSerializeOptionEscapeForwardSlashes;
    // Six bytes at most for each input byte: "\u0001" for a control, "\ud83d\ude00" for four bytes.
    char* start = reserve(text.size() * 6 + 256);
    char* p = start;
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    const uint8_t* end = s + text.size();
    if (quotes)
        *p++ = '"';
    while (s < end) {
        const uint8_t* run = s;
        while (s < end && !Stops.stop[*s] && !(escapeSlash && *s == '/'))
            ++s;
        if (s > run) {
            std::memcpy(p, run, static_cast<std::size_t>(s - run));
            p += s - run;
            if (s >= end)
                break;
        }
        uint8_t c = *s;
        if (c < 0x80) {
            ++s;
            *p++ = '\\';
            switch (c) {
            case '\b':
                *p++ = 'b';
                break;
            case '\f':
                *p++ = 'f';
                break;
            case '\n':
                *p++ = 'n';
                break;
            case '\r':
                *p++ = 'r';
                break;
            case '\t':
                *p++ = 't';
                break;
            case '"':
            case '\\':
            case '/':
                *p++ = static_cast<char>(c);
                break;
            default:
                *p++ = 'u';
                *p++ = '0';
                *p++ = '0';
                *p++ = ns::lowerHexDigits[c >> 4];
                *p++ = ns::lowerHexDigits[c & 0xF];
            }
            continue;
        }
        if (!escapeUnicode) {
            std::size_t length = JKWellFormedUTF8Length(s, end);
            if (length == 0) {
                error("An error occurred converting the contents of a NSString to UTF8.");
                return false;
            }
            std::memcpy(p, s, length);
            p += length;
            s += length;
            continue;
        }
        const uint8_t* next = nullptr;
        char32_t codePoint = 0;
        if (ConvertSingleCodePointInUTF8(s, end, &next, &codePoint) != JKUTF8Result::Ok) {
            error("Error converting UTF8.");
            return false;
        }
        s = next;
        auto unit = [&](uint32_t value) {
            *p++ = '\\';
            *p++ = 'u';
            *p++ = ns::lowerHexDigits[(value >> 12) & 0xF];
            *p++ = ns::lowerHexDigits[(value >> 8) & 0xF];
            *p++ = ns::lowerHexDigits[(value >> 4) & 0xF];
            *p++ = ns::lowerHexDigits[value & 0xF];
        };
        if (codePoint <= 0xFFFF) {
            unit(codePoint);
        } else {
            unit(0xD7C0 + (codePoint >> 10));
            unit(0xDC00 + (codePoint & 0x3FF));
        }
    }
    if (quotes)
        *p++ = '"';
    m_at += static_cast<std::size_t>(p - start);
    return true;
}

bool JKEncodeState::writeNumber(const ns::Number& number)
{
    char* p = reserve(64);
    if (number.isBool()) {
        if (number.boolValue()) {
            std::memcpy(p, "true", 4);
            m_at += 4;
        } else {
            std::memcpy(p, "false", 5);
            m_at += 5;
        }
        return true;
    }
    char type = number.objCType();
    std::to_chars_result result{};
    switch (type) {
    case 'c':
    case 'i':
    case 's':
    case 'l':
    case 'q':
        result = std::to_chars(p, p + 64, number.longLongValue());
        break;
    case 'C':
    case 'I':
    case 'S':
    case 'L':
    case 'Q':
    case 'B':
        result = std::to_chars(p, p + 64, number.unsignedLongLongValue());
        break;
    case 'f':
    case 'd': {
        double value = number.doubleValue();
        if (!std::isfinite(value)) {
            error("Floating point values must be finite.  JSON does not support NaN or Infinity.");
            return false;
        }
        // Seventeen significant digits, as "%.17g" writes them, so that every double reads back exactly.
        result.ptr = JKFormatDouble17g(value, p);
        break;
    }
    default: {
        auto byte = static_cast<uint8_t>(type);
        std::string message = "NSNumber conversion error, unknown type.  Type: '";
        message += type;
        message += "' / 0x";
        message += ns::lowerHexDigits[byte >> 4];
        message += ns::lowerHexDigits[byte & 0xF];
        error(message);
        return false;
    }
    }
    m_at += static_cast<std::size_t>(result.ptr - p);
    return true;
}

bool JKEncodeState::writeEntry(std::size_t index, const ns::Id& key, const ns::Id& value, bool stable)
{
    if (index > 0)
        write1(',', 0);
    // A key met before as a string is copied at once; any other is classified first.
    const CacheSlot* cached = key ? &m_cache[slotOf(key.get())] : nullptr;
    if (cached && cached->object == key.get() && (cached->length & StringMark)) {
        copyEarlier(*cached);
    } else {
        if (!key || kindOf(*key) != Kind::String) {
            error("Key must be a string object.");
            return false;
        }
        if (!writeAtom(key, stable))
            return false;
    }
    write1(':', 0);
    return addAtom(value, stable);
}

bool JKEncodeState::writeArray(const ns::Array& array, bool stable)
{
    write1('[', +1);
    if (typeid(array) == typeid(JKArray)) {
        // The decoder's arrays hand out their slots, which hold their members.
        const auto& jk = static_cast<const JKArray&>(array);
        const ns::Id* objects = jk.data();
        const std::size_t n = jk.count();
        for (std::size_t i = 0; i < std::min(n, JKPrefetchAhead); ++i)
            JKPrefetchObject(objects[i].get());
        for (std::size_t i = 0; i < n; ++i) {
            if (i + JKPrefetchAhead < n)
                JKPrefetchObject(objects[i + JKPrefetchAhead].get());
            if (i + SlotsAhead < n)
                prefetchSlots(objects[i + SlotsAhead].get());
            if (i > 0)
                write1(',', 0);
            if (!addAtom(objects[i], stable))
                return false;
        }
    } else {
        // Other arrays answer copies, which may be the only reference to what they answer.
        for (std::size_t i = 0, n = array.count(); i < n; ++i) {
            if (i > 0)
                write1(',', 0);
            if (!addAtom(array.objectAtIndex(i), false))
                return false;
        }
    }
    write1(']', -1);
    return true;
}

bool JKEncodeState::writeDictionary(const ns::Dictionary& dictionary, bool stable)
{
    write1('{', +1);
    const JKDictionary* jk =
        typeid(dictionary) == typeid(JKDictionary) ? static_cast<const JKDictionary*>(&dictionary) : nullptr;
    bool membersStable = stable && jk; // the decoder's dictionaries answer what their slots hold
    if (m_options & JKSerializeOptionPretty) {
        std::vector<ns::Id> keys = dictionary.allKeys();
        std::stable_sort(keys.begin(), keys.end(), [](const ns::Id& a, const ns::Id& b) {
            auto* x = ns::stringValue(a);
            auto* y = ns::stringValue(b);
            if (!x || !y)
                return !x && y; // keys that are not strings come first, and fail there
            return utf16Less(*x, *y);
        });
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (!writeEntry(i, keys[i], dictionary.objectForKey(keys[i]), membersStable))
                return false;
    } else if (jk) {
        std::size_t index = 0;
        const JKDictionary::Table& table = jk->table();
        const std::size_t n = table.size();
        for (std::size_t i = 0; i < std::min(n, JKPrefetchAhead); ++i)
            JKPrefetchObject(table[i].object.get());
        for (std::size_t i = 0; i < n; ++i) {
            if (i + JKPrefetchAhead < n)
                JKPrefetchObject(table[i + JKPrefetchAhead].object.get());
            if (i + SlotsAhead < n)
                prefetchSlots(table[i + SlotsAhead].object.get());
            const JKHashTableEntry& entry = table[i];
            if (!entry.key)
                continue;
            if (!writeEntry(index++, entry.key, entry.object, membersStable))
                return false;
        }
    } else {
        std::size_t index = 0;
        bool ok = true;
        dictionary.enumerateKeysAndObjects([&](const ns::Id& key, const ns::Id& value, bool& stop) {
            if (!writeEntry(index++, key, value, false)) {
                ok = false;
                stop = true;
            }
        });
        if (!ok)
            return false;
    }
    write1('}', -1);
    return true;
}

[[gnu::noinline, gnu::cold]] bool JKEncodeState::tooDeep()
{
    error("Exceeded the maximum nesting depth of " + std::to_string(MaximumDepth) + " arrays and objects.");
    return false;
}

bool JKEncodeState::writeKind(Kind kind, const ns::Object& object, bool stable)
{
    switch (kind) {
    case Kind::String:
        return writeString(static_cast<const ns::String&>(object));
    case Kind::Number:
        return writeNumber(static_cast<const ns::Number&>(object));
    case Kind::Null:
        write("null", 4);
        return true;
    case Kind::Array:
    case Kind::Dictionary: {
        if (m_nesting >= MaximumDepth) [[unlikely]]
            return tooDeep();
        ++m_nesting;
        bool ok = kind == Kind::Array ? writeArray(static_cast<const ns::Array&>(object), stable)
                                      : writeDictionary(static_cast<const ns::Dictionary&>(object), stable);
        --m_nesting;
        return ok;
    }
    case Kind::None:
        break;
    }
    return false;
}

bool JKEncodeState::writeAtom(const ns::Id& object, bool stable)
{
    if (!object) {
        error("Unable to serialize object class (null).");
        return false;
    }
    std::size_t slot = slotOf(object.get());
    CacheSlot& cached = m_cache[slot];

    Kind kind = kindOf(*object);
    const ns::Object* target = object.get();
    ns::Id formatted;
    if (kind == Kind::None) {
        if (m_formatter)
            formatted = m_formatter(object);
        if (!formatted) {
            error("Unable to serialize object class " + object->className() + ".");
            return false;
        }
        kind = kindOf(*formatted);
        if (kind == Kind::None) {
            error("Unable to serialize object class " + formatted->className() +
                  " that was returned by the unsupported class formatter.  Original object class was " +
                  object->className() + ".");
            return false;
        }
        target = formatted.get();
    }
    std::size_t start = m_at;
    // What a formatter answered lives only while it is written.
    if (!writeKind(kind, *target, stable && !formatted))
        return false;
    // Filed under the object as given, before any formatter.
    if (kind == Kind::String || kind == Kind::Number || kind == Kind::Null)
        file(cached, slot, object, kind == Kind::String && !formatted, stable, start);
    return true;
}

[[gnu::noinline]] void JKEncodeState::fileSlowly(CacheSlot& cached, std::size_t slot, const ns::Id& object,
                                                 bool isString, bool stable, std::size_t start)
{
    std::size_t length = m_at - start;
    if (m_at > UINT32_MAX || length >= StringMark) {
        cached.object = nullptr;
        if (m_keepAlive)
            m_keepAlive[slot] = nullptr;
        return;
    }
    cached.object = object.get();
    cached.offset = static_cast<uint32_t>(start);
    cached.length = static_cast<uint32_t>(length) | (isString ? StringMark : 0);
    if (!stable) {
        if (!m_keepAlive)
            m_keepAlive = std::make_unique<ns::Id[]>(CacheSize);
        m_keepAlive[slot] = object;
    } else if (m_keepAlive) {
        m_keepAlive[slot] = nullptr;
    }
}

JKSerializer::JKSerializer() = default;

JKSerializer::~JKSerializer()
{
    releaseState();
}

void JKSerializer::releaseState()
{
    m_encodeState.reset();
}

ns::Id JKSerializer::serializeObject(const ns::Id& object, JKSerializeOptionFlags options,
                                     JKEncodeOptionType encodeOption, const Formatter& block,
                                     const ns::Ref<JKSerializingDelegate>& delegate,
                                     std::string_view selector, ns::Ref<ns::Error>* error)
{
    JKSerializer serializer;
    return serializer.serialize(object, options, encodeOption, block, delegate, selector, error);
}

ns::Id JKSerializer::serialize(const ns::Id& object, JKSerializeOptionFlags options,
                               JKEncodeOptionType encodeOption, const Formatter& block,
                               const ns::Ref<JKSerializingDelegate>& delegate, std::string_view selector,
                               ns::Ref<ns::Error>* error)
{
    releaseState();
    if (error)
        *error = nullptr;
    Formatter formatter = block;
    if (delegate) {
        if (selector.empty())
            ns::raise(ns::InvalidArgumentException,
                      "The delegate argument is not NULL, but the selector argument is NULL.");
        if (!delegate->respondsToSelector(selector))
            ns::raise(
                ns::InvalidArgumentException,
                "The serializeUnsupportedClassesUsingDelegate: delegate does not respond to the selector "
                "argument.");
        std::string name(selector);
        formatter = [delegate, name](const ns::Id& unsupported) {
            return delegate->performSelector(name, unsupported);
        };
    }
    m_encodeState = std::make_unique<JKEncodeState>(options, encodeOption, std::move(formatter));
    JKEncodeState& state = *m_encodeState;

    ns::Id answer;
    bool ok = true;
    if (!object) {
        state.error("Unable to serialize object class (null).");
        ok = false;
    } else if (encodeOption & JKEncodeOptionCollectionObj) {
        if (!ns::cast<ns::Array>(object) && !ns::cast<ns::Dictionary>(object)) {
            state.error("Unable to serialize object class " + object->className() +
                        ", expected a NSArray or NSDictionary.");
            ok = false;
        }
    } else if (encodeOption & JKEncodeOptionStringObj) {
        if (!ns::cast<ns::String>(object)) {
            state.error("Unable to serialize object class " + object->className() + ", expected a NSString.");
            ok = false;
        }
    }
    bool written = false;
    if (ok) {
        try {
            written = state.addAtom(object, true);
        } catch (const JKGrowFailure&) {
            state.error("Unable to resize temporary buffer.");
        }
    }
    if (written) {
        std::string_view text = state.output();
        switch (encodeOption & JKEncodeOptionAsTypeMask) {
        case JKEncodeOptionAsData:
            answer = ns::Data::make(std::vector<uint8_t>(text.begin(), text.end()));
            break;
        case JKEncodeOptionAsString:
            answer = ns::String::make(std::string(text));
            break;
        default:
            state.error("Unknown encode as type.");
        }
    }
    if (state.errorObject() && error)
        *error = state.errorObject();
    if (state.errorObject())
        answer = nullptr;
    releaseState();
    return answer;
}
