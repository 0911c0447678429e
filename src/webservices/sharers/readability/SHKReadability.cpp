#include "webservices/sharers/readability/SHKReadability.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "foundation/UserDefaults.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/core/SHKItem.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/oauth/OAAsynchronousDataFetcher.h"
#include "sharing/oauth/OAMutableURLRequest.h"
#include "sharing/oauth/OAParameterAdditions.h"
#include "sharing/oauth/OAServiceTicket.h"
#include "sharing/ui/SHKFormController.h"
#include "webservices/jk/JKDeserializing.h"
#include "webservices/sharers/common/SHKServiceSupport.h"

#include <cstdlib>

namespace {

constexpr const char* BaseKey = "readabilityURL";
constexpr const char* ErrorDomain = "Readability";
constexpr long ErrorCode = 2;

ns::Ref<OARequestParameter> parameter(std::string name, std::string value)
{
    return OARequestParameter::requestParameterWithName(std::move(name), std::move(value));
}

// The reply as text; nothing when it is not UTF-8.
std::optional<std::string> replyText(const ns::Ref<ns::Data>& data)
{
    std::string text = data ? std::string(data->view()) : std::string();
    if (!ns::isValidUtf8(text))
        return std::nullopt;
    return text;
}

// A number, or a text holding one, as the service may send either.
int64_t integerOf(const ns::Id& value)
{
    if (auto number = ns::cast<ns::Number>(value))
        return number->integerValue();
    if (auto text = ns::cast<ns::String>(value))
        return std::strtoll(text->str().c_str(), nullptr, 10);
    return 0;
}

// The first element of a non-empty array as the text of a service error.
ns::Ref<ns::Error> firstMessage(const ns::Ref<ns::Array>& messages)
{
    if (!messages || messages->count() == 0)
        return nullptr;
    auto first = messages->objectAtIndex(0);
    std::string text;
    if (auto string = ns::cast<ns::String>(first))
        text = string->str();
    else if (first)
        text = first->description();
    return ns::Error::withDescription(ErrorDomain, ErrorCode, text);
}

} // namespace

void SHKReadability::registerClass()
{
    SHKSharerClass::registerSharer<SHKReadability, SHKReadabilityClass>("SHKReadability");
}

std::string SHKReadabilityClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Readability");
}

std::optional<std::string> SHKReadabilityClass::authorizationFormCaption() const
{
    return SHKFormatLocalizedText("Create a free account at %@", "Readability.com");
}

void SHKReadabilityClass::logout() const
{
    ns::UserDefaults::standard()->removeObjectForKey(SHKReadabilityUserInfoKey);
    SHKOAuthSharerClass::logout();
}

SHKReadability::SHKReadability()
{
    setConsumerKey(SHKConfiguration::textValue("readabilityConsumerKey").value_or(""));
    setSecretKey(SHKConfiguration::textValue("readabilitySecret").value_or(""));
    // No callback: the web sign-in ends with a code the user enters.
    setAuthorizeCallbackURL(nullptr);
    m_xAuth = SHKConfiguration::boolValue("readabilityUseXAuth");
    setAuthorizeURL(SHKServiceURL(BaseKey, "/api/rest/v1/oauth/authorize/"));
    setRequestURL(SHKServiceURL(BaseKey, "/api/rest/v1/oauth/request_token/"));
    setAccessURL(SHKServiceURL(BaseKey, "/api/rest/v1/oauth/access_token/"));
}

std::string SHKReadability::isFavoriteKey(const std::string& sharerId)
{
    std::string key = sharerId;
    key += "_isFavorite";
    return key;
}

std::string SHKReadability::shouldArchiveKey(const std::string& sharerId)
{
    std::string key = sharerId;
    key += "_shouldArchive";
    return key;
}

// MARK: Authorisation

bool SHKReadability::isAuthorized()
{
    return restoreAccessToken();
}

void SHKReadability::promptAuthorization()
{
    if (xAuth())
        authorizationFormShow();
    else
        SHKOAuthSharer::promptAuthorization();
}

void SHKReadability::authorizationFormValidate(SHKFormController& form)
{
    setPendingForm(form.self<SHKFormController>());
    tokenAccess();
}

