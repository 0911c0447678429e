#pragma once

#include "webservices/sharers/common/SHKLoginServiceSharer.h"

// Saves a web address, with its title and the item's text as the selection, to Instapaper. The
// credentials are checked with one POST and sent again in the body of every share.
class SHKInstapaper : public SHKLoginServiceSharer
{
public:
    static ns::Ref<SHKInstapaper> create() { return setUp(ns::Factory<SHKInstapaper>::make()); }
    // Registers the class under "SHKInstapaper".
    static void registerClass();

    // None: the share goes as soon as the sharer is signed in.
    std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
    shareFormFieldsForType(SHKShareType type) override;

    std::string className() const override { return "SHKInstapaper"; }

protected:
    SHKInstapaper() = default;
    friend ns::Factory<SHKInstapaper>;

    ServiceRequest loginCheck(const ns::Dictionary& values) const override;
    std::optional<std::string> loginRefusal(const SHKRequest& request) const override;
    ServiceRequest shareRequest() override;
    int reloginStatus() const override { return 403; }
    std::string shareFailure(const SHKRequest& request) const override;
};
