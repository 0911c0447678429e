#include "foundation/Dictionary.h"

#include "foundation/Array.h"
#include "foundation/Ascii.h"
#include "foundation/Exception.h"
#include "foundation/String.h"

#include <cctype>
#include <unordered_map>

namespace ns {
namespace {

// Insertion-ordered storage. Most dictionaries are small: up to SmallCount entries are found by walking
// them, and only a larger one keeps an index by key, which costs an allocation per key.
class OrderedStore
{
public:
    static constexpr std::size_t SmallCount = 8;

    // Takes the entries' own storage; a later equal key replaces the value of an earlier one.
    explicit OrderedStore(Dictionary::Entries entries) : m_entries(std::move(entries))
    {
        if (m_entries.size() > SmallCount)
            m_index.reserve(m_entries.size());
        std::size_t kept = 0;
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            Id key = std::move(m_entries[i].first);
            Id value = std::move(m_entries[i].second);
            checkEntry(value, key);
            std::size_t found = position(key, kept);
            if (found != NotFound) {
                m_entries[found].second = std::move(value);
                continue;
            }
            Id stored = key->copy(); // keys are copied, so a later change to the caller's key cannot move it
            if (m_entries.size() > SmallCount)
                m_index.emplace(stored, kept);
            m_entries[kept].first = std::move(stored);
            m_entries[kept].second = std::move(value);
            ++kept;
        }
        m_entries.resize(kept);
        if (kept <= SmallCount)
            m_index.clear();
    }

    std::size_t count() const { return m_entries.size(); }
    const Dictionary::Entries& entries() const { return m_entries; }

    Id get(const Id& key) const
    {
        std::size_t found = position(key, m_entries.size());
        return found == NotFound ? nullptr : m_entries[found].second;
    }

    void set(Id value, Id key)
    {
        checkEntry(value, key);
        std::size_t found = position(key, m_entries.size());
        if (found != NotFound) {
            m_entries[found].second = std::move(value);
            return;
        }
        Id stored = key->copy(); // keys are copied, so a later change to the caller's key cannot move it
        m_entries.emplace_back(stored, std::move(value));
        if (!m_index.empty())
            m_index.emplace(std::move(stored), m_entries.size() - 1);
        else if (m_entries.size() > SmallCount)
            buildIndex();
    }

    void remove(const Id& key)
    {
        std::size_t position = this->position(key, m_entries.size());
        if (position == NotFound)
            return;
        if (!m_index.empty()) {
            m_index.erase(m_entries[position].first);
            for (auto& [stored, index] : m_index)
                if (index > position)
                    --index;
        }
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(position));
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
    static constexpr std::size_t NotFound = std::size_t(-1);

    static void checkEntry(const Id& value, const Id& key)
    {
        if (!key)
            raise(InvalidArgumentException,
                  "*** -[NSMutableDictionary setObject:forKey:]: key cannot be nil");
        if (!value)
            raise(InvalidArgumentException,
                  "*** -[NSMutableDictionary setObject:forKey:]: object cannot be nil (key: " +
                      key->description() + ")");
    }

    // Where the key stands among the first `count` entries, or NotFound.
    std::size_t position(const Id& key, std::size_t count) const
    {
        if (!m_index.empty()) {
            auto found = m_index.find(key);
            return found == m_index.end() ? NotFound : found->second;
        }
        if (!key)
            return NotFound;
        for (std::size_t i = 0; i < count; ++i) {
            if (isEqual(key, m_entries[i].first))
                return i;
        }
        return NotFound;
    }

    void buildIndex()
    {
        m_index.reserve(m_entries.size());
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            m_index.emplace(m_entries[i].first, i);
    }

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
    const Entries* entriesInPlace() const override { return &m_store.entries(); }

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
    const Entries* entriesInPlace() const override { return &m_store.entries(); }
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
    // A small dictionary is walked in place, so a lookup by text makes no key object; a larger one has
    // its index by key.
    if (const Entries* entries = entriesInPlace(); entries && entries->size() <= OrderedStore::SmallCount) {
        for (const auto& [stored, value] : *entries)
            if (const std::string* text = stringValue(stored); text && *text == key)
                return value;
        return nullptr;
    }
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
