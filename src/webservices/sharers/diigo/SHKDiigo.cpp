#include "webservices/sharers/diigo/SHKDiigo.h"

#include "foundation/Dictionary.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "webservices/sharers/common/SHKServiceSupport.h"

namespace {

constexpr const char* BaseKey = "diigoAPIURL";

std::string apiKey()
{
    return SHKConfiguration::textValue("diigoKey").value_or("");
}

} // namespace

void SHKDiigo::registerClass()
{
    SHKSharerClass::registerSharer<SHKDiigo, SHKDiigoClass>("SHKDiigo");
}

std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>> SHKDiigo::shareFormFieldsForType(SHKShareType type)
{
    return SHKBookmarkShareFormFields(type, item());
}

SHKLoginServiceSharer::ServiceRequest SHKDiigo::loginCheck(const ns::Dictionary& values) const
{
    std::optional<std::string> user = values.stringForKey("username");
    std::string path = "/api/v2/bookmarks?key=";
    path += apiKey();
    path += "&count=1&user=";
    path += SHKEscapeQueryValue(user);
    return {SHKServiceURLWithCredentials(BaseKey, user.value_or(""),
                                         values.stringForKey("password").value_or(""), path),
            std::nullopt, "GET"};
}

std::optional<std::string> SHKDiigo::loginRefusal(const SHKRequest& request) const
{
    if (request.statusCode() == 401)
        return SHKFormatLocalizedText("Sorry, %@ did not accept your credentials. Please try again.",
                                      sharerTitle());
    return SHKFormatLocalizedText("Sorry, %@ encountered an error. Please try again.", sharerTitle());
}

SHKLoginServiceSharer::ServiceRequest SHKDiigo::shareRequest()
{
    auto item = this->item();
    std::string body = "key=";
    body += apiKey();
    body += "&url=";
    body += SHKEscapeURLString(item->URL());
    body += "&title=";
    body += SHKEscapeQueryText(item->title());
    body += "&tags=";
    body += SHKEscapeQueryText(item->tags());
    body += "&desc=";
    body += SHKEscapeQueryText(item->text());
    body += "&shared=";
    body += item->customBoolForSwitchKey("shared") ? "yes" : "no";
    return {SHKServiceURLWithCredentials(BaseKey, getAuthValueForKey("username").value_or(""),
                                         getAuthValueForKey("password").value_or(""), "/api/v2/bookmarks"),
            std::move(body), "POST"};
}

void SHKDiigo::sendFinished(SHKRequest& request)
{
    std::string failure = SHKLookupLocalizedText("There was an error saving to ");
    failure += sharerTitle();
    if (request.success()) {
        // An empty reply counts as saved; one with text must speak of the bookmark.
        auto result = request.getResult();
        if (!result || result->empty() || result->find("bookmark") != std::string::npos)
            sendDidFinish();
        else
            sendDidFailWithError(SHK::errorWithDescription(failure));
        return;
    }
    if (request.statusCode() == 401) {
        shouldReloginWithPendingAction(SHKAwaitResend);
        return;
    }
    sendDidFailWithError(SHK::errorWithDescription(failure));
}
