#pragma once

#include "sharing/sharer/SHKSharer.h"

// Saves a web address with its title and tags to the Read It Later list. Always shares at once (the share
// form is skipped); the credentials are checked with one POST and sent again in the body of every share.
class SHKReadItLater : public SHKSharer
{
public:
    static ns::Ref<SHKReadItLater> create() { return setUp(ns::Factory<SHKReadItLater>::make()); }
    // Registers the class under "SHKReadItLater".
    static void registerClass();

    bool shouldAutoShare() override { return true; }
    std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
    shareFormFieldsForType(SHKShareType type) override;
    void authorizationFormValidate(SHKFormController& form) override;
    void authFinished(SHKRequest& request);
    bool send() override;
    void sendFinished(SHKRequest& request);

    // The share's body: the key, the escaped credentials, and the item as the service's JSON lists.
    std::string shareBody();

    std::string className() const override { return "SHKReadItLater"; }

protected:
    SHKReadItLater() = default;
    friend ns::Factory<SHKReadItLater>;
};

class SHKReadItLaterClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    std::optional<std::string> authorizationFormCaption() const override;
};
