#include "webservices/sharers/diigo/SHKDiigo.h"

#include "foundation/Dictionary.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "sharing/ui/SHKFormController.h"
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

std::string SHKDiigoClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Diigo");
}

std::optional<std::string> SHKDiigoClass::authorizationFormCaption() const
{
    return SHKFormatLocalizedText("Create an account at %@", "http://www.diigo.com");
}

std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>> SHKDiigo::shareFormFieldsForType(SHKShareType type)
{
    auto item = this->item();
    if (type != SHKShareTypeURL || !item)
        return std::nullopt;
    return SHKBookmarkShareFormFields(*item);
}

void SHKDiigo::authorizationFormValidate(SHKFormController& form)
{
    SHKShowLoggingIn(*this);
    auto values = form.formValues();
    std::optional<std::string> user = values->stringForKey("username");
    std::string path = "/api/v2/bookmarks?key=";
    path += apiKey();
    path += "&count=1&user=";
    path += SHKEscapeQueryText(user);
    auto url = SHKServiceURLWithCredentials(BaseKey, user.value_or(""),
                                            values->stringForKey("password").value_or(""), path);
    setRequest(SHKRequest::create(url, std::nullopt, self<SHKDiigo>(),
                                  SHKRequestFinishSelector(&SHKDiigo::authFinished), "GET", true));
    setPendingForm(form.self<SHKFormController>());
}

void SHKDiigo::authFinished(SHKRequest& request)
{
    SHKHideProgress();
    if (request.success()) {
        if (auto form = pendingForm())
            form->saveForm();
    } else {
        SHKShowLoginError(
            request.statusCode() == 401
                ? SHKFormatLocalizedText("Sorry, %@ did not accept your credentials. Please try again.",
                                         sharerTitle())
                : SHKFormatLocalizedText("Sorry, %@ encountered an error. Please try again.", sharerTitle()));
    }
    authDidFinish(request.success());
}

bool SHKDiigo::send()
{
    if (!validateItem())
        return false;
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
    auto url = SHKServiceURLWithCredentials(BaseKey, getAuthValueForKey("username").value_or(""),
                                            getAuthValueForKey("password").value_or(""), "/api/v2/bookmarks");
    setRequest(SHKRequest::create(url, std::move(body), self<SHKDiigo>(),
                                  SHKRequestFinishSelector(&SHKDiigo::sendFinished), "POST", true));
    sendDidStart();
    return true;
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
