#include "foundation/Dictionary.h"

#include "foundation/Array.h"
#include "foundation/Ascii.h"
#include "foundation/Exception.h"
#include "foundation/String.h"

#include <cctype>
#include <unordered_map>

namespace ns {
namespace {

// Insertion-ordered storage with an index by key.
class OrderedStore
{
public:
    explicit OrderedStore(Dictionary::Entries entries)
    {
        for (auto& [key, value] : entries)
            set(std::move(value), std::move(key));
    }

    std::size_t count() const { return m_entries.size(); }

    Id get(const Id& key) const
    {
        auto found = m_index.find(key);
        return found == m_index.end() ? nullptr : m_entries[found->second].second;
    }

    void set(Id value, Id key)
    {
        if (!key)
            raise(InvalidArgumentException,
                  "*** -[NSMutableDictionary setObject:forKey:]: key cannot be nil");
        if (!value)
            raise(InvalidArgumentException,
                  "*** -[NSMutableDictionary setObject:forKey:]: object cannot be nil (key: " +
                      key->description() + ")");
        auto found = m_index.find(key);
        if (found != m_index.end()) {
            m_entries[found->second].second = std::move(value);
            return;
        }
        Id stored = key->copy(); // keys are copied, so a later change to the caller's key cannot move it
        m_index.emplace(stored, m_entries.size());
        m_entries.emplace_back(std::move(stored), std::move(value));
    }

    void remove(const Id& key)
    {
        auto found = m_index.find(key);
        if (found == m_index.end())
            return;
        std::size_t position = found->second;
        m_index.erase(found);
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(position));
        for (auto& [stored, index] : m_index)
            if (index > position)
                --index;
    }

    void clear()
    {
        m_entries.clear();
        m_index.clear();
    }

