#include "system/AddressBook.h"

#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Log.h"
#include "foundation/Sandbox.h"
#include "foundation/Text.h"
#include "foundation/Unicode.h"
#include "system/Digest.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <set>

namespace ab {
namespace {

std::mutex g_settingsMutex;
std::string g_defaultPath;
// The phone's own default: people by last name.
SortOrdering g_ordering = SortOrdering::ByLastName;

struct Property
{
    std::string group;
    std::string name;                               // upper case
    std::multimap<std::string, std::string> params; // upper-case names; values as written
    std::vector<std::string> bareParams;            // vCard 2.1 style "TEL;CELL:"
    std::string value;
};

// Joins folded lines: a line break followed by a space or a tab continues the line before.
std::vector<std::pair<int, std::string>> unfold(std::string_view text)
{
    std::vector<std::pair<int, std::string>> lines;
    int number = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view line =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !lines.empty())
            lines.back().second.append(line.substr(1));
        else if (!line.empty())
            lines.emplace_back(number, std::string(line));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return lines;
}

std::optional<Property> parseLine(const std::string& line)
{
    // The name and parameters end at the first colon outside double quotes.
    bool quoted = false;
    std::size_t colon = std::string::npos;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string::npos || colon == 0)
        return std::nullopt;
    Property property;
    property.value = line.substr(colon + 1);
    std::vector<std::string> parts;
    std::string current;
    quoted = false;
    for (char c : line.substr(0, colon)) {
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted) {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    std::string name = parts[0];
    if (auto dot = name.find('.'); dot != std::string::npos) {
        property.group = ns::toLowerAscii(name.substr(0, dot));
        name = name.substr(dot + 1);
    }
    property.name = ns::toUpperAscii(name);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        auto equals = parts[i].find('=');
        if (equals == std::string::npos) {
            property.bareParams.push_back(ns::toLowerAscii(parts[i]));
            continue;
        }
        std::string key = ns::toUpperAscii(parts[i].substr(0, equals));
        std::string value = parts[i].substr(equals + 1);
        value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
        property.params.emplace(key, value);
    }
    return property;
}

// Text values escape "\n", "\,", "\;" and "\\".
std::string unescape(std::string_view value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            char next = value[++i];
            out += (next == 'n' || next == 'N') ? '\n' : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

// Splits a structured value on unescaped semicolons.
std::vector<std::string> components(std::string_view value)
{
    std::vector<std::string> parts;
    std::string current;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            current += value[i];
            current += value[++i];
        } else if (value[i] == ';') {
            parts.push_back(unescape(current));
            current.clear();
        } else {
            current += value[i];
        }
    }
    parts.push_back(unescape(current));
    return parts;
}

std::optional<std::string> nonEmpty(std::string text)
{
    text = ns::trimWhitespaceAndNewlines(text);
    if (text.empty())
        return std::nullopt;
    return text;
}

std::set<std::string> telephoneTypes(const Property& property)
{
    std::set<std::string> types(property.bareParams.begin(), property.bareParams.end());
    auto range = property.params.equal_range("TYPE");
    for (auto it = range.first; it != range.second; ++it)
        for (auto& type : ns::split(it->second, ","))
            types.insert(ns::toLowerAscii(ns::trimWhitespace(type)));
    return types;
}

std::optional<std::string> labelForTypes(const std::set<std::string>& types)
{
    auto has = [&](const char* type) { return types.count(type) != 0; };
    if (has("iphone"))
        return std::string(PhoneIPhoneLabel);
    if (has("fax"))
        return builtInLabel(has("home") ? "HomeFAX" : (has("work") ? "WorkFAX" : "OtherFAX"));
    if (has("cell") || has("mobile"))
        return builtInLabel("Mobile");
    if (has("pager"))
        return builtInLabel("Pager");
    if (has("main"))
        return builtInLabel("Main");
    if (has("home"))
        return builtInLabel("Home");
    if (has("work"))
        return builtInLabel("Work");
    if (has("other"))
        return builtInLabel("Other");
    return std::nullopt;
}

ns::Ref<ns::Data> decodePhoto(const Property& property)
{
    std::string value = property.value;
    if (ns::hasPrefix(value, "data:")) {
        auto comma = value.find(',');
        if (comma == std::string::npos || value.substr(0, comma).find(";base64") == std::string::npos)
            return nullptr;
        value = value.substr(comma + 1);
    } else {
        auto encoding = property.params.find("ENCODING");
        bool base64 = encoding != property.params.end() && (ns::toLowerAscii(encoding->second) == "b" ||
                                                            ns::toLowerAscii(encoding->second) == "base64");
        if (!base64 && std::find(property.bareParams.begin(), property.bareParams.end(), "base64") ==
                           property.bareParams.end())
            return nullptr; // a reference to a photo elsewhere: nothing to show on the device
    }
    auto bytes = cc::base64Decode(value);
    if (!bytes || bytes->empty())
        return nullptr;
    return ns::Data::make(std::move(*bytes));
}

