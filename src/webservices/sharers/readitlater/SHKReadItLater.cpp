#include "webservices/sharers/readitlater/SHKReadItLater.h"

#include "foundation/Dictionary.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "sharing/ui/SHKFormController.h"
#include "webservices/jk/JKSerializing.h"
#include "webservices/sharers/common/SHKServiceSupport.h"

namespace {

constexpr const char* BaseKey = "readItLaterURL";

std::string apiKey()
{
    return SHKConfiguration::textValue("readItLaterKey").value_or("");
}

// A JSON string literal of the text, written by the JSON encoder, so that quotes and backslashes in it
// stay data.
std::string jsonText(const std::string& text)
{
    auto encoded = JSONString(ns::String::make(text));
    return encoded ? encoded->str() : std::string("\"\"");
}

// {"0":{"url":URL,"NAME":VALUE}}, form-escaped whole.
std::string listPart(const std::string& url, const char* name, const std::string& value)
{
    std::string json = "{\"0\":{\"url\":";
    json += jsonText(url);
    json += ",\"";
    json += name;
    json += "\":";
    json += jsonText(value);
    json += "}}";
    return SHKPercentEncodeAll(json);
}

} // namespace

void SHKReadItLater::registerClass()
{
    SHKSharerClass::registerSharer<SHKReadItLater, SHKReadItLaterClass>("SHKReadItLater");
}

std::string SHKReadItLaterClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Read It Later");
}

std::optional<std::string> SHKReadItLaterClass::authorizationFormCaption() const
{
    return SHKFormatLocalizedText("Create a free account at %@", "Readitlaterlist.com");
}

std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
SHKReadItLater::shareFormFieldsForType(SHKShareType type)
{
    auto item = this->item();
    if (type != SHKShareTypeURL || !item)
        return std::nullopt;
    return std::vector<ns::Ref<SHKFormFieldSettings>>{
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Title"), "title", SHKFormFieldTypeText,
                                    item->title()),
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Tags"), "tags", SHKFormFieldTypeText,
                                    item->tags()),
    };
}

void SHKReadItLater::authorizationFormValidate(SHKFormController& form)
{
    SHKShowLoggingIn(*this);
    auto values = form.formValues();
    std::string body = "apikey=";
    body += apiKey();
    body += "&username=";
    body += SHKEscapeQueryText(values->stringForKey("username"));
    body += "&password=";
    body += SHKEscapeQueryText(values->stringForKey("password"));
    setRequest(SHKRequest::create(SHKServiceURL(BaseKey, "/v2/auth"), std::move(body), self<SHKReadItLater>(),
                                  SHKRequestFinishSelector(&SHKReadItLater::authFinished), "POST", true));
    setPendingForm(form.self<SHKFormController>());
}

void SHKReadItLater::authFinished(SHKRequest& request)
{
    SHKHideProgress();
    if (request.success()) {
        if (auto form = pendingForm())
            form->saveForm();
    } else {
        // The service's own words, as they are.
        SHKShowLoginError(SHKReplyErrorHeader(request));
    }
    authDidFinish(request.success());
}

std::string SHKReadItLater::shareBody()
{
    auto item = this->item();
    std::string url = item && item->URL() ? item->URL()->absoluteString() : std::string();
    std::string title = item ? item->title().value_or("") : std::string();
    title = ns::replaceAll(title, "\"", "&quot;");
    std::string body = "apikey=";
    body += apiKey();
    body += "&username=";
    body += SHKEscapeQueryText(getAuthValueForKey("username"));
    body += "&password=";
    body += SHKEscapeQueryText(getAuthValueForKey("password"));
    body += "&new=";
    body += listPart(url, "title", title);
    if (item && item->tags() && !item->tags()->empty()) {
        body += "&update_tags=";
        body += listPart(url, "tags", *item->tags());
    }
    return body;
}

bool SHKReadItLater::send()
{
    if (!validateItem())
        return false;
    setRequest(SHKRequest::create(SHKServiceURL(BaseKey, "/v2/send"), shareBody(), self<SHKReadItLater>(),
                                  SHKRequestFinishSelector(&SHKReadItLater::sendFinished), "POST", true));
    sendDidStart();
    return true;
}

void SHKReadItLater::sendFinished(SHKRequest& request)
{
    if (request.success()) {
        sendDidFinish();
        return;
    }
    if (request.statusCode() == 401) {
        shouldReloginWithPendingAction(SHKAwaitResend);
        return;
    }
    // The header's text is the message itself, never a format.
    sendDidFailWithError(SHK::errorWithDescription(SHKReplyErrorHeader(request).value_or("")));
}
