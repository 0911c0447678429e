#include "sharing/sharer/SHKOAuthSharer.h"

#include "foundation/ClassRegistry.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKPlatformAdditions.h"
#include "sharing/oauth/OAAsynchronousDataFetcher.h"
#include "sharing/oauth/OAConsumer.h"
#include "sharing/oauth/OAMutableURLRequest.h"
#include "sharing/oauth/OAParameterAdditions.h"
#include "sharing/oauth/OARequestParameter.h"
#include "sharing/oauth/OAServiceTicket.h"
#include "sharing/oauth/OAToken.h"
#include "sharing/oauth/OAURLEncoding.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "sharing/ui/SHKFormController.h"
#include "uikit/AlertView.h"

namespace {

// A token a service may be trusted with: a reply that names no key or secret is a refusal, whatever its
// status said.
bool isUsable(const ns::Ref<OAToken>& token)
{
    return token && token->key() && !token->key()->empty() && token->secret() && !token->secret()->empty();
}

ns::Ref<OAToken> tokenFromReply(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data)
{
    std::string body;
    if (data)
        body = std::string(data->view());
    else if (auto text = ticket.body())
        body = *text;
    return OAToken::withHTTPResponseBody(body);
}

} // namespace

void SHKOAuthSharerClass::logout() const
{
    SHKOAuthSharer::deleteStoredAccessToken(sharerId());
    // A new sharer of the class knows its service's addresses.
    auto sharer = rt::ClassRegistry::shared().createAs<SHKOAuthSharer>(className());
    if (sharer && sharer->authorizeURL())
        deleteCookiesForURL(sharer->authorizeURL());
}

// Authorisation

bool SHKOAuthSharer::isAuthorized()
{
    return restoreAccessToken();
}

void SHKOAuthSharer::promptAuthorization()
{
    // The sign-in is a chain of requests and pages that the sharer's own screens do not hold; it may
    // start from a failure report that has just let the share's hold go.
    holdForSignIn();
    tokenRequest();
}

// Request token

void SHKOAuthSharer::tokenRequest()
{
    SHKActivityIndicator::currentIndicator()->displayActivity(SHKLookupLocalizedText("Connecting..."));
    auto request = std::make_shared<OAMutableURLRequest>(m_requestURL, consumer(), nullptr, std::nullopt,
                                                         signatureProvider());
    request->setHTTPMethod("POST");
    // Services of the current protocol refuse a request token without the address to return to; "oob"
    // asks for a PIN instead.
    request->setOAuthParameterName("oauth_callback",
                                   m_authorizeCallbackURL ? m_authorizeCallbackURL->absoluteString() : "oob");
    tokenRequestModifyRequest(*request);
    auto fetcher = OAAsynchronousDataFetcher::asynchronousFetcherWithRequest(
        request, shared_from_this(), OAFinishSelector(&SHKOAuthSharer::tokenRequestTicketDidFinishWithData),
        OAFailSelector(&SHKOAuthSharer::tokenRequestTicketDidFailWithError));
    fetcher->start();
}

void SHKOAuthSharer::tokenRequestModifyRequest(OAMutableURLRequest&)
{
}

void SHKOAuthSharer::tokenRequestTicketDidFinishWithData(OAServiceTicket& ticket,
                                                         const ns::Ref<ns::Data>& data)
{
    SHKActivityIndicator::currentIndicator()->hide();
    auto token = ticket.didSucceed() ? tokenFromReply(ticket, data) : nullptr;
    if (!isUsable(token)) {
        tokenRequestTicketDidFailWithError(
            ticket, SHK::errorWithDescription(SHKFormatLocalizedText(
                        "There was a problem requesting authorization from %@", sharerTitle())));
        return;
    }
    setRequestToken(token);
    tokenAuthorize();
}

void SHKOAuthSharer::tokenRequestTicketDidFailWithError(OAServiceTicket&, const ns::Ref<ns::Error>& error)
{
    SHKActivityIndicator::currentIndicator()->hide();
    showFailure(SHKLookupLocalizedText("Request Error"), error,
                SHKLookupLocalizedText("There was an error while sharing"));
    // Nothing reports after this: the sign-in waits for the next share.
    signInDidEnd();
    letGo();
}

// Authorise

void SHKOAuthSharer::tokenAuthorize()
{
    auto token = requestToken();
    std::string address = m_authorizeURL ? m_authorizeURL->absoluteString() : std::string();
    // The key is a value in the query: escaped, and after any query the page's address already has.
    address += m_authorizeURL && m_authorizeURL->query() ? '&' : '?';
    address += "oauth_token=";
    address += OAURLEncoding::URLEncodedString(token && token->key() ? *token->key() : std::string());
    auto view = SHKOAuthView::create(ns::URL::withString(address), self<SHKOAuthSharer>());
    SHK::currentHelper()->showViewController(view);
}

void SHKOAuthSharer::tokenAuthorizeView(SHKOAuthView&, bool success,
                                        const ns::Ref<ns::Dictionary>& queryParams,
                                        const ns::Ref<ns::Error>& error)
{
    auto keep = self<SHKOAuthSharer>();
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
    if (success && !(queryParams && queryParams->objectForKey("oauth_problem"))) {
        setAuthorizeResponseQueryVars(queryParams);
        tokenAccess();
        return;
    }
    showFailure(SHKLookupLocalizedText("Authorize Error"), error,
                SHKLookupLocalizedText("There was an error while authorizing"));
    authDidFinish(false);
}

