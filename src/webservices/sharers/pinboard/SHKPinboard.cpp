#include "webservices/sharers/pinboard/SHKPinboard.h"

#include "foundation/Dictionary.h"
#include "foundation/URL.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "webservices/sharers/common/SHKServiceSupport.h"

namespace {

constexpr const char* BaseKey = "pinboardAPIURL";

} // namespace

void SHKPinboard::registerClass()
{
    registerService<SHKPinboard>("SHKPinboard", "Pinboard", "Create an account at %@", "http://pinboard.in");
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
    std::string path = "/v1/posts/add?";
    path += SHKBookmarkQuery(*item(), "description", "extended");
    return {SHKServiceURLWithCredentials(BaseKey, getAuthValueForKey("username").value_or(""),
                                         getAuthValueForKey("password").value_or(""), path),
            std::nullopt, "GET"};
}

std::string SHKPinboard::shareFailure(const SHKRequest&) const
{
    return SHKLookupLocalizedText("There was an error saving to Pinboard");
}
