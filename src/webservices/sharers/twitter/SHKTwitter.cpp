#include "webservices/sharers/twitter/SHKTwitter.h"

#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "foundation/UserDefaults.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/core/SHKItem.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKPlatformAdditions.h"
#include "sharing/core/SHKRequest.h"
#include "sharing/core/SHKXMLResponseParser.h"
#include "sharing/oauth/OAAsynchronousDataFetcher.h"
#include "sharing/oauth/OAMutableURLRequest.h"
#include "sharing/oauth/OAParameterAdditions.h"
#include "sharing/oauth/OAServiceTicket.h"
#include "sharing/oauth/OAURLEncoding.h"
#include "sharing/sharers/SHKiOS5Twitter.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "sharing/ui/SHKFormController.h"
#include "system/TweetComposeViewController.h"
#include "uikit/AlertView.h"
#include "uikit/Color.h"
#include "uikit/Image.h"
#include "uikit/NavigationBar.h"
#include "uikit/TextView.h"
#include "webservices/jk/JSONDecoder.h"
#include "webservices/sharers/common/SHKServiceSupport.h"

#include <algorithm>

namespace {

constexpr const char* APIKey = "twitterAPIURL";
constexpr const char* ImageHostKey = "twitterImageHostURL";
constexpr const char* ShortenerKey = "bitLyURL";
constexpr const char* VerifyCredentialsPath = "/1/account/verify_credentials.json";
constexpr const char* Boundary = "0xKhTmLbOuNdArY";
constexpr std::size_t MaximumStatusLength = 140;
constexpr std::size_t MaximumImageBytes = 700000;

ns::Ref<OARequestParameter> parameter(std::string name, std::string value)
{
    return OARequestParameter::requestParameterWithName(std::move(name), std::move(value));
}

std::string bodyText(const ns::Ref<ns::Data>& data)
{
    return data ? std::string(data->view()) : std::string();
}

// The item's own address as the user reads it: escapes removed.
std::string readableAddress(const SHKItem& item)
{
    return item.URL() ? OAURLEncoding::URLDecodedString(item.URL()->absoluteString()) : std::string();
}

std::string trimmedLines(std::string_view text)
{
    auto isBreak = [](char c) { return c == '\n' || c == '\r'; };
    while (!text.empty() && isBreak(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBreak(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace

// MARK: Class

void SHKTwitter::registerClass()
{
    SHKSharerClass::registerSharer<SHKTwitter, SHKTwitterClass>("SHKTwitter");
}

std::string SHKTwitterClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Twitter");
}

std::optional<std::string> SHKTwitterClass::authorizationFormCaption() const
{
    return SHKFormatLocalizedText("Create a free account at %@", "Twitter.com");
}

std::vector<ns::Ref<SHKFormFieldSettings>> SHKTwitterClass::authorizationFormFields() const
{
    std::string account = SHKConfiguration::textValue("twitterUsername").value_or("");
    if (account.empty())
        return SHKSharerClass::authorizationFormFields();
    return {
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Username"), "username",
                                    SHKFormFieldTypeTextNoCorrect, std::nullopt),
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Password"), "password", SHKFormFieldTypePassword,
                                    std::nullopt),
        SHKFormFieldSettings::label(SHKFormatLocalizedText("Follow %@", account), "followMe",
                                    SHKFormFieldTypeSwitch, "1"),
    };
}

void SHKTwitterClass::logout() const
{
    ns::UserDefaults::standard()->removeObjectForKey(SHKTwitterUserInfoKey);
    SHKOAuthSharerClass::logout();
}

SHKTwitter::SHKTwitter()
{
    setConsumerKey(SHKConfiguration::textValue("twitterConsumerKey").value_or(""));
    setSecretKey(SHKConfiguration::textValue("twitterSecret").value_or(""));
    auto callback = SHKConfiguration::textValue("twitterCallbackUrl").value_or("");
    setAuthorizeCallbackURL(callback.empty() ? nullptr : ns::URL::withString(callback));
    m_xAuth = SHKConfiguration::boolValue("twitterUseXAuth");
    setAuthorizeURL(SHKServiceURL(APIKey, "/oauth/authorize"));
    setRequestURL(SHKServiceURL(APIKey, "/oauth/request_token"));
    setAccessURL(SHKServiceURL(APIKey, "/oauth/access_token"));
}

std::optional<std::string> SHKTwitter::status() const
{
    auto shared = item();
    if (!shared)
        return std::nullopt;
    auto value = ns::cast<ns::String>(shared->customValueForKey("status"));
    if (!value)
        return std::nullopt;
    return value->str();
}

void SHKTwitter::setStatus(const std::string& status)
{
    if (auto shared = item())
        shared->setCustomValue(ns::String::make(status), "status");
}

// MARK: Choice of path

bool SHKTwitter::twitterFrameworkAvailable() const
{
    return !SHKConfiguration::boolValue("forcePreIOS5TwitterAccess") &&
           tw::TweetComposeViewController::isAvailable();
}

void SHKTwitter::share()
{
    if (twitterFrameworkAvailable()) {
        SHKiOS5Twitter::shareItem(item());
        // The device signs in for itself: nothing of ours is kept.
        sharerClass().logout();
        return;
    }
    if (prepareItem())
        SHKSharer::share();
    else
        keepAlive(); // the shortening reply resumes the share
}

bool SHKTwitter::prepareItem()
{
    auto shared = item();
    if (!shared)
        return true;
    switch (shared->shareType()) {
    case SHKShareTypeURL:
        return shortenURL();
    case SHKShareTypeImage:
        setStatus(shared->title().value_or(""));
        return true;
    case SHKShareTypeText:
        setStatus(shared->text().value_or(""));
        return true;
    default:
        return true;
    }
}

bool SHKTwitter::isAuthorized()
{
    if (twitterFrameworkAvailable()) {
        sharerClass().logout();
        return false;
    }
    return restoreAccessToken();
}

void SHKTwitter::promptAuthorization()
{
    if (twitterFrameworkAvailable())
        return;
    if (xAuth())
        authorizationFormShow();
    else
        SHKOAuthSharer::promptAuthorization();
}

// MARK: xAuth

void SHKTwitter::authorizationFormValidate(SHKFormController& form)
{
    setPendingForm(form.self<SHKFormController>());
    tokenAccess();
}

void SHKTwitter::tokenAccessModifyRequest(OAMutableURLRequest& request)
{
    if (xAuth())
        addXAuthParameters(request);
}

void SHKTwitter::tokenAccessTicketDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data)
{
    if (xAuth()) {
        if (!ticket.didSucceed()) {
            // The service says why in the body; the login form stays for another try.
            std::string text = bodyText(data);
            tokenAccessTicketDidFailWithError(ticket, ns::isValidUtf8(text) ? SHK::errorWithDescription(text)
                                                                            : nullptr);
            return;
        }
        if (auto form = pendingForm()) {
            auto follow = form->formValues()->stringForKey("followMe");
            if (auto shared = item())
                shared->setCustomValue(follow ? ns::String::make(*follow) : nullptr, "followMe");
            form->close();
        }
    }
    SHKOAuthSharer::tokenAccessTicketDidFinishWithData(ticket, data);
}

// MARK: The status form

void SHKTwitter::show()
{
    auto shared = item();
    if (!shared)
        return;
    switch (shared->shareType()) {
    case SHKShareTypeURL:
    case SHKShareTypeImage:
    case SHKShareTypeText:
        showTwitterForm();
        break;
    case SHKShareTypeAccountInfo:
        setQuiet(true);
        tryToSend();
        break;
    default:
        break;
    }
}

void SHKTwitter::showTwitterForm()
{
    auto form = SHKCustomFormControllerLargeTextField::create(self<SHKTwitter>());
    form->setText(status());
    form->setMaxTextLength(MaximumStatusLength);
    form->setImage(item()->image());
    form->setImageTextLength(25);
    navigationBar()->setTintColor(ns::cast<ui::Color>(
        SHKConfiguration::sharedInstance()->configurationValue("barTintForView:", self<SHKTwitter>())));
    pushViewController(form, false);
    SHK::currentHelper()->showViewController(self<SHKTwitter>());
}

void SHKTwitter::sendForm(SHKFormControllerLargeTextField& form)
{
    setStatus(form.textView() ? form.textView()->text() : std::string());
    tryToSend();
}

// MARK: Shortening

bool SHKTwitter::shortenURL()
{
    auto shared = item();
    std::string login = SHKConfiguration::textValue("bitLyLogin").value_or("");
    std::string key = SHKConfiguration::textValue("bitLyKey").value_or("");
    if (login.empty() || key.empty() || !SHK::connected()) {
        setStatusWithAddress(readableAddress(*shared));
        return true;
    }
    if (!quiet())
        SHKActivityIndicator::currentIndicator()->displayActivity(
            SHKLookupLocalizedText("Shortening URL..."));
    std::string path = "/v3/shorten?login=";
    path += login;
    path += "&apikey=";
    path += key;
    path += "&longUrl=";
    path += SHKEscapeURLString(shared->URL());
    path += "&format=txt";
    setRequest(SHKRequest::create(SHKServiceURL(ShortenerKey, path), std::nullopt, self<SHKTwitter>(),
                                  SHKRequestFinishSelector(&SHKTwitter::shortenURLFinished), "GET", true));
    return false;
}

bool SHKTwitter::isShortAddress(std::string_view reply)
{
    auto url = ns::URL::withString(reply);
    if (!url || !url->scheme() || !url->host() || url->host()->empty())
        return false;
    std::string scheme = ns::toLowerAscii(*url->scheme());
    return scheme == "http" || scheme == "https";
}

void SHKTwitter::shortenURLFinished(SHKRequest& request)
{
    SHKActivityIndicator::currentIndicator()->hide();
    auto shared = item();
    std::string reply = trimmedLines(request.getResult().value_or(""));
    std::string address;
    if (request.success() && reply == "ALREADY_A_BITLY_LINK") {
        address = readableAddress(*shared);
    } else if (request.success() && isShortAddress(reply)) {
        address = reply;
    } else {
        // An error text is no address: the full one is posted instead.
        ui::AlertView::create(SHKLookupLocalizedText("Shorten URL Error"),
                              SHKLookupLocalizedText("We could not shorten the URL."), nullptr,
                              SHKLookupLocalizedText("Continue"))
            ->show();
        address = readableAddress(*shared);
    }
    setStatusWithAddress(address);
    SHKSharer::share();
}

void SHKTwitter::setStatusWithAddress(const std::string& address)
{
    auto shared = item();
    std::string status = shared->title().value_or(shared->text().value_or(""));
    status += ' ';
    status += address;
    setStatus(status);
}

// MARK: Validation and sending

bool SHKTwitter::validateItem()
{
    auto shared = item();
    if (!shared)
        return false;
    if (shared->shareType() == SHKShareTypeAccountInfo)
        return true;
    return status().has_value();
}

bool SHKTwitter::validateItemAfterUserEdit()
{
    if (!validateItem())
        return false;
    return ns::utf16Length(status().value_or("")) <= MaximumStatusLength;
}

bool SHKTwitter::send()
{
    auto shared = item();
    if (xAuth() && shared && shared->customBoolForSwitchKey("followMe"))
        followMe();
    if (!validateItemAfterUserEdit())
        return false;
    switch (shared->shareType()) {
    case SHKShareTypeAccountInfo:
        sendUserInfo();
        break;
    case SHKShareTypeImage:
        sendImage();
        break;
    default:
        sendStatus();
        break;
    }
    sendDidStart();
    return true;
}

ns::Ref<OAMutableURLRequest> SHKTwitter::apiRequest(std::string_view path, const std::string& method,
                                                    std::optional<std::string> realm)
{
    auto request = std::make_shared<OAMutableURLRequest>(
        SHKServiceURL(APIKey, path), consumer(), accessToken(), std::move(realm), signatureProvider());
    request->setHTTPMethod(method);
    return request;
}

void SHKTwitter::fetch(const ns::Ref<OAMutableURLRequest>& request, OADidFinishSelector finish,
                       OADidFailSelector fail)
{
    OAAsynchronousDataFetcher::asynchronousFetcherWithRequest(request, shared_from_this(), std::move(finish),
                                                              std::move(fail))
        ->start();
}

void SHKTwitter::followMe()
{
    if (auto shared = item())
        shared->setCustomValue(nullptr, "followMe");
    std::string path = "/1/friendships/create/";
    path += OAURLEncoding::URLEncodedString(SHKConfiguration::textValue("twitterUsername").value_or(""));
    path += ".json";
    // Nobody listens to how it went.
    OAAsynchronousDataFetcher::asynchronousFetcherWithRequest(apiRequest(path, "POST"), nullptr, nullptr,
                                                              nullptr)
        ->start();
}

void SHKTwitter::sendUserInfo()
{
    fetch(apiRequest(VerifyCredentialsPath, "GET"),
          OAFinishSelector(&SHKTwitter::sendUserInfoDidFinishWithData),
          OAFailSelector(&SHKTwitter::sendUserInfoDidFailWithError));
}

void SHKTwitter::sendUserInfoDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data)
{
    if (!ticket.didSucceed()) {
        handleUnsuccessfulTicket(data);
        return;
    }
    auto info = ns::cast<ns::MutableDictionary>(JSONDecoder::decoder()->mutableObjectWithData(data));
    if (!info) {
        // Nothing that could be kept came back.
        handleUnsuccessfulTicket(data);
        return;
    }
    convertNSNullsToEmptyStrings(*info);
    ns::UserDefaults::standard()->setObject(info, SHKTwitterUserInfoKey);
    sendDidFinish();
}

