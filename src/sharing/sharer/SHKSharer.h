#pragma once

#include "foundation/Locked.h"
#include "sharing/core/SHKItem.h"
#include "sharing/core/SHKSharerClass.h"
#include "sharing/sharer/SHKSharerDelegateProtocol.h"
#include "uikit/NavigationController.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ns {
class Data;
class Error;
class URL;
} // namespace ns
namespace ui {
class Image;
}
class SHKFormController;
class SHKFormFieldSettings;
class SHKRequest;

// What a sharer does when an authorisation ends (tryPendingAction).
enum SHKSharerPendingAction : int {
    SHKAwaitNothing = 0,
    // Start the share again from the beginning.
    SHKAwaitShare = 1,
    // Send again once the access token has been refreshed.
    SHKAwaitTokenRefresh = 2,
    // Send again after the service refused the stored credentials.
    SHKAwaitResend = 3,
};

// Posted on the default center with the sharer as object, for the application.
inline constexpr const char* SHKSendDidStartNotification = "SHKSendDidStartNotification";
inline constexpr const char* SHKSendDidFinishNotification = "SHKSendDidFinish";
inline constexpr const char* SHKSendDidFailWithErrorNotification = "SHKSendDidFailWithError";
inline constexpr const char* SHKSendDidCancelNotification = "SHKSendDidCancel";
// With "success": a number holding the boolean.
inline constexpr const char* SHKAuthDidFinishNotification = "SHKAuthDidFinish";

// The base of every sharer: takes one share item to one destination. It settles what all sharers share:
// identity (the class name), authorisation through a login form whose values go to the keychain, the
// share form with its "Auto Share" switch, the choice between sending now, queueing offline and telling
// the user to go online, the pending action that resumes a share after a login, and the reports
// (notifications and the delegate) of how a send went. A sharer is a navigation controller: its forms are
// pushed onto it and the facade presents it.
//
// A sharer keeps itself alive from share (and from each send it starts) until its last report, since the
// screens that start it let it go and its delegates do not retain it. Each report lets that hold go before
// it tells the delegate, so that what the delegate starts (a new sign-in after a refused token) holds the
// sharer anew. A sign-in that leaves the sharer's own screens takes a hold of its own, which lasts until
// the sign-in ends whatever else lets go meanwhile. Holds go on the next turn of the main run loop, so no
// caller sees the sharer vanish mid-call.
//
// Subclasses register with SHKSharerClass::registerSharer, answer the class-level queries through their
// SHKSharerClass subclass, make themselves with a create() that ends in setUp(), and override send and
// the hooks they need.
class SHKSharer : public ui::NavigationController
{
public:
    // A plain base sharer (sends nothing); for tests and for what only needs the base's answers.
    static ns::Ref<SHKSharer> create();
    // A new sharer of the class registered under the id; nothing for an unknown name or a class that is
    // not a sharer.
    static ns::Ref<SHKSharer> sharerWithId(std::string_view sharerId);

    // Class conveniences: create a sharer of the named class, fill its own new item and share; nothing
    // when no such sharer class is registered. Only shareItem puts the sharer to the front of the
    // favourites.
    static ns::Ref<SHKSharer> shareItem(std::string_view sharerClass, const ns::Ref<SHKItem>& item);
    static ns::Ref<SHKSharer> shareURL(std::string_view sharerClass, const ns::Ref<ns::URL>& url,
                                       std::optional<std::string> title = std::nullopt);
    static ns::Ref<SHKSharer> shareImage(std::string_view sharerClass, const ns::Ref<ui::Image>& image,
                                         std::optional<std::string> title);
    static ns::Ref<SHKSharer> shareText(std::string_view sharerClass, const std::string& text);
    static ns::Ref<SHKSharer> shareFile(std::string_view sharerClass, const ns::Ref<ns::Data>& data,
                                        std::optional<std::string> filename,
                                        std::optional<std::string> mimeType,
                                        std::optional<std::string> title);
    static ns::Ref<SHKSharer> getUserInfo(std::string_view sharerClass);

