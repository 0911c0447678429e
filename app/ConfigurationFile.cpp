#include "ConfigurationFile.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/Number.h"
#include "foundation/PropertyList.h"
#include "foundation/String.h"
#include "sharing/core/DefaultSHKConfigurator.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace velmo {
namespace {

// A configuration is a few keys; more than this is not one.
constexpr std::size_t MaximumConfigurationBytes = 1 << 20;

// The file's bytes, when it is a regular file of at most the bound; otherwise why not. A device, a FIFO or
// an endless file is never read (and opening a FIFO does not wait for a writer).
std::optional<std::string> readBounded(const std::string& path, std::string& why)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        why = "cannot read the configuration file \"" + path + "\"";
        return std::nullopt;
    }
    std::string bytes;
    struct stat info;
    bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    bool failed = false;
    char buffer[65536];
    while (regular && bytes.size() <= MaximumConfigurationBytes) {
        ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            failed = count < 0;
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
    if (!regular)
        why = "the configuration file \"" + path + "\" is not a regular file";
    else if (failed)
        why = "cannot read the configuration file \"" + path + "\"";
    else if (bytes.size() > MaximumConfigurationBytes)
        why = "the configuration file \"" + path + "\" is larger than " +
              std::to_string(MaximumConfigurationBytes / 1024) + " KiB";
    else
        return bytes;
    return std::nullopt;
}

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
    auto bytes = readBounded(path, message);
    if (!bytes)
        return false;
    ns::Ref<ns::Error> error;
    ns::Id contents = ns::PropertyList::propertyListWithData(*bytes, &error);
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
