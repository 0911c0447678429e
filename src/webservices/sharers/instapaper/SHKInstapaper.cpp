#include "webservices/sharers/instapaper/SHKInstapaper.h"

#include "foundation/Dictionary.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "sharing/ui/SHKFormController.h"
#include "webservices/sharers/common/SHKServiceSupport.h"

namespace {

constexpr const char* SecureKey = "instapaperURL";

} // namespace

void SHKInstapaper::registerClass()
{
    SHKSharerClass::registerSharer<SHKInstapaper, SHKInstapaperClass>("SHKInstapaper");
}

std::string SHKInstapaperClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Instapaper");
}

std::optional<std::string> SHKInstapaperClass::authorizationFormCaption() const
{
    return SHKFormatLocalizedText("Create a free account at %@", "Instapaper.com");
}

void SHKInstapaper::authorizationFormValidate(SHKFormController& form)
{
    SHKShowLoggingIn(*this);
    auto values = form.formValues();
    std::string body = "username=";
    body += SHKEscapeQueryText(values->stringForKey("username"));
    body += "&password=";
    body += SHKEscapeQueryText(values->stringForKey("password"));
    setRequest(SHKRequest::create(SHKServiceURL(SecureKey, "/api/authenticate"), std::move(body),
                                  self<SHKInstapaper>(),
                                  SHKRequestFinishSelector(&SHKInstapaper::authFinished), "POST", true));
    setPendingForm(form.self<SHKFormController>());
}

void SHKInstapaper::authFinished(SHKRequest& request)
{
    SHKHideProgress();
    if (request.success()) {
        if (auto form = pendingForm())
            form->saveForm();
    } else {
        SHKShowLoginError(
            request.statusCode() == 403
                ? SHKLookupLocalizedText(
                      "Sorry, Instapaper did not accept your credentials. Please try again.")
                : SHKLookupLocalizedText("Sorry, Instapaper encountered an error. Please try again."));
    }
    authDidFinish(request.success());
}

bool SHKInstapaper::send()
{
    if (!validateItem())
        return false;
    auto item = this->item();
    std::string body = "url=";
    body += SHKEscapeURLString(item->URL());
    body += "&title=";
    body += SHKEscapeQueryText(item->title());
    body += "&selection=";
    body += SHKEscapeQueryText(SHKPlainTextFromHTML(item->text().value_or(""), true));
    body += "&username=";
    body += SHKEscapeQueryText(getAuthValueForKey("username"));
    body += "&password=";
    body += SHKEscapeQueryText(getAuthValueForKey("password"));
    setRequest(SHKRequest::create(SHKServiceURL(SecureKey, "/api/add"), std::move(body),
                                  self<SHKInstapaper>(),
                                  SHKRequestFinishSelector(&SHKInstapaper::sendFinished), "POST", true));
    sendDidStart();
    return true;
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
