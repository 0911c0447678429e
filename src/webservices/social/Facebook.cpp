#include "webservices/social/Facebook.h"

#include "foundation/Escaping.h"
#include "foundation/Exception.h"
#include "foundation/Log.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKPlatformAdditions.h"
#include "uikit/Application.h"
#include "uikit/Device.h"

#include <algorithm>

namespace {

constexpr const char* LoginRedirect = "fbconnect://success";

void setText(ns::MutableDictionary& dictionary, std::string_view key, std::string value)
{
    dictionary.setObject(ns::String::make(std::move(value)), key);
}

std::optional<std::string> textFor(const ns::Dictionary& dictionary, std::string_view key)
{
    return dictionary.stringForKey(key);
}

} // namespace

FBServiceAddresses FBServiceAddresses::fromConfiguration()
{
    FBServiceAddresses addresses;
    auto take = [](std::string& field, std::string_view key) {
        std::optional<std::string> value;
        try {
            value = SHKConfiguration::textValue(key);
        } catch (const ns::Exception&) {
            // No configuration installed: the real sites.
            return;
        }
        if (value && !value->empty())
            field = *value;
    };
    take(addresses.graph, "facebookGraphURL");
    take(addresses.rest, "facebookRestURL");
    take(addresses.dialog, "facebookDialogURL");
    take(addresses.login, "facebookLoginURL");
    return addresses;
}

Facebook::Facebook(std::string appId, std::optional<std::string> urlSchemeSuffix,
                   ns::Weak<FBSessionDelegate> delegate)
    : m_sessionDelegate(std::move(delegate)), m_appId(std::move(appId)),
      m_urlSchemeSuffix(std::move(urlSchemeSuffix)), m_addresses(FBServiceAddresses::fromConfiguration())
{
}

Facebook::~Facebook()
{
    for (const auto& request : m_requests)
        request->removeStateObserver(this);
}

ns::Ref<Facebook> Facebook::create(std::string appId, std::optional<std::string> urlSchemeSuffix,
                                   ns::Weak<FBSessionDelegate> delegate)
{
    return ns::Factory<Facebook>::make(std::move(appId), std::move(urlSchemeSuffix), std::move(delegate));
}

std::string Facebook::dialogBaseURL() const
{
    std::string url = m_addresses.dialog;
    url += "/dialog/";
    return url;
}

std::string Facebook::getOwnBaseUrl() const
{
    std::string url = "fb";
    url += m_appId;
    url += m_urlSchemeSuffix.value_or("");
    url += "://authorize";
    return url;
}

bool Facebook::isSessionValid() const
{
    return m_accessToken && m_expirationDate && m_expirationDate->compare(*ns::Date::now()) > 0;
}

void Facebook::invalidateSession()
{
    m_accessToken.reset();
    m_expirationDate = nullptr;
    deleteCookiesForURL(ns::URL::withString(m_addresses.login));
}

void Facebook::logout()
{
    auto keep = self<Facebook>();
    invalidateSession();
    if (auto delegate = sessionDelegate();
        delegate && delegate->respondsTo(FBSessionDelegate::Operation::DidLogout))
        delegate->fbDidLogout();
}

// MARK: Requests

ns::Ref<FBRequest> Facebook::openUrl(const std::string& url, ns::Ref<ns::MutableDictionary> params,
                                     const std::string& httpMethod, ns::Weak<FBRequestDelegate> delegate)
{
    if (!params)
        params = ns::MutableDictionary::make();
    setText(*params, "format", "json");
    setText(*params, "sdk", "ios");
    setText(*params, "sdk_version", "2");
    if (isSessionValid())
        setText(*params, "access_token", *m_accessToken);

    auto request = FBRequest::getRequestWithParams(params, httpMethod, std::move(delegate), url);
    m_requests.push_back(request);
    request->addStateObserver(this, [weak = weakSelf<Facebook>()](FBRequest& changed, unsigned state) {
        if (auto session = weak.lock())
            session->requestStateChanged(changed, state);
    });
    request->connect();
    return request;
}

