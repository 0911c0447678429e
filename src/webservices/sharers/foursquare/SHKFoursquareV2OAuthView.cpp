#include "webservices/sharers/foursquare/SHKFoursquareV2OAuthView.h"

#include "foundation/Dictionary.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "foundation/URLRequest.h"

#include <string_view>

ns::Ref<SHKFoursquareV2OAuthView>
SHKFoursquareV2OAuthView::create(const ns::Ref<ns::URL>& authorizeURL,
                                 const ns::Ref<SHKOAuthViewDelegate>& delegate)
{
    auto view = ns::Factory<SHKFoursquareV2OAuthView>::make();
    view->setUp(authorizeURL, delegate);
    return view;
}

ns::Ref<ns::Dictionary> SHKFoursquareV2OAuthView::fragmentParameters(const ns::URL& address)
{
    auto fragment = address.fragment();
    if (!fragment)
        return nullptr;
    auto parameters = ns::MutableDictionary::make();
    std::string_view rest = *fragment;
    while (true) {
        std::size_t end = rest.find('&');
        std::string_view pair = rest.substr(0, end);
        std::size_t equals = pair.find('=');
        if (equals != std::string_view::npos && pair.find('=', equals + 1) == std::string_view::npos)
            parameters->setObject(ns::String::make(std::string(pair.substr(equals + 1))),
                                  pair.substr(0, equals));
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return parameters;
}

bool SHKFoursquareV2OAuthView::webViewShouldStartLoadWithRequest(ui::WebView&, const ns::URLRequest& request,
                                                                 ui::WebViewNavigationType)
{
    auto delegate = this->delegate();
    const auto& address = request.URL();
    auto callback = delegate ? delegate->authorizeCallbackURL() : nullptr;
    // Only the redirect address itself ends the sign-in; a page that merely names it (in its query, or
    // as a path on another host) cannot hand over a token of its choosing.
    if (!address || !callback || !isCallback(*address, *callback))
        return true;
    auto keep = self<SHKFoursquareV2OAuthView>();
    delegate->tokenAuthorizeView(*this, true, fragmentParameters(*address), nullptr);
    setDelegate(nullptr);
    return false;
}
