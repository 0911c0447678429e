#pragma once

#include "webservices/sharers/common/SHKLoginServiceSharer.h"

// Saves a web address as a bookmark (title, tags, notes and whether it is shared) to Pinboard. The
// credentials are checked with one request and travel as basic authentication in every address.
class SHKPinboard : public SHKLoginServiceSharer
{
public:
    static ns::Ref<SHKPinboard> create() { return setUp(ns::Factory<SHKPinboard>::make()); }
    // Registers the class under "SHKPinboard".
    static void registerClass();

    std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
    shareFormFieldsForType(SHKShareType type) override;

    std::string className() const override { return "SHKPinboard"; }

protected:
    SHKPinboard() = default;
    friend ns::Factory<SHKPinboard>;

    ServiceRequest loginCheck(const ns::Dictionary& values) const override;
    std::optional<std::string> loginRefusal(const SHKRequest& request) const override;
    ServiceRequest shareRequest() override;
    std::string shareFailure(const SHKRequest& request) const override;
};