void Facebook::requestStateChanged(FBRequest& request, unsigned state)
{
    auto keep = self<Facebook>();
    if (state == FBRequest::Failed) {
        invalidateSession();
        if (auto delegate = sessionDelegate();
            delegate && delegate->respondsTo(FBSessionDelegate::Operation::SessionInvalidated))
            delegate->fbSessionInvalidated();
    }
    if (state == FBRequest::Complete || state == FBRequest::Failed) {
        request.removeStateObserver(this);
        std::erase_if(m_requests, [&](const ns::Ref<FBRequest>& held) { return held.get() == &request; });
    }
}

ns::Ref<FBRequest> Facebook::requestWithGraphPath(const std::string& graphPath,
                                                  ns::Weak<FBRequestDelegate> delegate)
{
    return requestWithGraphPath(graphPath, ns::MutableDictionary::make(), "GET", std::move(delegate));
}

ns::Ref<FBRequest> Facebook::requestWithGraphPath(const std::string& graphPath,
                                                  ns::Ref<ns::MutableDictionary> params,
                                                  ns::Weak<FBRequestDelegate> delegate)
{
    return requestWithGraphPath(graphPath, std::move(params), "GET", std::move(delegate));
}

ns::Ref<FBRequest> Facebook::requestWithGraphPath(const std::string& graphPath,
                                                  ns::Ref<ns::MutableDictionary> params,
                                                  const std::string& httpMethod,
                                                  ns::Weak<FBRequestDelegate> delegate)
{
    std::string url = m_addresses.graph;
    url += '/';
    url += graphPath;
    return openUrl(url, std::move(params), httpMethod, std::move(delegate));
}

ns::Ref<FBRequest> Facebook::requestWithParams(ns::Ref<ns::MutableDictionary> params,
                                               ns::Weak<FBRequestDelegate> delegate)
{
    auto method = params ? textFor(*params, "method") : std::nullopt;
    if (!method) {
        ns::log("API Method must be specified");
        return nullptr;
    }
    params->removeObjectForKey("method");
    return requestWithMethodName(*method, std::move(params), "GET", std::move(delegate));
}

ns::Ref<FBRequest> Facebook::requestWithMethodName(const std::string& methodName,
                                                   ns::Ref<ns::MutableDictionary> params,
                                                   const std::string& httpMethod,
                                                   ns::Weak<FBRequestDelegate> delegate)
{
    std::string url = m_addresses.rest;
    url += "/method/";
    url += methodName;
    return openUrl(url, std::move(params), httpMethod, std::move(delegate));
}

// MARK: Signing in

void Facebook::authorize(std::vector<std::string> permissions)
{
    m_permissions = std::move(permissions);
    authorizeWithFBAppAuth(true, true);
}

void Facebook::authorizeWithFBAppAuth(bool tryFBAppAuth, bool trySafariAuth)
{
    auto keep = self<Facebook>();
    auto params = ns::MutableDictionary::make();
    setText(*params, "client_id", m_appId);
    setText(*params, "type", "user_agent");
    setText(*params, "redirect_uri", LoginRedirect);
    setText(*params, "display", "touch");
    setText(*params, "sdk", "ios");
    if (!m_permissions.empty())
        setText(*params, "scope", ns::join(m_permissions, ","));
    if (m_urlSchemeSuffix)
        setText(*params, "local_client_id", *m_urlSchemeSuffix);

    std::string loginDialogURL = dialogBaseURL();
    loginDialogURL += "oauth";

    auto& application = ui::Application::sharedApplication();
    bool didOpenOtherApp = false;
    if (ui::Device::currentDevice()->isMultitaskingSupported()) {
        if (tryFBAppAuth) {
            std::string scheme = m_urlSchemeSuffix ? "fbauth2" : "fbauth";
            std::string address = scheme;
            address += "://authorize";
            didOpenOtherApp = application.openURL(FBRequest::serializeURL(address, params.get()));
        }
        if (trySafariAuth && !didOpenOtherApp) {
            auto browserParams = params->mutableCopy();
            setText(*browserParams, "redirect_uri", getOwnBaseUrl());
            didOpenOtherApp =
                application.openURL(FBRequest::serializeURL(loginDialogURL, browserParams.get()));
        }
    }
    if (didOpenOtherApp)
        return;
    // The dialog inside the application catches its own "fbconnect" address, so it keeps that one even
    // when a hand-off to another application was tried first.
    m_loginDialog = nullptr;
    auto dialog = FBLoginDialog::create(loginDialogURL, params, self<Facebook>());
    m_loginDialog = dialog;
    dialog->show();
}

