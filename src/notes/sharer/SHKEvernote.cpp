#include "notes/sharer/SHKEvernote.h"

#include "notes/sharer/SHKEvernoteCalls.h"

#include "foundation/Clock.h"
#include "foundation/Dictionary.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/Thread.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "sharing/ui/SHKFormController.h"
#include "uikit/AlertView.h"

namespace {

std::optional<std::string> textFor(const ns::Ref<ns::Dictionary>& values, const char* key)
{
    if (!values)
        return std::nullopt;
    return values->stringForKey(key);
}

bool isYes(const ns::Ref<ns::Dictionary>& result, const char* key)
{
    auto value = textFor(result, key);
    return value && *value == "1";
}

// Hands the thread's result to the main thread and waits until it is handled; the thread's hold on the
// sharer is let go there too, so that a sharer never ends on a background thread.
void finishOnMainThread(ns::Ref<SHKEvernote> sharer, std::function<void(SHKEvernote&)> handle)
{
    ns::performOnMainThread([&sharer, &handle] { handle(*sharer); }, true);
    ns::RunLoop::main().post([hold = std::move(sharer)] {});
}

} // namespace

void SHKEvernote::registerClass()
{
    SHKSharerClass::registerSharer<SHKEvernote, SHKEvernoteClass>("SHKEvernote");
}

void registerNoteClasses()
{
    SHKEvernote::registerClass();
}

// MARK: Signing in

void SHKEvernote::authorizationFormValidate(SHKFormController& form)
{
    if (!quiet())
        SHKActivityIndicator::currentIndicator()->displayActivity(SHKLookupLocalizedText("Logging In..."));
    setPendingForm(form.self<SHKFormController>());
    auto values = form.formValues();
    std::optional<std::string> username = textFor(values, "username");
    std::optional<std::string> password = textFor(values, "password");
    ns::Thread::detach([me = self<SHKEvernote>(), username, password]() mutable {
        auto result = SHKEvernoteCalls::authorizationResult(username, password);
        bool success = isYes(result, "success");
        finishOnMainThread(std::move(me), [success](SHKEvernote& sharer) { sharer.authFinished(success); });
    });
}

void SHKEvernote::authFinished(bool success)
{
    auto form = pendingForm();
    // The login form was cancelled while the check ran: its answer has no one to go to.
    if (!form)
        return;
    SHKActivityIndicator::currentIndicator()->hide();
    setPendingForm(nullptr);
    if (!success) {
        ui::AlertView::create(SHKLookupLocalizedText("Login Error"),
                              SHKLookupLocalizedText("Your username and password did not match"), nullptr,
                              SHKLookupLocalizedText("Close"))
            ->show();
        return;
    }
    if (form)
        form->saveForm();
    authDidFinish(true);
}

// MARK: The share form

std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>> SHKEvernote::shareFormFieldsForType(SHKShareType)
{
    auto item = this->item();
    std::optional<std::string> title = item ? item->title() : std::nullopt;
    std::optional<std::string> tags = item ? item->tags() : std::nullopt;
    return std::vector<ns::Ref<SHKFormFieldSettings>>{
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Title"), "title", SHKFormFieldTypeText, title),
        SHKFormFieldSettings::label(SHKLookupLocalizedText("Tags"), "tags", SHKFormFieldTypeText, tags),
    };
}

// MARK: Sending

bool SHKEvernote::send()
{
    if (!validateItem())
        return false;
    sendDidStart();
    // The credentials and the time are taken here, on the main thread that owns the keychain and the
    // clock; the thread does nothing else with the sharer until it hands its result back.
    auto item = this->item();
    std::optional<std::string> username = getAuthValueForKey("username");
    std::optional<std::string> password = getAuthValueForKey("password");
    double now = ns::Clock::current().now();
    ns::Thread::detach([me = self<SHKEvernote>(), item, username, password, now]() mutable {
        auto result = SHKEvernoteCalls::sendResult(item, username, password, now);
        finishOnMainThread(std::move(me), [result](SHKEvernote& sharer) { sharer.sendFinished(result); });
    });
    return true;
}

void SHKEvernote::sendFinished(const ns::Ref<ns::Dictionary>& result)
{
    if (isYes(result, "success"))
        sendDidFinish();
    else if (isYes(result, "shouldRelogin"))
        shouldReloginWithPendingAction(SHKAwaitResend);
    else
        sendDidFailWithError(
            SHK::errorWithDescription(SHKLookupLocalizedText("There was a problem sharing with Evernote")));
}

// MARK: Class-level answers

std::string SHKEvernoteClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Evernote");
}

std::vector<ns::Ref<SHKFormFieldSettings>> SHKEvernoteClass::authorizationFormFields() const
{
    return {
        SHKFormFieldSettings::label(std::string("Username"), "username", SHKFormFieldTypeTextNoCorrect,
                                    std::nullopt),
        SHKFormFieldSettings::label(std::string("Password"), "password", SHKFormFieldTypePassword,
                                    std::nullopt),
    };
}

std::optional<std::string> SHKEvernoteClass::authorizationFormCaption() const
{
    return SHKFormatLocalizedText("Create a free account at %@", std::string(WebSiteName));
}
