#pragma once

#include "sharing/sharer/SHKSharer.h"

// Saves a web address as a bookmark (title, tags, notes and whether it is shared) to Pinboard. The
// credentials are checked with one request and travel as basic authentication in every address.
class SHKPinboard : public SHKSharer
{
public:
    static ns::Ref<SHKPinboard> create() { return setUp(ns::Factory<SHKPinboard>::make()); }
    // Registers the class under "SHKPinboard".
    static void registerClass();

    std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
    shareFormFieldsForType(SHKShareType type) override;
    void authorizationFormValidate(SHKFormController& form) override;
    void authFinished(SHKRequest& request);
    bool send() override;
    void sendFinished(SHKRequest& request);

    std::string className() const override { return "SHKPinboard"; }

protected:
    SHKPinboard() = default;
    friend ns::Factory<SHKPinboard>;
};

class SHKPinboardClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    std::optional<std::string> authorizationFormCaption() const override;
};
