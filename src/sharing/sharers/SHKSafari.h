#pragma once

#include "sharing/sharer/SHKSharer.h"

// Hands the item's address to the device's browser. Works on the device, at once, without signing in.
class SHKSafari : public SHKSharer
{
public:
    static ns::Ref<SHKSafari> create() { return setUp(ns::Factory<SHKSafari>::make()); }

    bool send() override;
    bool shouldAutoShare() override { return true; }

    std::string className() const override { return "SHKSafari"; }

protected:
    SHKSafari() = default;
    friend ns::Factory<SHKSafari>;
};

class SHKSafariClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    bool shareRequiresInternetConnection() const override { return false; }
    bool requiresAuthentication() const override { return false; }
};
