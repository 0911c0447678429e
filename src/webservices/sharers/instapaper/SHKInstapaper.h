#pragma once

#include "sharing/sharer/SHKSharer.h"

// Saves a web address, with its title and the item's text as the selection, to Instapaper. The
// credentials are checked with one POST and sent again in the body of every share.
class SHKInstapaper : public SHKSharer
{
public:
    static ns::Ref<SHKInstapaper> create() { return setUp(ns::Factory<SHKInstapaper>::make()); }
    // Registers the class under "SHKInstapaper".
    static void registerClass();

    void authorizationFormValidate(SHKFormController& form) override;
    void authFinished(SHKRequest& request);
    bool send() override;
    void sendFinished(SHKRequest& request);

    std::string className() const override { return "SHKInstapaper"; }

protected:
    SHKInstapaper() = default;
    friend ns::Factory<SHKInstapaper>;
};

class SHKInstapaperClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    bool canShare() const override { return true; }
    std::optional<std::string> authorizationFormCaption() const override;
};