    // The class-level answers of this sharer's class (the registered ones, else the base's under the
    // class name).
    const SHKSharerClass& sharerClass() const;
    std::string sharerTitle() const { return sharerClass().sharerTitle(); }
    std::string sharerId() const { return sharerClass().sharerId(); }

    // Fields. item, pendingForm, request, quiet and pendingAction are read and written whole from any
    // thread.
    const ns::Ref<SHKSharerDelegateProtocol>& shareDelegate() const { return m_shareDelegate; }
    void setShareDelegate(ns::Ref<SHKSharerDelegateProtocol> delegate)
    {
        m_shareDelegate = std::move(delegate);
    }
    ns::Ref<SHKItem> item() const { return m_item.get(); }
    void setItem(ns::Ref<SHKItem> item) { m_item.set(std::move(item)); }
    // The form whose values the sharer is checking over the network.
    ns::Ref<SHKFormController> pendingForm() const { return m_pendingForm.get(); }
    void setPendingForm(ns::Ref<SHKFormController> form) { m_pendingForm.set(std::move(form)); }
    ns::Ref<SHKRequest> request() const { return m_request.get(); }
    void setRequest(ns::Ref<SHKRequest> request) { m_request.set(std::move(request)); }
    const ns::Ref<ns::Error>& lastError() const { return m_lastError; }
    void setLastError(ns::Ref<ns::Error> error) { m_lastError = std::move(error); }
    // Quiet: no alerts from the sharer, no overlay or alerts from the default delegate.
    bool quiet() const { return m_quiet; }
    void setQuiet(bool quiet) { m_quiet = quiet; }
    SHKSharerPendingAction pendingAction() const { return m_pendingAction; }
    void setPendingAction(SHKSharerPendingAction action) { m_pendingAction = action; }

    // Puts the sharer to the front of the favourites of the item's type, then takes the item. The share
    // screens call it before share.
    void loadItem(const ns::Ref<SHKItem>& item);

    // Starting a share: a login first when not authorised (the share resumes afterwards), else sending at
    // once when the user chose auto-share, else the share form.
    virtual void share();

    // Authorisation.
    // YES when authorised; else starts promptAuthorization and answers NO.
    bool authorize();
    // YES for a class that needs no authentication, else as soon as any login row has a stored value.
    virtual bool isAuthorized();
    // The login form, or, when the sharer needs the network and the device is offline, the "Offline"
    // alert (none when quiet).
    virtual void promptAuthorization();
    virtual void authorizationFormShow();
    // The class's login rows and footer.
    virtual std::vector<ns::Ref<SHKFormFieldSettings>> authorizationFormFields() const;
    virtual std::optional<std::string> authorizationFormCaption() const;
    // This sharer's stored value for a login key.
    std::optional<std::string> getAuthValueForKey(const std::string& key) const;
    // The login form's validate operation: the base does nothing. A sharer with a login form checks the
    // values (keeping the form in pendingForm) and, when they are good, tells the form to save.
    virtual void authorizationFormValidate(SHKFormController& form);
    // Stores every row's value of the form's first section, then tryPendingAction.
    virtual void authorizationFormSave(SHKFormController& form);
    // Reports sendDidCancel.
    virtual void authorizationFormCancel(SHKFormController& form);

    // Auto-share: the user's choice for this sharer ("<sharer id>_shouldAutoShare"; NO when unset).
    virtual bool shouldAutoShare();
    void setShouldAutoShare(bool shouldAutoShare);

    // The share form.
    // The form of shareFormFieldsForType for the item's type, or, without rows, tryToSend at once.
    virtual void show();
    // The share form's rows for a type, or nothing for no form: the base has one "Title" row for URLs.
    virtual std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
    shareFormFieldsForType(SHKShareType type);
    // Saves the form at once.
    virtual void shareFormValidate(SHKFormController& form);
    // The values into the item, the auto-share switch into the user defaults, then tryToSend.
    virtual void shareFormSave(SHKFormController& form);
    // Reports sendDidCancel.
    virtual void shareFormCancel(SHKFormController& form);
    // The first section's values into the item: "title", "text" and "tags" to their fields, every other
    // key as a custom value.
    virtual void updateItemWithForm(SHKFormController& form);

