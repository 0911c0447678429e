// A stored share item (a property list, as the offline queue and a waiting sharer keep it), the same
// dictionary as the device's settings, and the same bytes as an item's text: none may crash, what is read
// must be written again, and every configuration key must still answer.
#include "foundation/Dictionary.h"
#include "foundation/Exception.h"
#include "foundation/PropertyList.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKItem.h"
#include "sharing/core/VelmoSHKConfigurator.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto dictionary = ns::cast<ns::Dictionary>(ns::PropertyList::propertyListWithData(bytes))) {
        auto item = SHKItem::itemFromDictionary(*dictionary);
        auto form = item->dictionaryRepresentation();
        if (!ns::PropertyList::isValid(form))
            __builtin_trap();
        try {
            item->description();
        } catch (const ns::Exception&) {
            // A stored type without a name: the diagnostics raise, as they do for any unknown type.
        }
        auto configurator = VelmoSHKConfigurator::create();
        configurator->applyOverrides(*dictionary);
        for (const auto& key : configurator->keys())
            DefaultSHKConfigurator::describeValue(configurator->valueForKey(key));
    }
    SHKPlainTextFromHTML(bytes, false);
    SHKPlainTextFromHTML(bytes, true);
    SHKEscapeQueryText(std::string(bytes));
    return 0;
}
