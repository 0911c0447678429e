#include "webservices/sharers/googlereader/SHKGoogleReader.h"

#include "foundation/Clock.h"
#include "foundation/Dictionary.h"
#include "foundation/HTTPCookie.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "foundation/UserDefaults.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "sharing/ui/SHKFormController.h"
#include "webservices/sharers/common/SHKServiceSupport.h"

#include <cmath>

namespace {

constexpr const char* PlainKey = "googleReaderURL";
constexpr const char* SecureKey = "googleReaderSecureURL";
constexpr ns::TimeInterval CookieLifetime = 1600000000;

std::string isPublicKey(const std::string& sharerId)
{
    std::string key = sharerId;
    key += "_isPublic";
    return key;
}

// The service's own words in "X-Error" (the message itself, never a format), else the sharer's.
std::string serviceError(const SHKRequest& request)
{
    return SHKReplyErrorHeader(request).value_or(
        SHKLookupLocalizedText("The service encountered an error. Please try again later."));
}

} // namespace

void SHKGoogleReader::registerClass()
{
    SHKSharerClass::registerSharer<SHKGoogleReader, SHKGoogleReaderClass>("SHKGoogleReader");
}

std::string SHKGoogleReaderClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Google Reader");
}

std::vector<ns::Ref<SHKFormFieldSettings>> SHKGoogleReaderClass::authorizationFormFields() const
{
    return {
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Email"), "email", SHKFormFieldTypeTextNoCorrect,
                                    std::nullopt),
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Password"), "password", SHKFormFieldTypePassword,
                                    std::nullopt),
    };
}

std::optional<std::string> SHKGoogleReaderClass::authorizationFormCaption() const
{
    return SHKFormatLocalizedText("Create a free account at %@", "Google.com/reader");
}

// MARK: Signing in

void SHKGoogleReader::authorizationFormValidate(SHKFormController& form)
{
    SHKShowLoggingIn(*this);
    auto values = form.formValues();
    getSession(values->stringForKey("email").value_or(""), values->stringForKey("password").value_or(""));
    setPendingForm(form.self<SHKFormController>());
}

void SHKGoogleReader::getSession(const std::string& email, const std::string& password)
{
    std::string source = "ShareCore-";
    source += SHKEscapeQueryText(SHKConfiguration::textValue("appName"));
    source += "-0.2.1";
    std::string body = "service=reader&source=";
    body += source;
    body += "&Email=";
    body += SHKEscapeQueryValue(email);
    body += "&Passwd=";
    body += SHKEscapeQueryValue(password);
    body += "&accountType=GOOGLE";
    setRequest(SHKRequest::create(SHKServiceURL(SecureKey, "/accounts/ClientLogin"), std::move(body),
                                  self<SHKGoogleReader>(),
                                  SHKRequestFinishSelector(&SHKGoogleReader::authFinished), "POST", true));
    SHKShowLoggingIn(*this);
}

ns::Ref<ns::MutableDictionary> SHKGoogleReader::sessionFromReply(std::string_view text)
{
    auto session = ns::MutableDictionary::make();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view line =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        // A reply written with CR LF line ends: the CR is no part of the value.
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::size_t equals = line.find('=');
        // Exactly two parts: one "=".
        if (equals != std::string_view::npos && line.find('=', equals + 1) == std::string_view::npos)
            session->setObject(ns::String::make(std::string(line.substr(equals + 1))),
                               std::string(line.substr(0, equals)));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return session;
}

void SHKGoogleReader::authFinished(SHKRequest& request)
{
    SHKHideProgress();
    auto session = sessionFromReply(request.getResult().value_or(""));
    m_session = session;

    if (session->stringForKey("Auth")) {
        if (auto form = pendingForm())
            form->saveForm();
        else
            tryPendingAction();
        authDidFinish(request.success());
        return;
    }

    std::string message;
    auto error = session->stringForKey("Error");
    if (error && *error == "BadAuthentication") {
        if (pendingAction() == SHKAwaitResend) {
            shouldReloginWithPendingAction(SHKAwaitResend);
            return;
        }
        message = SHKLookupLocalizedText("Incorrect username and password");
    } else if (error) {
        message = *error;
    } else {
        message = SHKLookupLocalizedText("There was an error logging into Google Reader");
    }
    SHKShowLoginError(message);
    authDidFinish(request.success());
}

bool SHKGoogleReader::hasSession() const
{
    return m_session && m_session->stringForKey("Auth").has_value();
}

void SHKGoogleReader::sessionRefused()
{
    m_session.reset();
    shouldReloginWithPendingAction(SHKAwaitResend);
}

