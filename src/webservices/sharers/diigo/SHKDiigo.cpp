#include "webservices/sharers/diigo/SHKDiigo.h"

#include "foundation/Dictionary.h"
#include "foundation/URL.h"
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
    registerService<SHKDiigo>("SHKDiigo", "Diigo", "Create an account at %@", "http://www.diigo.com");
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
    std::string body = "key=";
    body += apiKey();
    body += '&';
    body += SHKBookmarkQuery(*item(), "title", "desc");
    return {SHKServiceURLWithCredentials(BaseKey, getAuthValueForKey("username").value_or(""),
                                         getAuthValueForKey("password").value_or(""), "/api/v2/bookmarks"),
            std::move(body), "POST"};
}

bool SHKDiigo::shareSaved(SHKRequest& request) const
{
    // An empty reply counts as saved; one with text must speak of the bookmark.
    auto result = request.getResult();
    return !result || result->empty() || result->find("bookmark") != std::string::npos;
}

std::string SHKDiigo::shareFailure(const SHKRequest&) const
{
    std::string failure = SHKLookupLocalizedText("There was an error saving to ");
    failure += sharerTitle();
    return failure;
}
