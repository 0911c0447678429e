#include "sharing/core/SHKConfiguration.h"

#include "foundation/Exception.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "sharing/core/DefaultSHKConfigurator.h"

#include <mutex>

namespace {

constexpr const char* IllegalStateException = "IllegalStateException";

// One lock for installing and fetching, recursive as the class lock it stands for.
std::recursive_mutex& classLock()
{
    static std::recursive_mutex lock;
    return lock;
}

ns::Ref<SHKConfiguration>& singleton()
{
    static ns::Ref<SHKConfiguration> instance;
    return instance;
}

} // namespace

SHKConfiguration::SHKConfiguration(ns::Ref<DefaultSHKConfigurator> configurator)
    : m_configurator(std::move(configurator))
{
}

ns::Ref<SHKConfiguration>
SHKConfiguration::sharedInstanceWithConfigurator(ns::Ref<DefaultSHKConfigurator> configurator)
{
    std::lock_guard lock(classLock());
    if (singleton())
        ns::raise(IllegalStateException, "SHKConfiguration has already been configured with a delegate.");
    singleton() = ns::Factory<SHKConfiguration>::make(std::move(configurator));
    return singleton();
}

ns::Ref<SHKConfiguration> SHKConfiguration::sharedInstance()
{
    std::lock_guard lock(classLock());
    if (!singleton())
        ns::raise(IllegalStateException,
                  "ShareCore must be configured before use. Use your subclass of DefaultSHKConfigurator, for "
                  "more info see README.md#sharing-configuration. Example: ShareCoreDemoConfigurator in the "
                  "demo app");
    return singleton();
}

void SHKConfiguration::reset()
{
    std::lock_guard lock(classLock());
    singleton() = nullptr;
}

ns::Id SHKConfiguration::configurationValue(std::string_view key, const ns::Id& object) const
{
    // Asked without the lock, from whatever thread asks.
    return m_configurator ? m_configurator->valueForKey(key, object) : nullptr;
}

bool SHKConfiguration::boolValue(std::string_view key)
{
    auto number = ns::cast<ns::Number>(sharedInstance()->configurationValue(key));
    return number && number->boolValue();
}

int64_t SHKConfiguration::integerValue(std::string_view key)
{
    auto number = ns::cast<ns::Number>(sharedInstance()->configurationValue(key));
    return number ? number->integerValue() : 0;
}

std::optional<std::string> SHKConfiguration::textValue(std::string_view key)
{
    if (const std::string* text = ns::stringValue(sharedInstance()->configurationValue(key)))
        return *text;
    return std::nullopt;
}
