#include "webservices/sharers/foursquare/SHKFoursquareV2Venue.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/Number.h"
#include "foundation/String.h"

namespace {

// A text, or the halves of an icon object joined; nothing for anything else.
std::optional<std::string> iconText(const ns::Id& value)
{
    if (auto text = ns::cast<ns::String>(value))
        return text->str();
    if (auto parts = ns::cast<ns::Dictionary>(value)) {
        auto prefix = parts->stringForKey("prefix");
        auto suffix = parts->stringForKey("suffix");
        if (prefix && suffix)
            return *prefix + *suffix;
    }
    return std::nullopt;
}

bool isTrue(const ns::Id& value)
{
    auto number = ns::cast<ns::Number>(value);
    return number && number->boolValue();
}

} // namespace

ns::Ref<SHKFoursquareV2Venue>
SHKFoursquareV2Venue::venueFromDictionary(const ns::Ref<ns::Dictionary>& dictionary)
{
    auto venue = create();
    if (!dictionary)
        return venue;
    venue->setVenueId(dictionary->stringForKey("id"));
    venue->setName(dictionary->stringForKey("name"));
    if (auto location = dictionary->objectAs<ns::Dictionary>("location"))
        venue->setAddress(location->stringForKey("address"));
    if (auto categories = dictionary->objectAs<ns::Array>("categories")) {
        for (std::size_t i = 0; i < categories->count(); ++i) {
            auto category = ns::cast<ns::Dictionary>(categories->objectAtIndex(i));
            if (category && isTrue(category->objectForKey("primary"))) {
                venue->setIcon(iconText(category->objectForKey("icon")));
                break;
            }
        }
    }
    return venue;
}

std::vector<ns::Ref<SHKFoursquareV2Venue>>
SHKFoursquareV2Venue::venuesFromResponse(const ns::Ref<ns::Dictionary>& response)
{
    std::vector<ns::Ref<SHKFoursquareV2Venue>> venues;
    auto list = response ? response->objectAs<ns::Array>("venues") : nullptr;
    if (!list)
        return venues;
    for (std::size_t i = 0; i < list->count(); ++i)
        if (auto entry = ns::cast<ns::Dictionary>(list->objectAtIndex(i)))
            venues.push_back(venueFromDictionary(entry));
    return venues;
}
