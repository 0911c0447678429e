#pragma once

#include "webservices/sharers/common/SHKLoginServiceSharer.h"

// Saves a web address with its title and tags to the Read It Later list. Always shares at once (the share
// form is skipped); the credentials are checked with one POST and sent again in the body of every share.
class SHKReadItLater : public SHKLoginServiceSharer
{
public:
    static ns::Ref<SHKReadItLater> create() { return setUp(ns::Factory<SHKReadItLater>::make()); }
    // Registers the class under "SHKReadItLater".
    static void registerClass();

    bool shouldAutoShare() override { return true; }
    std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
    shareFormFieldsForType(SHKShareType type) override;

    // The share's body: the key, the escaped credentials, and the item as the service's JSON lists.
    std::string shareBody();

    std::string className() const override { return "SHKReadItLater"; }

protected:
    SHKReadItLater() = default;
    friend ns::Factory<SHKReadItLater>;

    ServiceRequest loginCheck(const ns::Dictionary& values) const override;
    std::optional<std::string> loginRefusal(const SHKRequest& request) const override;
    ServiceRequest shareRequest() override;
    std::string shareFailure(const SHKRequest& request) const override;
};
