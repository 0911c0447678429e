#pragma once

#include "sharing/core/DefaultSHKConfigurator.h"

// This application's configurator: the framework's defaults with five answers of its own (no automatic
// ordering of favourites, its own favourite web-address sharers and favourites key, the "More..." button,
// and its identifier at the social network).
class VelmoSHKConfigurator : public DefaultSHKConfigurator
{
public:
    static ns::Ref<VelmoSHKConfigurator> create();

    std::string className() const override { return "VelmoSHKConfigurator"; }

protected:
    VelmoSHKConfigurator();
    friend ns::Factory<VelmoSHKConfigurator>;
};
