#include "webservices/sharers/common/SHKLoginServiceSharer.h"

#include "foundation/Dictionary.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "sharing/ui/SHKFormController.h"
#include "webservices/sharers/common/SHKServiceSupport.h"

SHKLoginServiceSharerClass::SHKLoginServiceSharerClass(std::string title, std::string captionFormat,
                                                       std::string site)
    : m_title(std::move(title)), m_captionFormat(std::move(captionFormat)), m_site(std::move(site))
{
}

std::string SHKLoginServiceSharerClass::sharerTitle() const
{
    return SHKLookupLocalizedText(m_title);
}

std::optional<std::string> SHKLoginServiceSharerClass::authorizationFormCaption() const
{
    return SHKFormatLocalizedText(m_captionFormat, m_site);
}

void SHKLoginServiceSharer::authorizationFormValidate(SHKFormController& form)
{
    SHKShowLoggingIn(*this);
    ServiceRequest check = loginCheck(*form.formValues());
    setRequest(SHKRequest::create(std::move(check.url), std::move(check.body), self<SHKLoginServiceSharer>(),
                                  SHKRequestFinishSelector(&SHKLoginServiceSharer::authFinished),
                                  std::move(check.method), true));
    setPendingForm(form.self<SHKFormController>());
}

void SHKLoginServiceSharer::authFinished(SHKRequest& request)
{
    SHKHideProgress();
    if (request.success()) {
        auto form = pendingForm();
        // Saved once: the form is done with, and a later Cancel has no check to end.
        setPendingForm(nullptr);
        if (form)
            form->saveForm();
    } else {
        SHKShowLoginError(loginRefusal(request));
    }
    authDidFinish(request.success());
}

bool SHKLoginServiceSharer::send()
{
    if (!validateItem())
        return false;
    ServiceRequest share = shareRequest();
    setRequest(SHKRequest::create(std::move(share.url), std::move(share.body), self<SHKLoginServiceSharer>(),
                                  SHKRequestFinishSelector(&SHKLoginServiceSharer::sendFinished),
                                  std::move(share.method), true));
    sendDidStart();
    return true;
}

void SHKLoginServiceSharer::sendFinished(SHKRequest& request)
{
    if (request.success()) {
        if (shareSaved(request))
            sendDidFinish();
        else
            sendDidFailWithError(SHK::errorWithDescription(shareFailure(request)));
        return;
    }
    if (request.statusCode() == reloginStatus()) {
        shouldReloginWithPendingAction(SHKAwaitResend);
        return;
    }
    sendDidFailWithError(SHK::errorWithDescription(shareFailure(request)));
}
