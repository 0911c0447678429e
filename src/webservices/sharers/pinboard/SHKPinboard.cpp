#include "webservices/sharers/pinboard/SHKPinboard.h"

#include "foundation/Dictionary.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "sharing/ui/SHKFormController.h"
#include "webservices/sharers/common/SHKServiceSupport.h"

namespace {

constexpr const char* BaseKey = "pinboardAPIURL";

} // namespace

void SHKPinboard::registerClass()
{
    SHKSharerClass::registerSharer<SHKPinboard, SHKPinboardClass>("SHKPinboard");
}

std::string SHKPinboardClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Pinboard");
}

std::optional<std::string> SHKPinboardClass::authorizationFormCaption() const
{
    return SHKFormatLocalizedText("Create an account at %@", "http://pinboard.in");
}

std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
SHKPinboard::shareFormFieldsForType(SHKShareType type)
{
    auto item = this->item();
    if (type != SHKShareTypeURL || !item)
        return std::nullopt;
    return SHKBookmarkShareFormFields(*item);
}

void SHKPinboard::authorizationFormValidate(SHKFormController& form)
{
    SHKShowLoggingIn(*this);
    auto values = form.formValues();
    std::string user = values->stringForKey("username").value_or("");
    std::string password = values->stringForKey("password").value_or("");
    // A POST without a body.
    setRequest(SHKRequest::create(SHKServiceURLWithCredentials(BaseKey, user, password, "/v1/posts/get"),
                                  std::nullopt, self<SHKPinboard>(),
                                  SHKRequestFinishSelector(&SHKPinboard::authFinished), "POST", true));
    setPendingForm(form.self<SHKFormController>());
}

void SHKPinboard::authFinished(SHKRequest& request)
{
    SHKHideProgress();
    if (request.success()) {
        if (auto form = pendingForm())
            form->saveForm();
    } else {
        SHKShowLoginError(
            request.statusCode() == 401
                ? SHKLookupLocalizedText("Invalid email or password.")
                : SHKLookupLocalizedText("The service encountered an error. Please try again later."));
    }
    authDidFinish(request.success());
}

bool SHKPinboard::send()
{
    if (!validateItem())
        return false;
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
    auto url = SHKServiceURLWithCredentials(BaseKey, getAuthValueForKey("username").value_or(""),
                                            getAuthValueForKey("password").value_or(""), path);
    setRequest(SHKRequest::create(url, std::nullopt, self<SHKPinboard>(),
                                  SHKRequestFinishSelector(&SHKPinboard::sendFinished), "GET", true));
    sendDidStart();
    return true;
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
