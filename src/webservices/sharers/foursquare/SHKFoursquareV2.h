#pragma once

#include "sharing/sharer/SHKSharer.h"
#include "sharing/ui/SHKFormControllerLargeTextField.h"
#include "sharing/ui/SHKOAuthView.h"

#include <optional>
#include <string>

namespace cl {
class Location;
}
class SHKFoursquareV2Request;
class SHKFoursquareV2Venue;

// The check-in sharer's class-level answers: texts only, never offline, and only where the device may
// tell where it is.
class SHKFoursquareV2Class : public SHKSharerClass, public SHKFormControllerLargeTextFieldDelegateClass
{
public:
    std::string sharerTitle() const override;
    bool canShareText() const override { return true; }
    bool canShareOffline() const override { return false; }
    // Location services on, and the application allowed to use them (or not asked yet, or a platform
    // without that question).
    bool canShare() const override;
    void logout() const override;
};

// Checks the user in at a nearby place of the check-in service, with the shared text as the message. The
// user signs in in a web view (OAuth 2, implicit grant), and the access token is kept in the keychain.
// The place is picked in the venues list and the message edited in the check-in form, both pushed onto
// the sharer.
class SHKFoursquareV2 : public SHKSharer,
                        public SHKFormControllerLargeTextFieldDelegate,
                        public SHKOAuthViewDelegate
{
public:
    static constexpr const char* AccessTokenKey = "accessToken";

    static ns::Ref<SHKFoursquareV2> create();
    // Registers the class under "SHKFoursquareV2".
    static void registerClass();
    // Forgets the stored token and the cookies of the sign-in page.
    static void logout();
    static void deleteStoredAccessToken();
    // The sign-in page: the web host's "/oauth2/authenticate" with the client id and the redirect address.
    static std::string authenticateAddress();

    const std::string& clientId() const { return m_clientId; }
    ns::Ref<ns::URL> authorizeCallbackURL() const override { return m_authorizeCallbackURL; }
    const std::optional<std::string>& accessToken() const { return m_accessToken; }
    void setAccessToken(std::optional<std::string> token) { m_accessToken = std::move(token); }
    const ns::Ref<cl::Location>& location() const { return m_location; }
    void setLocation(ns::Ref<cl::Location> location) { m_location = std::move(location); }
    const ns::Ref<SHKFoursquareV2Venue>& venue() const { return m_venue; }
    void setVenue(ns::Ref<SHKFoursquareV2Venue> venue) { m_venue = std::move(venue); }

    bool shouldAutoShare() override { return false; }
    // restoreAccessToken.
    bool isAuthorized() override;
    void promptAuthorization() override;
    // A text goes to the venues list; nothing else is shown.
    void show() override;
    // Sending again after a new sign-in: the check-in of the chosen place.
    bool send() override;

    void storeAccessToken();
    bool restoreAccessToken();
    void showFoursquareV2VenuesForm();
    void showFoursquareV2CheckInForm();
    void startCheckInRequest();
    void finishCheckInRequest(SHKRequest& request);
    // A request of this sharer's screens failed: reported, and a refused token is forgotten so that the
    // share resumes after a new sign-in.
    void requestDidFail(SHKFoursquareV2Request& request, SHKSharerPendingAction resumeWith);

    // The check-in form.
    void sendForm(SHKFormControllerLargeTextField& form) override;
    void sendDidCancel() override { SHKSharer::sendDidCancel(); }

    // The sign-in screen.
    void tokenAuthorizeView(SHKOAuthView& view, bool success, const ns::Ref<ns::Dictionary>& queryParams,
                            const ns::Ref<ns::Error>& error) override;
    void tokenAuthorizeCancelledView(SHKOAuthView& view) override;

    std::string className() const override { return "SHKFoursquareV2"; }

protected:
    SHKFoursquareV2();
    friend ns::Factory<SHKFoursquareV2>;

private:
    std::string m_clientId;
    ns::Ref<ns::URL> m_authorizeCallbackURL;
    std::optional<std::string> m_accessToken;
    ns::Ref<cl::Location> m_location;
    ns::Ref<SHKFoursquareV2Venue> m_venue;
};