void SHKTwitter::sendUserInfoDidFailWithError(OAServiceTicket&, const ns::Ref<ns::Error>& error)
{
    sendDidFailWithError(error);
}

void SHKTwitter::sendStatus()
{
    auto request = apiRequest("/1/statuses/update.json", "POST");
    OAParameterAdditions::setParameters(*request, {parameter("status", status().value_or(""))});
    fetch(request, OAFinishSelector(&SHKTwitter::sendStatusTicketDidFinishWithData),
          OAFailSelector(&SHKTwitter::sendStatusTicketDidFailWithError));
}

void SHKTwitter::sendStatusTicketDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data)
{
    if (ticket.didSucceed())
        sendDidFinish();
    else
        handleUnsuccessfulTicket(data);
}

void SHKTwitter::sendStatusTicketDidFailWithError(OAServiceTicket&, const ns::Ref<ns::Error>& error)
{
    sendDidFailWithError(error);
}

void SHKTwitter::sendImage()
{
    auto shared = item();
    std::string realm = SHKServiceAddress(APIKey, "/");
    bool profile = shared->customValueForKey("profile_update") != nullptr;
    ns::Ref<OAMutableURLRequest> request;
    if (profile) {
        // The profile picture goes to the service itself, signed as a GET before its body is added.
        request = apiRequest("/1/account/update_profile_image.json", "GET", realm);
        request->prepare();
        request->setHTTPMethod("POST");
    } else {
        // OAuth Echo: the image host checks the user with a signed credentials request made here.
        auto echo = apiRequest(VerifyCredentialsPath, "GET", realm);
        echo->prepare();
        request =
            std::make_shared<OAMutableURLRequest>(SHKServiceURL(ImageHostKey, "/api/2/upload.xml"),
                                                  consumer(), accessToken(), realm, signatureProvider());
        request->setHTTPMethod("POST");
        request->setValue(SHKServiceAddress(APIKey, VerifyCredentialsPath), "X-Auth-Service-Provider");
        request->setValue(echo->valueForHTTPHeaderField("Authorization").value_or(""),
                          "X-Verify-Credentials-Authorization");
    }

    // Smaller until the host takes it; the last try goes whatever its size.
    ns::Ref<ns::Data> jpeg;
    for (int tenths = 9; tenths >= 1; --tenths) {
        jpeg = ui::ImageJPEGRepresentation(shared->image(), float(tenths) / 10.0f);
        if (!jpeg || jpeg->length() <= MaximumImageBytes)
            break;
    }

    std::string contentType = "multipart/form-data; boundary=";
    contentType += Boundary;
    request->setValue(contentType, "Content-Type");
    std::string body = "--";
    body += Boundary;
    body += "\r\n";
    body += profile ? "Content-Disposition: form-data; name=\"image\"; filename=\"upload.jpg\"\r\n"
                    : "Content-Disposition: form-data; name=\"media\"; filename=\"upload.jpg\"\r\n";
    body += "Content-Type: image/jpg\r\n\r\n";
    if (jpeg)
        body += jpeg->view();
    body += "\r\n";
    if (!profile) {
        body += "--";
        body += Boundary;
        body += "\r\nContent-Disposition: form-data; name=\"message\"\r\n\r\n";
        body += status().value_or("");
        body += "\r\n";
    }
    body += "--";
    body += Boundary;
    body += "--\r\n";
    request->setHTTPBody(ns::Data::withString(body));
    fetch(request, OAFinishSelector(&SHKTwitter::sendImageTicketDidFinishWithData),
          OAFailSelector(&SHKTwitter::sendImageTicketDidFailWithError));
}