    // Sending.
    // Whether the item has what its type needs. Subclasses call it at the start of send.
    virtual bool validateItem();
    // Online (or not needing the network): send's answer. Offline with queueing allowed: whether the
    // share was queued. Otherwise NO when quiet, else the "Offline" alert and YES.
    virtual bool tryToSend();
    // Starts sending; YES when it started. The base sends nothing.
    virtual bool send();
    // Does what the pending action asks once an authorisation ended, then waits for nothing.
    virtual void tryPendingAction();

    // Reports, called by subclasses on the main thread: a notification, then the delegate.
    virtual void sendDidStart();
    virtual void sendDidFinish();
    // Keeps the error in lastError first.
    virtual void sendDidFailWithError(const ns::Ref<ns::Error>& error, bool shouldRelogin = false);
    virtual void sendDidCancel();
    virtual void authDidFinish(bool success);
    // For a service that refused the stored credentials: the pending action to resume with (share again
    // or send again), and a failure asking for a new login.
    virtual void shouldReloginWithPendingAction(SHKSharerPendingAction action);

    // Whether the sharer holds itself for a share or a sign-in under way; for tests and diagnostics.
    bool isKeptAlive() const { return m_keepAlive || m_signInHold; }

    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) const override { return true; }
    // Tells the facade that its screen has gone.
    void viewDidDisappear(bool animated) override;

    std::string className() const override { return "SHKSharer"; }

protected:
    // A navigation controller without a root, with a new default delegate and a new empty item, styled as
    // the facade presents.
    SHKSharer();
    friend ns::Factory<SHKSharer>;

    // The end of every sharer's create(): wiring that needs the finished object.
    //     static ns::Ref<SHKMail> create() { return setUp(ns::Factory<SHKMail>::make()); }
    template <class T> static ns::Ref<T> setUp(ns::Ref<T> sharer)
    {
        static_cast<SHKSharer&>(*sharer).connectNavigationBar();
        return sharer;
    }

    // Holds the sharer until its last report (or letGo).
    void keepAlive();
    // Lets the hold go on the next turn of the main run loop: the share ended (a report, or a path
    // that reports nothing, such as queueing offline). A sign-in's own hold stays.
    void letGo();
    // For a sign-in that goes on outside the sharer's screens (a web dialog, the browser, a chain of
    // requests): holds the sharer until authDidFinish, or until signInDidEnd on a road that does not
    // report it.
    void holdForSignIn();
    void signInDidEnd();

private:
    struct CredentialsRead;
    // This sharer's stored value for a login key: read from the keychain once per share while a check and
    // send are under way.
    std::optional<std::string> storedCredential(const std::string& key) const;

    // Shows a form through the facade, pushed onto the sharer.
    void pushForm(const ns::Ref<SHKFormController>& form);
    void showOfflineAlert(const std::string& format);

    ns::Ref<SHKSharerDelegateProtocol> m_shareDelegate;
    mutable std::mutex m_mutex; // sharerClass
    ns::Locked<ns::Ref<SHKItem>> m_item;
    ns::Locked<ns::Ref<SHKFormController>> m_pendingForm;
    ns::Locked<ns::Ref<SHKRequest>> m_request;
    ns::Ref<ns::Error> m_lastError;
    std::atomic<bool> m_quiet{false};
    std::atomic<SHKSharerPendingAction> m_pendingAction{SHKAwaitNothing};
    mutable std::shared_ptr<const SHKSharerClass> m_sharerClass;
    std::atomic<bool> m_keepAlive{false};  // held until the last report
    std::atomic<bool> m_signInHold{false}; // held until the sign-in ends
    bool m_sending = false;                // a send started and has not reported yet
    mutable std::mutex m_credentialsMutex;
    mutable std::map<std::string, std::optional<std::string>> m_credentials;
    int m_credentialsReads = 0; // the scopes under way that keep what they read
};
