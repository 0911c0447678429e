#pragma once

#include "foundation/Locked.h"
#include "sharing/sharer/SHKSharer.h"
#include "sharing/ui/SHKOAuthView.h"

#include <string>

class OAConsumer;
class OAMutableURLRequest;
class OAServiceTicket;
class OASignatureProviding;
class OAToken;

namespace ns {
class Data;
class Dictionary;
class Error;
class URL;
} // namespace ns

// Keychain keys of the access token.
inline constexpr const char* SHKOAuthAccessKeyKey = "accessKey";
inline constexpr const char* SHKOAuthAccessSecretKey = "accessSecret";
inline constexpr const char* SHKOAuthSessionHandleKey = "sessionHandle";

// The class-level side of an OAuth sharer: its logout also forgets the sign-in site's cookies.
class SHKOAuthSharerClass : public SHKSharerClass
{
public:
    // Deletes the stored access token, then every cookie of the authorise page of a new sharer of the
    // class (none when it has no authorise page), so that the next sign-in starts afresh.
    void logout() const override;
};

// The base of the sharers that sign in by OAuth 1.0: instead of a login form, it asks the service for a
// request token, lets the user authorise it in a web view, exchanges it for an access token, keeps that in
// the keychain and resumes the waiting share. Subclasses set the service's addresses and the application's
// key and secret in their create(), may change the two token requests (xAuth sends the user's name and
// password with the access request instead of showing the web view), and sign their own requests with
// consumer() and accessToken().
class SHKOAuthSharer : public SHKSharer, public SHKOAuthViewDelegate
{
public:
    const std::string& consumerKey() const { return m_consumerKey; }
    void setConsumerKey(std::string key) { m_consumerKey = std::move(key); }
    const std::string& secretKey() const { return m_secretKey; }
    void setSecretKey(std::string secret) { m_secretKey = std::move(secret); }
    ns::Ref<ns::URL> authorizeCallbackURL() const override { return m_authorizeCallbackURL; }
    void setAuthorizeCallbackURL(ns::Ref<ns::URL> url) { m_authorizeCallbackURL = std::move(url); }
    const ns::Ref<ns::URL>& authorizeURL() const { return m_authorizeURL; }
    void setAuthorizeURL(ns::Ref<ns::URL> url) { m_authorizeURL = std::move(url); }
    const ns::Ref<ns::URL>& accessURL() const { return m_accessURL; }
    void setAccessURL(ns::Ref<ns::URL> url) { m_accessURL = std::move(url); }
    const ns::Ref<ns::URL>& requestURL() const { return m_requestURL; }
    void setRequestURL(ns::Ref<ns::URL> url) { m_requestURL = std::move(url); }
    // Read and written whole from any thread.
    ns::Ref<OAConsumer> consumer() const { return m_consumer.get(); }
    void setConsumer(ns::Ref<OAConsumer> consumer) { m_consumer.set(std::move(consumer)); }
    ns::Ref<OAToken> requestToken() const { return m_requestToken.get(); }
    void setRequestToken(ns::Ref<OAToken> token) { m_requestToken.set(std::move(token)); }
    ns::Ref<OAToken> accessToken() const { return m_accessToken.get(); }
    void setAccessToken(ns::Ref<OAToken> token) { m_accessToken.set(std::move(token)); }
    // None unless set: requests are then signed with HMAC-SHA1.
    ns::Ref<OASignatureProviding> signatureProvider() const { return m_signatureProvider.get(); }
    void setSignatureProvider(ns::Ref<OASignatureProviding> provider)
    {
        m_signatureProvider.set(std::move(provider));
    }
    // The query parameters of the authorise callback.
    const ns::Ref<ns::Dictionary>& authorizeResponseQueryVars() const { return m_authorizeResponseQueryVars; }
    void setAuthorizeResponseQueryVars(ns::Ref<ns::Dictionary> vars)
    {
        m_authorizeResponseQueryVars = std::move(vars);
    }

    // Authorised when an access token is held or stored.
    bool isAuthorized() override;
    // Starts the sign-in at the request token: no login form.
    void promptAuthorization() override;

    // The request token: "Connecting...", a signed POST to requestURL carrying the callback address.
    virtual void tokenRequest();
    // Changes the request token's request before it is sent; the base does nothing.
    virtual void tokenRequestModifyRequest(OAMutableURLRequest& request);
    // tokenRequestTicket:didFinishWithData:
    virtual void tokenRequestTicketDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data);
    // tokenRequestTicket:didFailWithError: the "Request Error" alert; the pending action stays.
    virtual void tokenRequestTicketDidFailWithError(OAServiceTicket& ticket, const ns::Ref<ns::Error>& error);

    // Shows the service's authorise page for the request token.
    virtual void tokenAuthorize();
    // The end of the web view.
    void tokenAuthorizeView(SHKOAuthView& view, bool success, const ns::Ref<ns::Dictionary>& queryParams,
                            const ns::Ref<ns::Error>& error) override;
    void tokenAuthorizeCancelledView(SHKOAuthView& view) override;

    // The access token: "Authenticating..." (not when refreshing), a signed POST to accessURL with the
    // request token and its verifier, or with the access token when refreshing.
    void tokenAccess() { tokenAccess(false); }
    virtual void tokenAccess(bool refresh);
    // Changes the access token's request before it is sent; the base does nothing, subclasses add their
    // xAuth parameters.
    virtual void tokenAccessModifyRequest(OAMutableURLRequest& request);
    // xAuth: the login form's user name and password stand in for a request token on that request.
    void addXAuthParameters(OAMutableURLRequest& request) const;
    // tokenAccessTicket:didFinishWithData: subclasses extend it and call it.
    virtual void tokenAccessTicketDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data);
    // tokenAccessTicket:didFailWithError: the "Access Error" alert.
    virtual void tokenAccessTicketDidFailWithError(OAServiceTicket& ticket, const ns::Ref<ns::Error>& error);
    // Asks for a new access token with the one held, then sends again.
    virtual void refreshToken();

    // The access token's key, secret and session handle into the keychain; a token without a session
    // handle removes one stored before.
    virtual void storeAccessToken();
    // Removes the three stored values of the sharer.
    static void deleteStoredAccessToken(const std::string& sharerId);
    // Makes the consumer anew, then answers whether an access token is held or could be read back.
    virtual bool restoreAccessToken();

    std::string className() const override { return "SHKOAuthSharer"; }

protected:
    SHKOAuthSharer() = default;

private:
    // The "Close" alert of a failed step.
    void showFailure(const std::string& title, const ns::Ref<ns::Error>& error, const std::string& fallback);

    std::string m_consumerKey;
    std::string m_secretKey;
    ns::Ref<ns::URL> m_authorizeCallbackURL;
    ns::Ref<ns::URL> m_authorizeURL;
    ns::Ref<ns::URL> m_accessURL;
    ns::Ref<ns::URL> m_requestURL;
    ns::Locked<ns::Ref<OAConsumer>> m_consumer;
    ns::Locked<ns::Ref<OAToken>> m_requestToken;
    ns::Locked<ns::Ref<OAToken>> m_accessToken;
    ns::Locked<ns::Ref<OASignatureProviding>> m_signatureProvider;
    ns::Ref<ns::Dictionary> m_authorizeResponseQueryVars;
};
