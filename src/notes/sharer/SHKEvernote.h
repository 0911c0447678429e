#pragma once

#include "sharing/core/SHKSharerClass.h"
#include "sharing/sharer/SHKSharer.h"

#include <optional>
#include <string>
#include <vector>

namespace ns {
class Dictionary;
}

// The sharer that saves a share item as one note in the Evernote note service. It takes every kind of
// item, signs the user in through its login form, asks for a title and tags, and does all of its network
// work on threads of its own: the login form's check and each send (see SHKEvernoteCalls), whose result
// comes back to the main thread to be reported. Created by its class name, "SHKEvernote".
class SHKEvernote : public SHKSharer
{
public:
    static ns::Ref<SHKEvernote> create() { return setUp(ns::Factory<SHKEvernote>::make()); }
    // Registers the sharer under its class name with its class-level answers.
    static void registerClass();

    // The login form's check: the overlay (unless quiet), the form kept as pending, and the sign-in on a
    // thread of its own, whose answer comes to authFinished.
    void authorizationFormValidate(SHKFormController& form) override;
    // Main thread: the overlay goes; a good sign-in saves the pending form (storing the credentials) and
    // reports authDidFinish, a bad one raises the "Login Error" alert and leaves the form open.
    void authFinished(bool success);

    // "Title" and "Tags", for every kind of item.
    std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
    shareFormFieldsForType(SHKShareType type) override;

    // NO, reporting nothing, for an item that does not validate; else reports sendDidStart and sends on a
    // thread of its own (signing in again, then creating the note), whose result comes to sendFinished.
    bool send() override;
    // Main thread: exactly one report for the send's result dictionary ("success", "shouldRelogin").
    void sendFinished(const ns::Ref<ns::Dictionary>& result);

    std::string className() const override { return "SHKEvernote"; }

protected:
    SHKEvernote() = default;
    friend ns::Factory<SHKEvernote>;
};

// The class-level answers of SHKEvernote.
class SHKEvernoteClass : public SHKSharerClass
{
public:
    // The service's web site, named in the login form's caption.
    static constexpr const char* WebSiteName = "Evernote.com";

    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    bool canShareText() const override { return true; }
    bool canShareImage() const override { return true; }
    bool canShareFile() const override { return true; }
    bool requiresAuthentication() const override { return true; }
    bool canShare() const override { return true; }
    // "Username" (plain text) and "Password" (secure), as the service names them.
    std::vector<ns::Ref<SHKFormFieldSettings>> authorizationFormFields() const override;
    // "Create a free account at Evernote.com".
    std::optional<std::string> authorizationFormCaption() const override;
};

// Registers the classes of the note-service client that the application creates by name.
void registerNoteClasses();
