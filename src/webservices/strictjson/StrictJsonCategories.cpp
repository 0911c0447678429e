#include "webservices/strictjson/StrictJsonCategories.h"

#include "webservices/strictjson/StrictJsonParser.h"
#include "webservices/strictjson/StrictJsonWriter.h"

#include "foundation/Log.h"

std::optional<std::string> JSONRepresentation(const ns::Id& object)
{
    StrictJsonWriter writer;
    auto json = writer.stringWithObject(object);
    if (!json)
        ns::log("-JSONRepresentation failed. Error trace is: %@", writer.errorTrace());
    return json;
}

std::optional<std::string> JSONFragment(const ns::Id& object)
{
    StrictJsonWriter writer;
    auto json = writer.stringWithFragment(object);
    if (!json)
        ns::log("-JSONFragment failed. Error trace is: %@", writer.errorTrace());
    return json;
}

ns::Id JSONValue(std::optional<std::string_view> text)
{
    StrictJsonParser parser;
    ns::Id value = parser.objectWithString(text);
    if (!value)
        ns::log("-JSONValue failed. Error trace is: %@", parser.errorTrace());
    return value;
}

ns::Id JSONFragmentValue(std::optional<std::string_view> text)
{
    StrictJsonParser parser;
    ns::Id value = parser.fragmentWithString(text);
    if (!value)
        ns::log("-JSONFragmentValue failed. Error trace is: %@", parser.errorTrace());
    return value;
}
