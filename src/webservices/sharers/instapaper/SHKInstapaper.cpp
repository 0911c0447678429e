#include "webservices/sharers/instapaper/SHKInstapaper.h"

#include "foundation/Dictionary.h"
#include "foundation/URL.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "webservices/sharers/common/SHKServiceSupport.h"

namespace {

constexpr const char* SecureKey = "instapaperURL";

} // namespace

void SHKInstapaper::registerClass()
{
    registerService<SHKInstapaper>("SHKInstapaper", "Instapaper", "Create a free account at %@",
                                   "Instapaper.com");
}

std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>> SHKInstapaper::shareFormFieldsForType(SHKShareType)
{
    return std::nullopt;
}

SHKLoginServiceSharer::ServiceRequest SHKInstapaper::loginCheck(const ns::Dictionary& values) const
{
    return {SHKServiceURL(SecureKey, "/api/authenticate"),
            SHKCredentialsQuery(values.stringForKey("username"), values.stringForKey("password")), "POST"};
}

std::optional<std::string> SHKInstapaper::loginRefusal(const SHKRequest& request) const
{
    if (request.statusCode() == 403)
        return SHKLookupLocalizedText("Sorry, Instapaper did not accept your credentials. Please try again.");
    return SHKLookupLocalizedText("Sorry, Instapaper encountered an error. Please try again.");
}

SHKLoginServiceSharer::ServiceRequest SHKInstapaper::shareRequest()
{
    auto item = this->item();
    std::string body = "url=";
    body += SHKEscapeURLString(item->URL());
    body += "&title=";
    body += SHKEscapeQueryText(item->title());
    body += "&selection=";
    body += SHKEscapeQueryText(SHKPlainTextFromHTML(item->text().value_or(""), true));
    body += '&';
    body += SHKCredentialsQuery(getAuthValueForKey("username"), getAuthValueForKey("password"));
    return {SHKServiceURL(SecureKey, "/api/add"), std::move(body), "POST"};
}

std::string SHKInstapaper::shareFailure(const SHKRequest& request) const
{
    if (request.statusCode() == 500)
        return SHKLookupLocalizedText("The service encountered an error. Please try again later.");
    return SHKLookupLocalizedText("There was a problem saving to Instapaper.");
}
