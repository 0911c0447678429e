#include "webservices/sharers/common/SHKServiceSupport.h"

#include "foundation/URL.h"
#include "foundation/URLResponse.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/core/SHKItem.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "sharing/sharer/SHKSharer.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "uikit/AlertView.h"

std::string SHKServiceAddress(std::string_view baseKey, std::string_view pathAndQuery)
{
    std::string address = SHKConfiguration::textValue(baseKey).value_or("");
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    address += pathAndQuery;
    return address;
}

ns::Ref<ns::URL> SHKServiceURL(std::string_view baseKey, std::string_view pathAndQuery)
{
    return ns::URL::withString(SHKServiceAddress(baseKey, pathAndQuery));
}

std::string SHKPercentEncodeAll(std::string_view text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (unsigned char c : text) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '_' || c == '.' || c == '~';
        if (unreserved) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

ns::Ref<ns::URL> SHKServiceURLWithCredentials(std::string_view baseKey, const std::string& user,
                                              const std::string& password, std::string_view pathAndQuery)
{
    std::string address = SHKServiceAddress(baseKey, pathAndQuery);
    std::size_t start = address.find("://");
    if (start == std::string::npos)
        return ns::URL::withString(address);
    start += 3;
    std::string info = SHKPercentEncodeAll(user);
    info += ':';
    info += SHKPercentEncodeAll(password);
    info += '@';
    address.insert(start, info);
    return ns::URL::withString(address);
}

void SHKShowLoggingIn(const SHKSharer& sharer)
{
    if (!sharer.quiet())
        SHKActivityIndicator::currentIndicator()->displayActivity(SHKLookupLocalizedText("Logging In..."));
}

void SHKHideProgress()
{
    SHKActivityIndicator::currentIndicator()->hide();
}

void SHKShowLoginError(std::optional<std::string> message)
{
    ui::AlertView::create(SHKLookupLocalizedText("Login Error"), std::move(message), nullptr,
                          SHKLookupLocalizedText("Close"))
        ->show();
}

std::optional<std::string> SHKReplyErrorHeader(const SHKRequest& request)
{
    auto response = request.response();
    if (!response)
        return std::nullopt;
    return response->valueForHTTPHeaderField("X-Error");
}

std::string SHKCredentialsQuery(const std::optional<std::string>& user,
                                const std::optional<std::string>& password)
{
    std::string query = "username=";
    query += SHKEscapeQueryValue(user);
    query += "&password=";
    query += SHKEscapeQueryValue(password);
    return query;
}

std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
SHKBookmarkShareFormFields(SHKShareType type, const ns::Ref<SHKItem>& item)
{
    if (type != SHKShareTypeURL || !item)
        return std::nullopt;
    return std::vector<ns::Ref<SHKFormFieldSettings>>{
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Title"), "title", SHKFormFieldTypeText,
                                    item->title()),
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Tags"), "tags", SHKFormFieldTypeText,
                                    item->tags()),
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Notes"), "text", SHKFormFieldTypeText,
                                    item->text()),
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Shared"), "shared", SHKFormFieldTypeSwitch, "0"),
    };
}

std::string SHKBookmarkQuery(const SHKItem& item, std::string_view titleName, std::string_view notesName)
{
    std::string query = "url=";
    query += SHKEscapeURLString(item.URL());
    query += '&';
    query += titleName;
    query += '=';
    query += SHKEscapeQueryText(item.title());
    query += "&tags=";
    query += SHKEscapeQueryText(item.tags());
    query += '&';
    query += notesName;
    query += '=';
    query += SHKEscapeQueryText(item.text());
    query += "&shared=";
    query += item.customBoolForSwitchKey("shared") ? "yes" : "no";
    return query;
}
