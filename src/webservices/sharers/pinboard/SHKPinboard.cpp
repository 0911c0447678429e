#include "webservices/sharers/pinboard/SHKPinboard.h"

#include "foundation/Dictionary.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "webservices/sharers/common/SHKServiceSupport.h"

namespace {

constexpr const char* BaseKey = "pinboardAPIURL";

} // namespace

void SHKPinboard::registerClass()
{
    SHKSharerClass::registerSharer<SHKPinboard, SHKPinboardClass>("SHKPinboard");
}

std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
SHKPinboard::shareFormFieldsForType(SHKShareType type)
{
    return SHKBookmarkShareFormFields(type, item());
}

SHKLoginServiceSharer::ServiceRequest SHKPinboard::loginCheck(const ns::Dictionary& values) const
{
    // A POST without a body.
    return {SHKServiceURLWithCredentials(BaseKey, values.stringForKey("username").value_or(""),
                                         values.stringForKey("password").value_or(""), "/v1/posts/get"),
            std::nullopt, "POST"};
}

std::optional<std::string> SHKPinboard::loginRefusal(const SHKRequest& request) const
{
    if (request.statusCode() == 401)
        return SHKLookupLocalizedText("Invalid email or password.");
    return SHKLookupLocalizedText("The service encountered an error. Please try again later.");
}

SHKLoginServiceSharer::ServiceRequest SHKPinboard::shareRequest()
{
    auto item = this->item();
    std::string path = "/v1/posts/add?url=";
    path += SHKEscapeURLString(item->URL());
    path += "&description=";
    path += SHKEscapeQueryText(item->title());
    path += "&tags=";
    path += SHKEscapeQueryText(item->tags());
    path += "&extended=";
    path += SHKEscapeQueryText(item->text());
    path += "&shared=";
    path += item->customBoolForSwitchKey("shared") ? "yes" : "no";
    return {SHKServiceURLWithCredentials(BaseKey, getAuthValueForKey("username").value_or(""),
                                         getAuthValueForKey("password").value_or(""), path),
            std::nullopt, "GET"};
}

void SHKPinboard::sendFinished(SHKRequest& request)
{
    if (request.success()) {
        sendDidFinish();
        return;
    }
    if (request.statusCode() == 401) {
        shouldReloginWithPendingAction(SHKAwaitResend);
        return;
    }
    sendDidFailWithError(
        SHK::errorWithDescription(SHKLookupLocalizedText("There was an error saving to Pinboard")));
}