// MARK: The share form

std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
SHKGoogleReader::shareFormFieldsForType(SHKShareType type)
{
    auto item = this->item();
    if (type != SHKShareTypeURL || !item)
        return std::nullopt;
    return std::vector<ns::Ref<SHKFormFieldSettings>>{
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Note"), "text", SHKFormFieldTypeText,
                                    item->text()),
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Public"), "share", SHKFormFieldTypeSwitch, "0"),
    };
}

void SHKGoogleReader::shareFormSave(SHKFormController& form)
{
    SHKSharer::shareFormSave(form);
    auto value = form.formValues()->stringForKey("share");
    auto defaults = ns::UserDefaults::standard();
    defaults->setBool(value && *value == "1", isPublicKey(sharerId()));
    defaults->synchronize();
}

// MARK: Sharing

void SHKGoogleReader::signRequest(SHKRequest& request) const
{
    std::string domain = SHKServiceURL(PlainKey, "")->host().value_or("");
    ns::TimeInterval expires = ns::Clock::current().now() + CookieLifetime;
    std::vector<ns::Ref<ns::HTTPCookie>> cookies;
    std::string auth;
    if (m_session) {
        for (const auto& [key, value] : m_session->entries()) {
            auto name = ns::cast<ns::String>(key);
            auto text = ns::cast<ns::String>(value);
            if (name && text)
                cookies.push_back(
                    ns::make<ns::HTTPCookie>(name->str(), text->str(), domain, "/", expires, false, false));
        }
        auth = m_session->stringForKey("Auth").value_or("");
    }
    auto fields = ns::MutableDictionary::make(
        ns::HTTPCookieStorage::requestHeaderFieldsWithCookies(cookies)->entries());
    std::string authorization = "GoogleLogin auth=";
    authorization += auth;
    fields->setObject(ns::String::make(authorization), "Authorization");
    request.setHeaderFields(fields);
}

bool SHKGoogleReader::send()
{
    if (!validateItem())
        return false;
    if (!hasSession()) {
        // The share goes on once the stored credentials have given a session.
        setPendingAction(SHKAwaitResend);
        setPendingForm(nullptr);
        getSession(getAuthValueForKey("email").value_or(""), getAuthValueForKey("password").value_or(""));
        return true;
    }
    std::string path = "/reader/api/0/token?ck=";
    path += std::to_string(static_cast<long long>(std::floor(ns::Clock::current().now())));
    auto request =
        SHKRequest::create(SHKServiceURL(PlainKey, path), std::nullopt, self<SHKGoogleReader>(),
                           SHKRequestFinishSelector(&SHKGoogleReader::tokenFinished), "GET", false);
    setRequest(request);
    signRequest(*request);
    request->start();
    sendDidStart();
    return true;
}

void SHKGoogleReader::tokenFinished(SHKRequest& request)
{
    if (request.success()) {
        sendWithToken(request.getResult().value_or(""));
        return;
    }
    if (request.statusCode() == 401) {
        sessionRefused();
        return;
    }
    sendDidFailWithError(SHK::errorWithDescription(serviceError(request)));
}

void SHKGoogleReader::sendWithToken(const std::string& token)
{
    auto item = this->item();
    bool share = shouldAutoShare() ? ns::UserDefaults::standard()->boolForKey(isPublicKey(sharerId()))
                                   : item->customBoolForSwitchKey("share");
    std::string body = "T=";
    body += token;
    body += "&linkify=false&snippet=";
    body += SHKEscapeQueryText(item->text());
    body += "&srcTitle=";
    body += SHKEscapeQueryText(SHKConfiguration::textValue("appName"));
    body += "&srcUrl=";
    body += SHKEscapeQueryText(SHKConfiguration::textValue("appURL"));
    body += "&title=";
    body += SHKEscapeQueryText(item->title());
    body += "&url=";
    body += SHKEscapeURLString(item->URL());
    body += "&share=";
    body += share ? "true" : "";
    auto request = SHKRequest::create(
        SHKServiceURL(SecureKey, "/reader/api/0/item/edit"), std::move(body), self<SHKGoogleReader>(),
        SHKRequestFinishSelector(&SHKGoogleReader::sendFinished), "POST", false);
    setRequest(request);
    signRequest(*request);
    request->start();
}

void SHKGoogleReader::sendFinished(SHKRequest& request)
{
    if (request.success()) {
        sendDidFinish();
        return;
    }
    if (request.statusCode() == 401) {
        sessionRefused();
        return;
    }
    sendDidFailWithError(SHK::errorWithDescription(serviceError(request)));
}
