#include "webservices/sharers/instapaper/SHKInstapaper.h"

#include "foundation/Dictionary.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "webservices/sharers/common/SHKServiceSupport.h"

namespace {

constexpr const char* SecureKey = "instapaperURL";

} // namespace

void SHKInstapaper::registerClass()
{
    SHKSharerClass::registerSharer<SHKInstapaper, SHKInstapaperClass>("SHKInstapaper");
}

std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>> SHKInstapaper::shareFormFieldsForType(SHKShareType)
{
    return std::nullopt;
}

SHKLoginServiceSharer::ServiceRequest SHKInstapaper::loginCheck(const ns::Dictionary& values) const
{
    std::string body = "username=";
    body += SHKEscapeQueryValue(values.stringForKey("username"));
    body += "&password=";
    body += SHKEscapeQueryValue(values.stringForKey("password"));
    return {SHKServiceURL(SecureKey, "/api/authenticate"), std::move(body), "POST"};
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
    body += "&username=";
    body += SHKEscapeQueryValue(getAuthValueForKey("username"));
    body += "&password=";
    body += SHKEscapeQueryValue(getAuthValueForKey("password"));
    return {SHKServiceURL(SecureKey, "/api/add"), std::move(body), "POST"};
}

void SHKInstapaper::sendFinished(SHKRequest& request)
{
    if (request.success()) {
        sendDidFinish();
        return;
    }
    switch (request.statusCode()) {
    case 403:
        shouldReloginWithPendingAction(SHKAwaitResend);
        return;
    case 500:
        sendDidFailWithError(SHK::errorWithDescription(
            SHKLookupLocalizedText("The service encountered an error. Please try again later.")));
        return;
    default:
        sendDidFailWithError(
            SHK::errorWithDescription(SHKLookupLocalizedText("There was a problem saving to Instapaper.")));
        return;
    }
}
