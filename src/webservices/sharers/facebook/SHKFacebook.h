#pragma once

#include "sharing/sharer/SHKSharer.h"
#include "sharing/ui/SHKFormControllerLargeTextField.h"
#include "webservices/social/Facebook.h"

#include <string>

// The social network sharer's class-level answers.
class SHKFacebookClass : public SHKSharerClass, public SHKFormControllerLargeTextFieldDelegateClass
{
public:
    std::string sharerTitle() const override;
    bool canShareURL() const override { return true; }
    bool canShareText() const override { return true; }
    bool canShareImage() const override { return true; }
    bool canGetUserInfo() const override { return true; }
    bool canShareOffline() const override { return false; }
    void logout() const override;
};

// Shares to the social network: a web address through its feed dialog, a text as a status, an image as a
// photo, and fetches the signed-in person's profile. One session serves the whole process. Signing in may
// leave the application, so the item waits in the user defaults (its image in a file) until the sign-in
// comes back through the application's own address.
class SHKFacebook : public SHKSharer,
                    public FBSessionDelegate,
                    public FBDialogDelegate,
                    public FBRequestDelegate,
                    public SHKFormControllerLargeTextFieldDelegate
{
public:
    static constexpr const char* AccessTokenKey = "kSHKFacebookAccessToken";
    static constexpr const char* ExpiryDateKey = "kSHKFacebookExpiryDate";
    static constexpr const char* UserInfoKey = "kSHKFacebookUserInfo";
    static constexpr const char* StoredItemKey = "kSHKStoredItem";

    static ns::Ref<SHKFacebook> create();
    // Registers the class under "SHKFacebook".
    static void registerClass();

    // The process's session, made on first use with the configured application id.
    static ns::Ref<Facebook> facebook();
    // Forgets the session, as a new process would start without one; for tests.
    static void forgetSession();
    // The session's answer for an address coming back from a sign-in.
    static bool handleOpenURL(const ns::Ref<ns::URL>& url);
    static void logout();
    // Forgets the token, its expiry and the profile, in the session and the user defaults.
    static void flushAccessToken();
    // Writes the image as PNG to a new file of the "SHKImage" caches folder; its path, or "" on failure.
    static std::string storedImagePath(const ns::Ref<ui::Image>& image);
    // The image of the file, or nothing; the file is deleted either way.
    static ns::Ref<ui::Image> storedImage(const std::string& path);

    bool isAuthorized() override;
    void promptAuthorization() override;
    bool send() override;
    void show() override;
    bool shouldAutoShare() override { return false; }

    // The session's delegate.
    bool respondsTo(FBSessionDelegate::Operation operation) const override;
    void fbDidLogin() override;
    void fbDidNotLogin(bool cancelled) override;

    // The feed dialog's delegate.
    bool respondsTo(FBDialogDelegate::Operation) const override { return true; }
    void dialogDidComplete(FBDialog&) override;
    void dialogCompleteWithUrl(const ns::Ref<ns::URL>& url) override;
    void dialogDidNotComplete(FBDialog&) override;
    void dialogDidFailWithError(FBDialog&, const ns::Ref<ns::Error>& error) override;
    bool dialogShouldOpenURLInExternalBrowser(FBDialog&, const ns::Ref<ns::URL>&) override { return true; }

    // The requests' delegate.
    bool respondsTo(FBRequestDelegate::Operation operation) const override;
    void requestLoading(FBRequest&) override;
    void requestDidLoad(FBRequest& request, const ns::Id& result) override;
    void requestDidFailWithError(FBRequest& request, const ns::Ref<ns::Error>& error) override;

    // The large text form's delegate: its text into the item, then send.
    void sendForm(SHKFormControllerLargeTextField& form) override;
    void sendDidCancel() override { SHKSharer::sendDidCancel(); }
    void showFacebookForm();

    std::string className() const override { return "SHKFacebook"; }

protected:
    SHKFacebook() = default;
    friend ns::Factory<SHKFacebook>;

private:
    void reloginAfterRefusedToken();
};
