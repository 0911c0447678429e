#pragma once

#include "foundation/Data.h"
#include "foundation/Error.h"
#include "foundation/Object.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The device's address book, read from a vCard file (vCard 3.0 and 4.0).
namespace ab {

using RecordID = int32_t;
inline constexpr RecordID InvalidRecordID = -1;

// The label the platform gives an iPhone number; other built-in labels look like "_$!<Mobile>!$_".
inline constexpr const char* PhoneIPhoneLabel = "iPhone";
std::string builtInLabel(std::string_view word);

enum class SortOrdering { ByFirstName = 0, ByLastName = 1 };

struct PhoneEntry
{
    std::optional<std::string> label; // nothing when the card gives no kind
    std::string value;
};

// One person. Immutable once read, so the main thread may read it while the scan runs.
class Person : public ns::Object
{
public:
    struct Fields
    {
        RecordID recordID = InvalidRecordID;
        std::string uid;
        std::optional<std::string> firstName;
        std::optional<std::string> lastName;
        std::optional<std::string> organization;
        std::vector<PhoneEntry> phones;
        ns::Ref<ns::Data> image;
    };
    static ns::Ref<Person> create(Fields fields) { return ns::Factory<Person>::make(std::move(fields)); }

    virtual RecordID recordID() const { return m_fields.recordID; }
    const std::string& uid() const { return m_fields.uid; }
    virtual std::optional<std::string> firstName() const { return m_fields.firstName; }
    virtual std::optional<std::string> lastName() const { return m_fields.lastName; }
    virtual std::optional<std::string> organization() const { return m_fields.organization; }
    // The phone multi-value, in the card's order.
    virtual std::vector<PhoneEntry> phoneNumbers() const { return m_fields.phones; }
    virtual bool hasImageData() const { return m_fields.image != nullptr; }
    virtual ns::Ref<ns::Data> imageData() const { return m_fields.image; }
    virtual ns::Ref<ns::Data> thumbnailData() const { return m_fields.image; }

    std::string className() const override { return "ABPerson"; }
    std::string description() const override;

protected:
    explicit Person(Fields fields) : m_fields(std::move(fields)) {}
    friend ns::Factory<Person>;

private:
    Fields m_fields;
};

class AddressBook : public ns::Object
{
public:
    // Opens the book at defaultPath(). A missing file is an empty book, not read whole; an unreadable one
    // gives an error.
    static ns::Ref<AddressBook> create(ns::Ref<ns::Error>* error = nullptr);
    // Reads vCard text. Record identifiers come from the store file beside the book when one is named, so
    // they stay the same across launches and edits; otherwise they count from 1 in card order. Malformed
    // cards are skipped with a log line, and the book is then not read whole.
    static ns::Ref<AddressBook> fromVCard(std::string_view text, const std::string& identifierFile = {});
    static ns::Ref<AddressBook> withPeople(std::vector<ns::Ref<Person>> people);

    static std::string defaultPath(); // Device/Contacts.vcf of the sandbox unless set
    static void setDefaultPath(std::string path);
    // The device's name order for sorting people: last name first unless the device is set otherwise.
    static SortOrdering sortOrdering();
    static void setSortOrdering(SortOrdering ordering);

    std::size_t count() const { return m_people.size(); }
    std::vector<ns::Ref<Person>> allPeople() const { return m_people; }
    ns::Ref<Person> personWithRecordID(RecordID id) const;
    // Whether every line of the file belonged to a card that was read: only then does a person's absence
    // mean that the person is gone, rather than that the file is damaged, empty or cut short.
    bool isReadWhole() const { return m_notWhole.empty(); }
    // Why the book was not read whole (the first reason found); empty when it was.
    const std::string& notReadWholeReason() const { return m_notWhole; }

    // The platform's compare-people-by-name: -1, 0 or 1, by collation of the names in the given order; a
    // person with no name sorts by organisation.
    static int comparePeopleByName(const Person& a, const Person& b, SortOrdering ordering);

    std::string className() const override { return "ABAddressBook"; }

protected:
    explicit AddressBook(std::vector<ns::Ref<Person>> people, std::string notWhole = {})
        : m_people(std::move(people)), m_notWhole(std::move(notWhole))
    {
    }
    friend ns::Factory<AddressBook>;

private:
    std::vector<ns::Ref<Person>> m_people;
    std::string m_notWhole;
};

} // namespace ab
