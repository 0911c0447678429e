#pragma once

#include "sharing/sharer/SHKSharer.h"

// Saves a web address as a bookmark (title, tags, notes and whether it is shared) to Diigo. The
// credentials are checked with one request and travel as basic authentication in every address.
class SHKDiigo : public SHKSharer
{
public:
    static ns::Ref<SHKDiigo> create() { return setUp(ns::Factory<SHKDiigo>::make()); }
    // Registers the class under "SHKDiigo".
    static void registerClass();

    std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
    shareFormFieldsForType(SHKShareType type) override;
    void authorizationFormValidate(SHKFormController& form) override;
    void authFinished(SHKRequest& request);
    bool send() override;
    void sendFinished(SHKRequest& request);

    std::string className() const override { return "SHKDiigo"; }

protected:
    SHKDiigo() = default;
    friend ns::Factory<SHKDiigo>;
};

class SHKDiigoClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    std::optional<std::string> authorizationFormCaption() const override;
};