ns::Ref<ns::MutableDictionary> Facebook::parseURLParams(std::string_view query)
{
    auto params = ns::MutableDictionary::make();
    for (const auto& pair : ns::split(query, "&")) {
        auto equals = pair.find('=');
        // A pair without "=" says nothing; it is passed over.
        if (equals == std::string::npos)
            continue;
        std::string_view value = std::string_view(pair).substr(equals + 1);
        auto decoded = ns::replacingPercentEscapes(value);
        if (!decoded)
            continue;
        params->setObject(ns::String::make(std::move(*decoded)), std::string_view(pair).substr(0, equals));
    }
    return params;
}

bool Facebook::handleOpenURL(const ns::Ref<ns::URL>& url)
{
    if (!url || !ns::hasPrefix(url->absoluteString(), getOwnBaseUrl()))
        return false;
    auto keep = self<Facebook>();
    std::string query = url->fragment() ? *url->fragment() : url->query().value_or("");
    auto params = parseURLParams(query);

    if (auto token = textFor(*params, "access_token")) {
        ns::Ref<ns::Date> expirationDate = ns::Date::distantFuture();
        if (auto expiresIn = textFor(*params, "expires_in")) {
            if (int64_t seconds = ns::integerValue(*expiresIn); seconds != 0)
                expirationDate = ns::Date::withTimeIntervalSinceNow(static_cast<ns::TimeInterval>(seconds));
        }
        fbDialogLogin(*token, expirationDate);
        return true;
    }

    auto error = textFor(*params, "error");
    if (error == "service_disabled_use_browser") {
        authorizeWithFBAppAuth(false, true);
        return true;
    }
    if (error == "service_disabled") {
        authorizeWithFBAppAuth(false, false);
        return true;
    }
    auto errorCode = params->objectForKey("error_code");
    bool cancelled = !errorCode && (!error || *error == "access_denied");
    fbDialogNotLogin(cancelled);
    return true;
}

void Facebook::fbDialogLogin(const std::string& token, const ns::Ref<ns::Date>& expirationDate)
{
    auto keep = self<Facebook>();
    m_accessToken = token;
    m_expirationDate = expirationDate;
    if (auto delegate = sessionDelegate();
        delegate && delegate->respondsTo(FBSessionDelegate::Operation::DidLogin))
        delegate->fbDidLogin();
}

void Facebook::fbDialogNotLogin(bool cancelled)
{
    auto keep = self<Facebook>();
    if (auto delegate = sessionDelegate();
        delegate && delegate->respondsTo(FBSessionDelegate::Operation::DidNotLogin))
        delegate->fbDidNotLogin(cancelled);
}

// MARK: Dialogs

void Facebook::dialog(const std::string& action, ns::Weak<FBDialogDelegate> delegate)
{
    dialog(action, ns::MutableDictionary::make(), std::move(delegate));
}

void Facebook::dialog(const std::string& action, ns::Ref<ns::MutableDictionary> params,
                      ns::Weak<FBDialogDelegate> delegate)
{
    auto keep = self<Facebook>();
    if (!params)
        params = ns::MutableDictionary::make();
    m_fbDialog = nullptr;
    std::string dialogURL = dialogBaseURL();
    dialogURL += action;
    setText(*params, "display", "touch");
    setText(*params, "sdk", "2");
    setText(*params, "redirect_uri", LoginRedirect);

    ns::Ref<FBDialog> dialog;
    if (action == "oauth") {
        setText(*params, "type", "user_agent");
        dialog = FBLoginDialog::create(dialogURL, params, self<Facebook>());
    } else {
        setText(*params, "app_id", m_appId);
        if (isSessionValid())
            setText(*params, "access_token",
                    ns::replacingPercentEscapes(*m_accessToken).value_or(*m_accessToken));
        dialog = FBDialog::create(dialogURL, params, std::move(delegate));
    }
    m_fbDialog = dialog;
    dialog->show();
}