void SHKOAuthSharer::tokenAuthorizeCancelledView(SHKOAuthView&)
{
    auto keep = self<SHKOAuthSharer>();
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
    authDidFinish(false);
}

// Access token

void SHKOAuthSharer::tokenAccess(bool refresh)
{
    if (!refresh)
        SHKActivityIndicator::currentIndicator()->displayActivity(
            SHKLookupLocalizedText("Authenticating..."));
    auto request = std::make_shared<OAMutableURLRequest>(
        m_accessURL, consumer(), refresh ? accessToken() : requestToken(), std::nullopt, signatureProvider());
    request->setHTTPMethod("POST");
    // The verifier proves that the user granted this request token; services of the current protocol
    // refuse the exchange without it.
    if (!refresh && m_authorizeResponseQueryVars)
        if (auto verifier =
                ns::cast<ns::String>(m_authorizeResponseQueryVars->objectForKey("oauth_verifier")))
            request->setOAuthParameterName("oauth_verifier", verifier->str());
    tokenAccessModifyRequest(*request);
    auto fetcher = OAAsynchronousDataFetcher::asynchronousFetcherWithRequest(
        request, shared_from_this(), OAFinishSelector(&SHKOAuthSharer::tokenAccessTicketDidFinishWithData),
        OAFailSelector(&SHKOAuthSharer::tokenAccessTicketDidFailWithError));
    fetcher->start();
}

void SHKOAuthSharer::tokenAccessModifyRequest(OAMutableURLRequest&)
{
}

void SHKOAuthSharer::addXAuthParameters(OAMutableURLRequest& request) const
{
    auto form = pendingForm();
    auto values = form ? form->formValues() : ns::MutableDictionary::make();
    auto parameter = [](std::string name, std::string value) {
        return OARequestParameter::requestParameterWithName(std::move(name), std::move(value));
    };
    OAParameterAdditions::setParameters(
        request, {parameter("x_auth_username", values->stringForKey("username").value_or("")),
                  parameter("x_auth_password", values->stringForKey("password").value_or("")),
                  parameter("x_auth_mode", "client_auth")});
}

void SHKOAuthSharer::tokenAccessTicketDidFinishWithData(OAServiceTicket& ticket,
                                                        const ns::Ref<ns::Data>& data)
{
    SHKActivityIndicator::currentIndicator()->hide();
    auto token = ticket.didSucceed() ? tokenFromReply(ticket, data) : nullptr;
    bool success = isUsable(token);
    if (success) {
        setAccessToken(token);
        storeAccessToken();
        tryPendingAction();
    } else {
        tokenAccessTicketDidFailWithError(
            ticket, SHK::errorWithDescription(SHKFormatLocalizedText(
                        "There was a problem requesting access from %@", sharerTitle())));
    }
    authDidFinish(success);
}

void SHKOAuthSharer::tokenAccessTicketDidFailWithError(OAServiceTicket&, const ns::Ref<ns::Error>& error)
{
    SHKActivityIndicator::currentIndicator()->hide();
    showFailure(SHKLookupLocalizedText("Access Error"), error,
                SHKLookupLocalizedText("There was an error while sharing"));
    // A network failure reports nothing after this, so the share ends here; a refusal goes on to
    // authDidFinish, for which the sharer is still held until the run loop turns.
    signInDidEnd();
    letGo();
}

void SHKOAuthSharer::refreshToken()
{
    setPendingAction(SHKAwaitTokenRefresh);
    holdForSignIn();
    tokenAccess(true);
}

// Token storage

void SHKOAuthSharer::storeAccessToken()
{
    auto token = accessToken();
    if (!token)
        return;
    std::string id = sharerId();
    if (token->key())
        SHK::setAuthValue(*token->key(), SHKOAuthAccessKeyKey, id);
    if (token->secret())
        SHK::setAuthValue(*token->secret(), SHKOAuthAccessSecretKey, id);
    // A handle from an earlier token belongs to that token; kept, it would be attached to this one.
    if (token->sessionHandle())
        SHK::setAuthValue(*token->sessionHandle(), SHKOAuthSessionHandleKey, id);
    else
        SHK::removeAuthValueForKey(SHKOAuthSessionHandleKey, id);
}

void SHKOAuthSharer::deleteStoredAccessToken(const std::string& sharerId)
{
    SHK::removeAuthValueForKey(SHKOAuthAccessKeyKey, sharerId);
    SHK::removeAuthValueForKey(SHKOAuthAccessSecretKey, sharerId);
    SHK::removeAuthValueForKey(SHKOAuthSessionHandleKey, sharerId);
}

bool SHKOAuthSharer::restoreAccessToken()
{
    setConsumer(std::make_shared<OAConsumer>(m_consumerKey, m_secretKey));
    if (accessToken())
        return true;
    std::string id = sharerId();
    auto key = SHK::getAuthValueForKey(SHKOAuthAccessKeyKey, id);
    auto secret = SHK::getAuthValueForKey(SHKOAuthAccessSecretKey, id);
    if (!key || !secret)
        return false;
    auto token = std::make_shared<OAToken>(*key, *secret);
    if (auto handle = SHK::getAuthValueForKey(SHKOAuthSessionHandleKey, id))
        token->setSessionHandle(*handle);
    setAccessToken(token);
    return true;
}

void SHKOAuthSharer::showFailure(const std::string& title, const ns::Ref<ns::Error>& error,
                                 const std::string& fallback)
{
    auto alert = ui::AlertView::create(title, error ? error->localizedDescription() : fallback, nullptr,
                                       SHKLookupLocalizedText("Close"));
    alert->show();
}
