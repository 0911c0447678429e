#include "webservices/sharers/foursquare/SHKFoursquareV2OAuthView.h"

#include "foundation/Dictionary.h"
#include "foundation/String.h"
#include "foundation/URL.h"

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
