#pragma once

#include "webservices/sharers/common/SHKLoginServiceSharer.h"

// Saves a web address as a bookmark (title, tags, notes and whether it is shared) to Diigo. The
// credentials are checked with one request and travel as basic authentication in every address.
class SHKDiigo : public SHKLoginServiceSharer
{
public:
    static ns::Ref<SHKDiigo> create() { return setUp(ns::Factory<SHKDiigo>::make()); }
    // Registers the class under "SHKDiigo".
    static void registerClass();

    std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
    shareFormFieldsForType(SHKShareType type) override;

    std::string className() const override { return "SHKDiigo"; }

protected:
    SHKDiigo() = default;
    friend ns::Factory<SHKDiigo>;

    ServiceRequest loginCheck(const ns::Dictionary& values) const override;
    std::optional<std::string> loginRefusal(const SHKRequest& request) const override;
    ServiceRequest shareRequest() override;
    bool shareSaved(SHKRequest& request) const override;
    std::string shareFailure(const SHKRequest& request) const override;
};