void SHKReadability::tokenAccessModifyRequest(OAMutableURLRequest& request)
{
    if (xAuth())
        addXAuthParameters(request);
}

void SHKReadability::tokenAccessTicketDidFinishWithData(OAServiceTicket& ticket,
                                                        const ns::Ref<ns::Data>& data)
{
    if (xAuth()) {
        if (!ticket.didSucceed()) {
            // The service says why in the body; the login form stays for another try.
            auto text = replyText(data);
            tokenAccessTicketDidFailWithError(ticket, text ? SHK::errorWithDescription(*text) : nullptr);
            return;
        }
        if (auto form = pendingForm())
            form->close();
    }
    SHKOAuthSharer::tokenAccessTicketDidFinishWithData(ticket, data);
}

// MARK: Sharing

std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
SHKReadability::shareFormFieldsForType(SHKShareType type)
{
    if (type != SHKShareTypeURL)
        return std::nullopt;
    return std::vector<ns::Ref<SHKFormFieldSettings>>{
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Favorite"), "favorite", SHKFormFieldTypeSwitch,
                                    "0"),
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Archive"), "archive", SHKFormFieldTypeSwitch,
                                    "0"),
    };
}

void SHKReadability::shareFormSave(SHKFormController& form)
{
    auto values = form.formValues();
    std::string id = sharerId();
    auto defaults = ns::UserDefaults::standard();
    defaults->setBool(values->stringForKey("favorite") == "1", isFavoriteKey(id));
    defaults->setBool(values->stringForKey("archive") == "1", shouldArchiveKey(id));
    SHKSharer::shareFormSave(form);
}

bool SHKReadability::send()
{
    // An item without an address has nothing to save.
    if (!validateItem())
        return false;
    sendBookmark();
    sendDidStart();
    return true;
}

void SHKReadability::sendBookmark()
{
    auto item = this->item();
    std::string id = sharerId();
    auto defaults = ns::UserDefaults::standard();
    auto request =
        std::make_shared<OAMutableURLRequest>(SHKServiceURL(BaseKey, "/api/rest/v1/bookmarks/"), consumer(),
                                              accessToken(), std::nullopt, signatureProvider());
    request->setHTTPMethod("POST");
    OAParameterAdditions::setParameters(
        *request, {parameter("url", item && item->URL() ? item->URL()->absoluteString() : std::string()),
                   parameter("favorite", defaults->boolForKey(isFavoriteKey(id)) ? "1" : "0"),
                   parameter("archive", defaults->boolForKey(shouldArchiveKey(id)) ? "1" : "0")});
    auto fetcher = OAAsynchronousDataFetcher::asynchronousFetcherWithRequest(
        request, shared_from_this(), OAFinishSelector(&SHKReadability::sendTicketDidFinishWithData),
        OAFailSelector(&SHKReadability::sendTicketDidFailWithError));
    fetcher->start();
}

void SHKReadability::sendTicketDidFinishWithData(OAServiceTicket& ticket, const ns::Ref<ns::Data>& data)
{
    if (ticket.didSucceed())
        sendDidFinish();
    else
        handleUnsuccessfulTicket(data);
}

void SHKReadability::sendTicketDidFailWithError(OAServiceTicket&, const ns::Ref<ns::Error>& error)
{
    sendDidFailWithError(error);
}

void SHKReadability::handleUnsuccessfulTicket(const ns::Ref<ns::Data>& data)
{
    auto text = replyText(data);
    if (!text || text->find("unauthenticated") != std::string::npos) {
        shouldReloginWithPendingAction(SHKAwaitResend);
        return;
    }
    auto reply = ns::cast<ns::Dictionary>(objectFromJSONString(*text));
    if (reply && integerOf(reply->objectForKey("success")) != 0) {
        sendDidFinish();
        return;
    }
    ns::Ref<ns::Error> error;
    if (reply) {
        auto messages = reply->objectForKey("messages");
        if (auto list = ns::cast<ns::Array>(messages))
            error = firstMessage(list);
        else if (auto byField = ns::cast<ns::Dictionary>(messages))
            error = firstMessage(byField->objectAs<ns::Array>("url"));
    }
    sendDidFailWithError(error);
}