std::optional<std::string> SHKTwitter::uploadedImageAddress(std::string_view reply)
{
    std::string lower = ns::toLowerAscii(reply);
    std::size_t start = lower.find("<url>");
    if (start == std::string::npos)
        return std::nullopt;
    start += 5;
    // Looked for after the start tag: an end tag before it encloses nothing.
    std::size_t end = lower.find("</url>", start);
    if (end == std::string::npos)
        return std::nullopt;
    return std::string(reply.substr(start, end - start));
}

void SHKTwitter::sendImageTicketDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data)
{
    if (!ticket.didSucceed()) {
        sendDidFailWithError(nullptr);
        return;
    }
    auto address = uploadedImageAddress(bodyText(data));
    if (!address) {
        handleUnsuccessfulTicket(data);
        return;
    }
    std::string withImage = status().value_or("");
    withImage += ' ';
    withImage += *address;
    setStatus(withImage);
    sendStatus();
}

void SHKTwitter::sendImageTicketDidFailWithError(OAServiceTicket&, const ns::Ref<ns::Error>& error)
{
    sendDidFailWithError(error);
}

// MARK: Replies

std::string SHKTwitter::errorMessage(std::string_view reply)
{
    constexpr std::string_view mark = "\"error\":\"";
    std::size_t start = reply.find(mark);
    if (start == std::string_view::npos)
        return "Unknown Error";
    start += mark.size();
    std::size_t end = reply.find('"', start);
    return std::string(
        reply.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

void SHKTwitter::handleUnsuccessfulTicket(const ns::Ref<ns::Data>& data)
{
    std::string message = errorMessage(bodyText(data));
    if (message == "Invalid / used nonce" || message == "Could not authenticate with OAuth.") {
        shouldReloginWithPendingAction(SHKAwaitResend);
        return;
    }
    auto code = ns::cast<ns::String>(SHKXMLResponseParser::getValueForElement("code", data));
    if (code && code->str() == "401") {
        shouldReloginWithPendingAction(SHKAwaitResend);
        return;
    }
    sendDidFailWithError(ns::Error::withDescription("Twitter", 2, message));
}
