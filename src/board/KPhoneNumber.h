#pragma once

#include "foundation/Object.h"
#include "system/AddressBook.h"

#include <optional>
#include <string>

namespace ui {
class Image;
}

// One phone number of one address-book person.
class KPhoneNumber : public ns::Object
{
public:
    static ns::Ref<KPhoneNumber> create() { return ns::Factory<KPhoneNumber>::make(); }

    const ns::Ref<ab::Person>& contact() const { return m_contact; }
    void setContact(ns::Ref<ab::Person> contact) { m_contact = std::move(contact); }
    const std::optional<std::string>& firstName() const { return m_firstName; }
    void setFirstName(std::optional<std::string> name) { m_firstName = std::move(name); }
    const std::optional<std::string>& lastName() const { return m_lastName; }
    void setLastName(std::optional<std::string> name) { m_lastName = std::move(name); }
    const std::optional<std::string>& organization() const { return m_organization; }
    void setOrganization(std::optional<std::string> organization)
    {
        m_organization = std::move(organization);
    }
    // The label in its display form ("mobile", "iPhone", "cabin").
    const std::optional<std::string>& type() const { return m_type; }
    void setType(std::optional<std::string> type) { m_type = std::move(type); }
    // As stored in the address book, spaces included.
    const std::string& phone() const { return m_phone; }
    void setPhone(std::string phone) { m_phone = std::move(phone); }
    int position() const { return m_position; }
    void setPosition(int position) { m_position = position; }

    // "Last First", one of them, the organisation or "Unknown"; built on first use and kept, even when a
    // name changes afterwards.
    const std::string& compositeName() const;
    // The person's photo (or the bundle's "no photo" picture) with rounded corners on a black rounded
    // frame, 180 by 180 points: a tile's picture. Made anew on every call; never nothing.
    ns::Ref<ui::Image> image() const;
    // The person's photo scaled to 160 by 160 for a list row, or nothing when the person has none.
    ns::Ref<ui::Image> iconImage() const;

    std::string className() const override { return "KPhoneNumber"; }
    std::string description() const override;

protected:
    KPhoneNumber() = default;
    friend ns::Factory<KPhoneNumber>;

private:
    ns::Ref<ab::Person> m_contact;
    std::optional<std::string> m_firstName;
    std::optional<std::string> m_lastName;
    std::optional<std::string> m_organization;
    std::optional<std::string> m_type;
    std::string m_phone;
    int m_position = 0;
    mutable std::optional<std::string> m_compositeName;
};
