#include "foundation/Data.h"
#include "foundation/Error.h"
#include "foundation/PropertyList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Reads any bytes as a property list; whatever reads must write and read back to an equal value.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ns::Ref<ns::Error> error;
    ns::Id value = ns::PropertyList::propertyListWithData(bytes, &error);
    if (!value) {
        if (!error)
            std::abort();
        return 0;
    }
    auto xml = ns::PropertyList::dataWithPropertyList(value, &error);
    if (!xml)
        std::abort();
    ns::Id again = ns::PropertyList::propertyListWithData(*xml, &error);
    if (!again)
        std::abort();
    return 0;
}
