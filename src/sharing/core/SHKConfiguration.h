#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class DefaultSHKConfigurator;

// The process's sharing configuration: the application installs its configurator once at launch, and
// every part of the framework asks it for settings by key at the moment of use. Installing twice, or
// asking before anything is installed, raises "IllegalStateException".
class SHKConfiguration : public ns::Object
{
public:
    static ns::Ref<SHKConfiguration>
    sharedInstanceWithConfigurator(ns::Ref<DefaultSHKConfigurator> configurator);
    static ns::Ref<SHKConfiguration> sharedInstance();

    const ns::Ref<DefaultSHKConfigurator>& configurator() const { return m_configurator; }
    // The configurator's answer for the key, asked with the object for keys that take one
    // ("barTintForView:"); nothing for a key it does not answer.
    ns::Id configurationValue(std::string_view key, const ns::Id& object = nullptr) const;

    // The installed configuration's answer as callers read it: a number's boolean or integer value (NO and
    // 0 for nothing or another kind), or a text (nothing for nothing or another kind).
    static bool boolValue(std::string_view key);
    static int64_t integerValue(std::string_view key);
    static std::optional<std::string> textValue(std::string_view key);

    // Forgets the installed configuration, so that a test starts as a new process would.
    static void reset();

    std::string className() const override { return "SHKConfiguration"; }

protected:
    explicit SHKConfiguration(ns::Ref<DefaultSHKConfigurator> configurator);
    friend ns::Factory<SHKConfiguration>;

private:
    ns::Ref<DefaultSHKConfigurator> m_configurator;
};