struct Card
{
    int line = 0;
    std::vector<Property> properties;
};

// Reads one card; nothing and a reason when it cannot stand as a person.
std::optional<Person::Fields> readCard(const Card& card, std::string& problem)
{
    Person::Fields fields;
    std::map<std::string, std::string> customLabels; // group -> X-ABLabel
    std::optional<std::string> formattedName;
    for (const auto& property : card.properties)
        if (property.name == "X-ABLABEL" && !property.group.empty())
            customLabels[property.group] = unescape(property.value);
    for (const auto& property : card.properties) {
        if (property.name == "UID") {
            fields.uid = ns::trimWhitespaceAndNewlines(property.value);
        } else if (property.name == "FN") {
            formattedName = nonEmpty(unescape(property.value));
        } else if (property.name == "N") {
            auto parts = components(property.value);
            fields.lastName = nonEmpty(parts.size() > 0 ? parts[0] : "");
            fields.firstName = nonEmpty(parts.size() > 1 ? parts[1] : "");
        } else if (property.name == "ORG") {
            fields.organization = nonEmpty(components(property.value)[0]);
        } else if (property.name == "TEL") {
            std::string number = ns::trimWhitespaceAndNewlines(property.value);
            if (ns::hasPrefix(number, "tel:"))
                number = number.substr(4);
            if (number.empty())
                continue;
            PhoneEntry entry;
            entry.value = number;
            auto custom = customLabels.find(property.group);
            if (!property.group.empty() && custom != customLabels.end())
                entry.label = custom->second;
            else
                entry.label = labelForTypes(telephoneTypes(property));
            fields.phones.push_back(std::move(entry));
        } else if (property.name == "PHOTO") {
            fields.image = decodePhoto(property);
            if (!fields.image)
                ns::log("contact card at line %d: its photo could not be read and is left out", card.line);
        }
    }
    if (!fields.firstName && !fields.lastName && formattedName && !fields.organization)
        fields.firstName = formattedName;
    if (!fields.firstName && !fields.lastName && !fields.organization) {
        problem = "it has no name and no organisation";
        return std::nullopt;
    }
    return fields;
}

// Identifiers by card: the UID where there is one, else the names.
std::string identityKey(const Person::Fields& fields)
{
    if (!fields.uid.empty())
        return "uid:" + fields.uid;
    return "name:" + fields.firstName.value_or("") + "|" + fields.lastName.value_or("") + "|" +
           fields.organization.value_or("");
}

class IdentifierStore
{
public:
    explicit IdentifierStore(std::string path) : m_path(std::move(path))
    {
        if (m_path.empty())
            return;
        auto text = ns::FileManager::stringWithContentsOfFile(m_path);
        if (!text)
            return;
        for (auto& line : ns::split(*text, "\n")) {
            auto tab = line.find('\t');
            if (tab == std::string::npos)
                continue;
            int64_t id = ns::integerValue(line.substr(0, tab));
            if (id <= 0 || id > INT32_MAX)
                continue;
            m_ids.emplace(line.substr(tab + 1), static_cast<RecordID>(id));
            m_next = std::max<int64_t>(m_next, id + 1);
        }
    }

    RecordID idFor(const std::string& key, std::set<RecordID>& taken)
    {
        auto found = m_ids.find(key);
        if (found != m_ids.end() && !taken.count(found->second)) {
            taken.insert(found->second);
            return found->second;
        }
        RecordID id = static_cast<RecordID>(std::min<int64_t>(m_next++, INT32_MAX));
        m_ids[key] = id;
        m_changed = true;
        taken.insert(id);
        return id;
    }

    void save()
    {
        if (m_path.empty() || !m_changed)
            return;
        std::string text;
        for (auto& [key, id] : m_ids)
            text += std::to_string(id) + "\t" + key + "\n";
        ns::Ref<ns::Error> error;
        if (!ns::FileManager::writeAtomically(m_path, text, &error))
            ns::log("the contact identifiers could not be kept: %@", error);
    }

private:
    std::string m_path;
    std::map<std::string, RecordID> m_ids;
    int64_t m_next = 1;
    bool m_changed = false;
};

// Names sort by the root locale's rules.
int collate(const std::string& a, const std::string& b)
{
    static const ns::Collator root("");
    return root.compare(a, b);
}

} // namespace

std::string builtInLabel(std::string_view word)
{
    return "_$!<" + std::string(word) + ">!$_";
}

std::string Person::description() const
{
    return ns::format("<ABPerson %d: %s %s>", recordID(), firstName().value_or(""), lastName().value_or(""));
}