    void enumerate(const Dictionary::Visitor& visit) const
    {
        bool stop = false;
        for (std::size_t i = 0; i < m_entries.size() && !stop; ++i) {
            auto entry = m_entries[i]; // the visitor may not change the dictionary, but keep the pair alive
            visit(entry.first, entry.second, stop);
        }
    }

private:
    Dictionary::Entries m_entries;
    std::unordered_map<Id, std::size_t, IdHash, IdEqual> m_index;
};

class OrderedDictionary : public Dictionary
{
public:
    explicit OrderedDictionary(Entries entries) : m_store(std::move(entries)) {}
    std::size_t count() const override { return m_store.count(); }
    Id objectForKey(const Id& key) const override { return m_store.get(key); }
    void enumerateKeysAndObjects(const Visitor& visit) const override { m_store.enumerate(visit); }

private:
    OrderedStore m_store;
};

class OrderedMutableDictionary : public MutableDictionary
{
public:
    explicit OrderedMutableDictionary(Entries entries) : m_store(std::move(entries)) {}
    std::size_t count() const override { return m_store.count(); }
    Id objectForKey(const Id& key) const override { return m_store.get(key); }
    void enumerateKeysAndObjects(const Visitor& visit) const override { m_store.enumerate(visit); }
    void setObject(Id value, Id key) override { m_store.set(std::move(value), std::move(key)); }
    void removeObjectForKey(const Id& key) override { m_store.remove(key); }
    void removeAllObjects() override { m_store.clear(); }

private:
    OrderedStore m_store;
};

bool needsQuotes(const std::string& text)
{
    if (text.empty())
        return true;
    for (unsigned char c : text)
        if (!(isAsciiAlphanumeric(static_cast<char>(c)) || c == '_' || c == '.' || c == '$' || c == '/' ||
              c >= 0x80))
            return true;
    return false;
}

std::string quoted(const std::string& text)
{
    if (!needsQuotes(text))
        return text;
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

} // namespace

Ref<Dictionary> Dictionary::make(Entries entries)
{
    return std::make_shared<OrderedDictionary>(std::move(entries));
}

Ref<Dictionary> Dictionary::withStrings(std::initializer_list<std::pair<std::string, Id>> entries)
{
    Entries converted;
    converted.reserve(entries.size());
    for (auto& [key, value] : entries)
        converted.emplace_back(String::make(key), value);
    return make(std::move(converted));
}

Ref<MutableDictionary> MutableDictionary::make(Entries entries)
{
    return std::make_shared<OrderedMutableDictionary>(std::move(entries));
}

Id Dictionary::objectForKey(std::string_view key) const
{
    return objectForKey(String::make(std::string(key)));
}

std::optional<std::string> Dictionary::stringForKey(std::string_view key) const
{
    if (auto* text = stringValue(objectForKey(key)))
        return *text;
    return std::nullopt;
}

Dictionary::Entries Dictionary::entries() const
{
    Entries out;
    out.reserve(count());
    enumerateKeysAndObjects([&](const Id& key, const Id& value, bool&) { out.emplace_back(key, value); });
    return out;
}

std::vector<Id> Dictionary::allKeys() const
{
    std::vector<Id> out;
    out.reserve(count());
    enumerateKeysAndObjects([&](const Id& key, const Id&, bool&) { out.push_back(key); });
    return out;
}

std::vector<Id> Dictionary::allValues() const
{
    std::vector<Id> out;
    out.reserve(count());
    enumerateKeysAndObjects([&](const Id&, const Id& value, bool&) { out.push_back(value); });
    return out;
}

Ref<MutableDictionary> Dictionary::mutableCopy() const
{
    return MutableDictionary::make(entries());
}

Id Dictionary::copy() const
{
    if (!isMutable())
        return Object::copy();
    return Dictionary::make(entries());
}

std::string Dictionary::description() const
{
    return describeNested(std::const_pointer_cast<Object>(shared_from_this()), 0);
}

bool Dictionary::isEqual(const Object& other) const
{
    auto* dictionary = dynamic_cast<const Dictionary*>(&other);
    if (!dictionary || dictionary->count() != count())
        return false;
    bool equal = true;
    enumerateKeysAndObjects([&](const Id& key, const Id& value, bool& stop) {
        if (!ns::isEqual(dictionary->objectForKey(key), value)) {
            equal = false;
            stop = true;
        }
    });
    return equal;
}

void MutableDictionary::removeAllObjects()
{
    for (auto& key : allKeys())
        removeObjectForKey(key);
}

void MutableDictionary::setObject(Id value, std::string_view key)
{
    setObject(std::move(value), String::make(std::string(key)));
}

void MutableDictionary::removeObjectForKey(std::string_view key)
{
    removeObjectForKey(String::make(std::string(key)));
}

void MutableDictionary::addEntriesFromDictionary(const Dictionary& other)
{
    other.enumerateKeysAndObjects([&](const Id& key, const Id& value, bool&) { setObject(value, key); });
}

std::string describeNested(const Id& object, int indent)
{
    std::string pad(static_cast<std::size_t>(indent) * 4, ' ');
    std::string inner(static_cast<std::size_t>(indent + 1) * 4, ' ');
    if (auto array = cast<Array>(object)) {
        if (array->count() == 0)
            return "(\n" + pad + ")";
        std::string out = "(\n";
        for (std::size_t i = 0, n = array->count(); i < n; ++i) {
            out += inner + describeNested(array->objectAtIndex(i), indent + 1);
            out += i + 1 < n ? ",\n" : "\n";
        }
        return out + pad + ")";
    }
    if (auto dictionary = cast<Dictionary>(object)) {
        std::string out = "{\n";
        dictionary->enumerateKeysAndObjects([&](const Id& key, const Id& value, bool&) {
            out +=
                inner + describeNested(key, indent + 1) + " = " + describeNested(value, indent + 1) + ";\n";
        });
        return out + pad + "}";
    }
    if (auto* text = stringValue(object))
        return quoted(*text);
    return describe(object);
}

} // namespace ns
