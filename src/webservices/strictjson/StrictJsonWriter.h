#pragma once

#include "webservices/strictjson/StrictJsonBase.h"
#include "webservices/strictjson/StrictJsonProtocols.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

// The strict writer: dictionaries, arrays, strings, numbers, the null object and proxies, optionally
// indented and with sorted keys. One call at a time per writer.
class StrictJsonWriter : public StrictJsonBase, public StrictJsonWriterProtocol
{
public:
    std::optional<std::string> stringWithObject(const ns::Id& value) override;
    // Any value the writer can write, or nothing with the error trace set.
    std::optional<std::string> stringWithFragment(const ns::Id& value);

    bool humanReadable() const override { return m_humanReadable.load(); }
    void setHumanReadable(bool humanReadable) override { m_humanReadable.store(humanReadable); }
    bool sortKeys() const override { return m_sortKeys.load(); }
    void setSortKeys(bool sortKeys) override { m_sortKeys.store(sortKeys); }

    std::string className() const override { return "StrictJsonWriter"; }

private:
    // What the writer makes of an object, which depends on its class alone.
    enum class Kind : uint8_t { Dictionary, Array, String, Number, Decimal, Proxy, Other };
    // The kind of an object; the classes met before are recognised by their type alone, without the
    // casts, which walk the class hierarchy (and compare class names) each time.
    Kind kindOf(const ns::Object* object)
    {
        if (!object)
            return Kind::Other;
        const std::type_info& type = typeid(*object);
        for (const KnownClass& known : m_known) {
            if (known.type == &type)
                return known.kind;
        }
        return classify(type, object);
    }
    Kind classify(const std::type_info& type, const ns::Object* object);

    bool appendValue(const ns::Id& value, std::string& json);
    // `hops` counts the proxies followed to reach the object.
    bool appendObject(const ns::Object* object, std::string& json, int hops);
    bool appendProxy(const ns::Object* proxy, std::string& json, int hops);
    // Kept out of line so that each level of nesting costs the stack as little as possible.
    bool appendScalar(const ns::Object* object, Kind kind, std::string& json);
    bool sortKeysOf(ns::Dictionary::Entries& entries);
    bool failForKey(const ns::Id& key);
    bool appendEntry(const ns::Id& key, const ns::Id& member, bool first, std::string& json);
    bool appendDictionary(const ns::Dictionary& dictionary, std::string& json);
    bool appendArray(const ns::Array& array, std::string& json);
    // Most texts need no escape and are copied whole.
    void appendString(const std::string& text, std::string& json) const
    {
        if (!plainText(text)) {
            appendEscaped(text, json);
            return;
        }
        json += '"';
        json += text;
        json += '"';
    }
    void appendEscaped(const std::string& text, std::string& json) const;
    static bool plainText(const std::string& text);
    void appendIndent(std::string& json) const;

    struct KnownClass
    {
        const std::type_info* type = nullptr;
        Kind kind = Kind::Other;
    };
    static constexpr std::size_t KnownClasses = 8;
    // Up to this depth a dictionary is written as it enumerates its entries, which takes more stack per
    // level than writing from a copy of them.
    static constexpr unsigned EnumeratedNesting = 256;
    KnownClass m_known[KnownClasses];
    std::size_t m_nextKnown = 0;

    std::atomic<bool> m_humanReadable{false};
    std::atomic<bool> m_sortKeys{false};
};
