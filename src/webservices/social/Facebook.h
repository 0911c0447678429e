#pragma once

#include "foundation/Array.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/URL.h"
#include "webservices/social/FBDialog.h"
#include "webservices/social/FBLoginDialog.h"
#include "webservices/social/FBRequest.h"

#include <optional>
#include <string>
#include <vector>

// What the session tells of signing in and out. Every operation is optional: a delegate answers those it
// lists in respondsTo.
class FBSessionDelegate
{
public:
    enum class Operation { DidLogin, DidNotLogin, DidLogout, SessionInvalidated };

    virtual ~FBSessionDelegate() = default;
    virtual bool respondsTo(Operation) const { return false; }

    virtual void fbDidLogin() {}
    // fbDidNotLogin: the flag says whether the person cancelled.
    virtual void fbDidNotLogin(bool) {}
    virtual void fbDidLogout() {}
    virtual void fbSessionInvalidated() {}
};

// Where the social network lives: scheme, host and port of each of its four sites, without a trailing "/".
struct FBServiceAddresses
{
    std::string graph = "https://graph.facebook.com";
    std::string rest = "https://api.facebook.com";
    std::string dialog = "https://m.facebook.com";
    std::string login = "https://login.facebook.com";

    // The sharing configuration's "facebookGraphURL", "facebookRestURL", "facebookDialogURL" and
    // "facebookLoginURL", each falling back to the real site.
    static FBServiceAddresses fromConfiguration();
};

// The client session of the social network: the application id, the access token and its expiry; signs
// the person in through the network's own application, the browser or a login dialog, takes the token from
// the address the sign-in comes back with, and makes Graph and REST requests and web dialogs. Any request
// that fails ends the session.
class Facebook : public ns::Object, public FBLoginDialogDelegate
{
public:
    // initWithAppId:urlSchemeSuffix:andDelegate: (no suffix for initWithAppId:andDelegate:). The service's
    // addresses come from the sharing configuration when one is installed.
    static ns::Ref<Facebook> create(std::string appId, std::optional<std::string> urlSchemeSuffix,
                                    ns::Weak<FBSessionDelegate> delegate);
    ~Facebook() override;

    const std::optional<std::string>& accessToken() const { return m_accessToken; }
    void setAccessToken(std::optional<std::string> token) { m_accessToken = std::move(token); }
    const ns::Ref<ns::Date>& expirationDate() const { return m_expirationDate; }
    void setExpirationDate(ns::Ref<ns::Date> date) { m_expirationDate = std::move(date); }
    ns::Ref<FBSessionDelegate> sessionDelegate() const { return m_sessionDelegate.lock(); }
    void setSessionDelegate(ns::Weak<FBSessionDelegate> delegate) { m_sessionDelegate = std::move(delegate); }
    const std::string& appId() const { return m_appId; }
    const std::optional<std::string>& urlSchemeSuffix() const { return m_urlSchemeSuffix; }
    const std::vector<std::string>& permissions() const { return m_permissions; }
    const FBServiceAddresses& serviceAddresses() const { return m_addresses; }
    void setServiceAddresses(FBServiceAddresses addresses) { m_addresses = std::move(addresses); }
    // The requests made and not yet finished.
    const std::vector<ns::Ref<FBRequest>>& requests() const { return m_requests; }
    const ns::Ref<FBDialog>& loginDialog() const { return m_loginDialog; }
    const ns::Ref<FBDialog>& dialog() const { return m_fbDialog; }

    // authorize: with the permissions asked for.
    void authorize(std::vector<std::string> permissions);
    // authorizeWithFBAppAuth:safariAuth:
    void authorizeWithFBAppAuth(bool tryFBAppAuth, bool trySafariAuth);
    // Whether the address was the answer to a sign-in.
    bool handleOpenURL(const ns::Ref<ns::URL>& url);
    void logout();
    bool isSessionValid() const;

    // Graph requests: "<graph>/<path>".
    ns::Ref<FBRequest> requestWithGraphPath(const std::string& graphPath,
                                            ns::Weak<FBRequestDelegate> delegate);
    ns::Ref<FBRequest> requestWithGraphPath(const std::string& graphPath,
                                            ns::Ref<ns::MutableDictionary> params,
                                            ns::Weak<FBRequestDelegate> delegate);
    ns::Ref<FBRequest> requestWithGraphPath(const std::string& graphPath,
                                            ns::Ref<ns::MutableDictionary> params,
                                            const std::string& httpMethod,
                                            ns::Weak<FBRequestDelegate> delegate);
    // REST requests: the method name comes from the parameter "method"; nothing without one.
    ns::Ref<FBRequest> requestWithParams(ns::Ref<ns::MutableDictionary> params,
                                         ns::Weak<FBRequestDelegate> delegate);
    ns::Ref<FBRequest> requestWithMethodName(const std::string& methodName,
                                             ns::Ref<ns::MutableDictionary> params,
                                             const std::string& httpMethod,
                                             ns::Weak<FBRequestDelegate> delegate);

    // Web dialogs: "<dialog site>/dialog/<action>".
    void dialog(const std::string& action, ns::Weak<FBDialogDelegate> delegate);
    void dialog(const std::string& action, ns::Ref<ns::MutableDictionary> params,
                ns::Weak<FBDialogDelegate> delegate);

    // The login dialog's reports.
    void fbDialogLogin(const std::string& token, const ns::Ref<ns::Date>& expirationDate) override;
    void fbDialogNotLogin(bool cancelled) override;

    // "fb<app id><suffix>://authorize", the address the sign-in comes back with; "" without a suffix.
    std::string getOwnBaseUrl() const;
    // "a=1&b=2" into a dictionary, the values unescaped.
    static ns::Ref<ns::MutableDictionary> parseURLParams(std::string_view query);
    void invalidateSession();

    std::string className() const override { return "Facebook"; }

protected:
    Facebook(std::string appId, std::optional<std::string> urlSchemeSuffix,
             ns::Weak<FBSessionDelegate> delegate);
    friend ns::Factory<Facebook>;

private:
    ns::Ref<FBRequest> openUrl(const std::string& url, ns::Ref<ns::MutableDictionary> params,
                               const std::string& httpMethod, ns::Weak<FBRequestDelegate> delegate);
    void requestStateChanged(FBRequest& request, unsigned state);
    std::string dialogBaseURL() const;

    std::optional<std::string> m_accessToken;
    ns::Ref<ns::Date> m_expirationDate;
    ns::Weak<FBSessionDelegate> m_sessionDelegate;
    std::vector<ns::Ref<FBRequest>> m_requests;
    ns::Ref<FBDialog> m_loginDialog;
    ns::Ref<FBDialog> m_fbDialog;
    std::string m_appId;
    std::optional<std::string> m_urlSchemeSuffix;
    std::vector<std::string> m_permissions;
    FBServiceAddresses m_addresses;
};
