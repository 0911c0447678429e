#pragma once

#include "foundation/Object.h"

#include <optional>
#include <string>
#include <vector>

namespace ns {
class Dictionary;
}

// One place of the check-in service, as the venues list shows it.
class SHKFoursquareV2Venue : public ns::Object
{
public:
    static ns::Ref<SHKFoursquareV2Venue> create() { return ns::Factory<SHKFoursquareV2Venue>::make(); }
    // venueFromDictionary: "id", "name", the "address" of "location", and the "icon" of the first category
    // marked primary. A value of another kind than a text counts as absent.
    static ns::Ref<SHKFoursquareV2Venue> venueFromDictionary(const ns::Ref<ns::Dictionary>& dictionary);

    // The records of the "venues" array of a search's "response", in order; entries that are not
    // dictionaries are skipped.
    static std::vector<ns::Ref<SHKFoursquareV2Venue>>
    venuesFromResponse(const ns::Ref<ns::Dictionary>& response);

    const std::optional<std::string>& venueId() const { return m_venueId; }
    void setVenueId(std::optional<std::string> venueId) { m_venueId = std::move(venueId); }
    const std::optional<std::string>& name() const { return m_name; }
    void setName(std::optional<std::string> name) { m_name = std::move(name); }
    const std::optional<std::string>& address() const { return m_address; }
    void setAddress(std::optional<std::string> address) { m_address = std::move(address); }
    // The icon's address as the service gave it (a text, or the "prefix" and "suffix" halves joined).
    const std::optional<std::string>& icon() const { return m_icon; }
    void setIcon(std::optional<std::string> icon) { m_icon = std::move(icon); }

    std::string className() const override { return "SHKFoursquareV2Venue"; }

protected:
    SHKFoursquareV2Venue() = default;
    friend ns::Factory<SHKFoursquareV2Venue>;

private:
    std::optional<std::string> m_venueId;
    std::optional<std::string> m_name;
    std::optional<std::string> m_address;
    std::optional<std::string> m_icon;
};
