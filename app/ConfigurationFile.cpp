#include "ConfigurationFile.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/FileManager.h"
#include "foundation/Number.h"
#include "foundation/PropertyList.h"
#include "foundation/String.h"
#include "sharing/core/DefaultSHKConfigurator.h"

namespace velmo {
namespace {

std::string kindOf(const ns::Id& value)
{
    if (ns::cast<ns::Array>(value))
        return "an array";
    if (ns::cast<ns::String>(value))
        return "a text";
    if (ns::cast<ns::Number>(value))
        return "a number";
    if (ns::cast<ns::Data>(value))
        return "data";
    if (ns::cast<ns::Date>(value))
        return "a date";
    return value->className();
}

} // namespace

bool readConfigurationFile(const std::string& path, ns::Ref<ns::Dictionary>& settings, std::string& message)
{
    if (!ns::FileManager::contentsAtPath(path)) {
        message = "cannot read the configuration file \"" + path + "\"";
        return false;
    }
    ns::Ref<ns::Error> error;
    ns::Id contents = ns::PropertyList::propertyListWithContentsOfFile(path, &error);
    if (!contents) {
        message = "the configuration file \"" + path + "\" is not a property list" +
                  (error ? " (" + error->localizedDescription() + ")" : std::string()) +
                  "; it must be a dictionary from configuration key to value (velmo --config-keys lists "
                  "the keys)";
        return false;
    }
    settings = ns::cast<ns::Dictionary>(contents);
    if (!settings) {
        message = "the configuration file \"" + path + "\" holds " + kindOf(contents) +
                  ", not a dictionary from configuration key to value (velmo --config-keys lists the keys)";
        return false;
    }
    return true;
}

void listConfigurationKeys(const DefaultSHKConfigurator& configurator, std::ostream& out)
{
    for (const auto& key : configurator.keys()) {
        auto kind = configurator.kindForKey(key);
        out << key << " (" << DefaultSHKConfigurator::kindName(kind.value_or(SHKConfigurationKind::Text))
            << ") = " << DefaultSHKConfigurator::describeValue(configurator.valueForKey(key)) << "\n";
    }
}

} // namespace velmo
