#pragma once

#include "foundation/Object.h"

#include <ostream>
#include <string>

namespace ns {
class Dictionary;
}
class DefaultSHKConfigurator;

namespace velmo {

// Reads the device's settings (velmo --config FILE): a property-list dictionary from configuration key to
// value. False, with a message for the user, for a file that cannot be read or is not such a dictionary.
bool readConfigurationFile(const std::string& path, ns::Ref<ns::Dictionary>& settings, std::string& message);

// Every key the configurator answers with its kind and its answer, one a line, in the order of its tables:
// "maxFavCount (number) = 3".
void listConfigurationKeys(const DefaultSHKConfigurator& configurator, std::ostream& out);

} // namespace velmo
