#pragma once

#include "sharing/ui/SHKOAuthView.h"

// The check-in service's sign-in screen (OAuth 2, implicit grant): reaching the redirect address ends the
// sign-in, and the pairs of that address's fragment (which holds the access token) are handed over.
class SHKFoursquareV2OAuthView : public SHKOAuthView
{
public:
    static ns::Ref<SHKFoursquareV2OAuthView> create(const ns::Ref<ns::URL>& authorizeURL,
                                                    const ns::Ref<SHKOAuthViewDelegate>& delegate);

    // The fragment's "name=value" pairs, split at "&", then at "="; pairs without exactly one "=" are
    // skipped and values are kept as they came. Nothing when the address has no fragment.
    static ns::Ref<ns::Dictionary> fragmentParameters(const ns::URL& address);

    std::string className() const override { return "SHKFoursquareV2OAuthView"; }

protected:
    SHKFoursquareV2OAuthView() = default;
    friend ns::Factory<SHKFoursquareV2OAuthView>;
    ns::Ref<ns::Dictionary> callbackParameters(const ns::URL& address) const override
    {
        return fragmentParameters(address);
    }
};