ns::Ref<AddressBook> AddressBook::fromVCard(std::string_view text, const std::string& identifierFile)
{
    // The first fault found: any line that is not part of a card read whole leaves the book incomplete.
    std::string notWhole;
    auto fault = [&](std::string reason, bool log) {
        if (log)
            ns::log("%s", reason);
        if (notWhole.empty())
            notWhole = std::move(reason);
    };
    std::vector<Card> cards;
    std::optional<Card> open;
    bool anyLine = false;
    for (auto& [number, line] : unfold(text)) {
        if (ns::trimWhitespace(line).empty())
            continue;
        anyLine = true;
        auto property = parseLine(line);
        if (!property) {
            if (open) {
                fault(ns::format("contact card at line %d skipped: line %d is not a property", open->line,
                                 number),
                      true);
                open.reset();
            } else {
                fault(ns::format("line %d is not part of a contact card", number), false);
            }
            continue;
        }
        if (property->name == "BEGIN" && ns::toLowerAscii(ns::trimWhitespace(property->value)) == "vcard") {
            if (open)
                fault(ns::format("contact card at line %d skipped: it has no END", open->line), true);
            open = Card{number, {}};
        } else if (property->name == "END" &&
                   ns::toLowerAscii(ns::trimWhitespace(property->value)) == "vcard") {
            if (open)
                cards.push_back(std::move(*open));
            else
                fault(ns::format("line %d ends a contact card that never began", number), false);
            open.reset();
        } else if (open) {
            open->properties.push_back(std::move(*property));
        } else {
            fault(ns::format("line %d is not part of a contact card", number), false);
        }
    }
    if (open)
        fault(ns::format("contact card at line %d skipped: it has no END", open->line), true);
    if (!anyLine)
        fault("the file is empty", false);

    IdentifierStore store(identifierFile);
    std::set<RecordID> taken;
    std::vector<ns::Ref<Person>> people;
    for (const auto& card : cards) {
        std::string problem;
        auto fields = readCard(card, problem);
        if (!fields) {
            fault(ns::format("contact card at line %d skipped: %s", card.line, problem), true);
            continue;
        }
        fields->recordID = store.idFor(identityKey(*fields), taken);
        people.push_back(Person::create(std::move(*fields)));
    }
    store.save();
    return ns::Factory<AddressBook>::make(std::move(people), std::move(notWhole));
}

ns::Ref<AddressBook> AddressBook::withPeople(std::vector<ns::Ref<Person>> people)
{
    return ns::Factory<AddressBook>::make(std::move(people));
}

ns::Ref<AddressBook> AddressBook::create(ns::Ref<ns::Error>* error)
{
    std::string path = defaultPath();
    if (!ns::FileManager::fileExistsAtPath(path))
        return ns::Factory<AddressBook>::make(std::vector<ns::Ref<Person>>{},
                                              "there is no address book file");
    auto text = ns::FileManager::stringWithContentsOfFile(path, error);
    if (!text)
        return nullptr;
    return fromVCard(*text, path + ".ids");
}

std::string AddressBook::defaultPath()
{
    std::lock_guard lock(g_settingsMutex);
    return g_defaultPath.empty() ? ns::Sandbox::devicePath() + "/Contacts.vcf" : g_defaultPath;
}

void AddressBook::setDefaultPath(std::string path)
{
    std::lock_guard lock(g_settingsMutex);
    g_defaultPath = std::move(path);
}

SortOrdering AddressBook::sortOrdering()
{
    std::lock_guard lock(g_settingsMutex);
    return g_ordering;
}

void AddressBook::setSortOrdering(SortOrdering ordering)
{
    std::lock_guard lock(g_settingsMutex);
    g_ordering = ordering;
}

ns::Ref<Person> AddressBook::personWithRecordID(RecordID id) const
{
    for (auto& person : m_people)
        if (person->recordID() == id)
            return person;
    return nullptr;
}

int AddressBook::comparePeopleByName(const Person& a, const Person& b, SortOrdering ordering)
{
    auto keys = [ordering](const Person& p) {
        std::string first = p.firstName().value_or("");
        std::string last = p.lastName().value_or("");
        if (first.empty() && last.empty())
            return std::make_pair(p.organization().value_or(""), std::string());
        if (ordering == SortOrdering::ByLastName)
            return last.empty() ? std::make_pair(first, std::string()) : std::make_pair(last, first);
        return first.empty() ? std::make_pair(last, std::string()) : std::make_pair(first, last);
    };
    auto ka = keys(a);
    auto kb = keys(b);
    if (int order = collate(ka.first, kb.first))
        return order;
    return collate(ka.second, kb.second);
}

} // namespace ab
