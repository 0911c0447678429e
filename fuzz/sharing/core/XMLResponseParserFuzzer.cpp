// A web service's XML reply: reading it never crashes, and every value found is a text or a dictionary
// of the reply's own.
#include "foundation/Dictionary.h"
#include "foundation/String.h"
#include "sharing/core/SHKXMLResponseParser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    auto bytes = ns::Data::make(std::vector<uint8_t>(data, data + size));
    auto reader = SHKXMLResponseParser::create(bytes);
    reader->parse();
    if (auto parsed = reader->parsedResponse()) {
        int lookups = 0;
        for (const auto& [key, value] : parsed->entries()) {
            if (!ns::cast<ns::String>(key) ||
                (!ns::cast<ns::String>(value) && !ns::cast<ns::Dictionary>(value)))
                __builtin_trap();
            auto name = ns::cast<ns::String>(key)->str();
            // Each lookup reads the reply again: a few are enough.
            if (reader->xmlParsedSuccessfully() && ++lookups <= 8 &&
                !SHKXMLResponseParser::getValueForElement(name, bytes))
                __builtin_trap();
        }
    }
    SHKXMLResponseParser::getValueForElement("code", bytes);
    return 0;
}
