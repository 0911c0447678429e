#pragma once

#include "sharing/sharer/SHKSharer.h"

// Signs the user out of every service of the sharer list. Works on the device, at once, without signing in.
class SHKLogout : public SHKSharer
{
public:
    static ns::Ref<SHKLogout> create() { return setUp(ns::Factory<SHKLogout>::make()); }

    bool send() override;
    bool shouldAutoShare() override { return true; }

    std::string className() const override { return "SHKLogout"; }

protected:
    SHKLogout() = default;
    friend ns::Factory<SHKLogout>;
};

class SHKLogoutClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    bool canShareText() const override { return true; }
    bool canShareImage() const override { return true; }
    bool canShareFile() const override { return true; }
    bool shareRequiresInternetConnection() const override { return false; }
    bool requiresAuthentication() const override { return false; }
};
