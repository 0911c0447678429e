#include "webservices/sharers/readitlater/SHKReadItLater.h"

#include "foundation/Dictionary.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
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
    registerService<SHKReadItLater>("SHKReadItLater", "Read It Later", "Create a free account at %@",
                                    "Readitlaterlist.com");
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

SHKLoginServiceSharer::ServiceRequest SHKReadItLater::loginCheck(const ns::Dictionary& values) const
{
    std::string body = "apikey=";
    body += apiKey();
    body += '&';
    body += SHKCredentialsQuery(values.stringForKey("username"), values.stringForKey("password"));
    return {SHKServiceURL(BaseKey, "/v2/auth"), std::move(body), "POST"};
}

std::optional<std::string> SHKReadItLater::loginRefusal(const SHKRequest& request) const
{
    // The service's own words, as they are.
    return SHKReplyErrorHeader(request);
}

std::string SHKReadItLater::shareBody()
{
    auto item = this->item();
    std::string url = item && item->URL() ? item->URL()->absoluteString() : std::string();
    std::string title = item ? item->title().value_or("") : std::string();
    title = ns::replaceAll(title, "\"", "&quot;");
    std::string body = "apikey=";
    body += apiKey();
    body += '&';
    body += SHKCredentialsQuery(getAuthValueForKey("username"), getAuthValueForKey("password"));
    body += "&new=";
    body += listPart(url, "title", title);
    if (item && item->tags() && !item->tags()->empty()) {
        body += "&update_tags=";
        body += listPart(url, "tags", *item->tags());
    }
    return body;
}

SHKLoginServiceSharer::ServiceRequest SHKReadItLater::shareRequest()
{
    return {SHKServiceURL(BaseKey, "/v2/send"), shareBody(), "POST"};
}

std::string SHKReadItLater::shareFailure(const SHKRequest& request) const
{
    // The header's text is the message itself, never a format; without one the sharer says it.
    std::string fallback = SHKLookupLocalizedText("There was an error saving to ");
    fallback += sharerTitle();
    return SHKReplyErrorHeader(request).value_or(fallback);
}
