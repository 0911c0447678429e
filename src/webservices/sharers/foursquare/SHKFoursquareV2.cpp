#include "webservices/sharers/foursquare/SHKFoursquareV2.h"

#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKPlatformAdditions.h"
#include "sharing/oauth/OAURLEncoding.h"
#include "system/Location.h"
#include "uikit/AlertView.h"
#include "uikit/Color.h"
#include "uikit/NavigationBar.h"
#include "uikit/TextView.h"
#include "webservices/sharers/common/SHKServiceSupport.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2CheckInForm.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2Error.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2OAuthView.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2Request.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2VenuesForm.h"

namespace {

constexpr const char* SharerId = "SHKFoursquareV2";
constexpr const char* WebKey = "foursquareV2WebURL";

} // namespace

// MARK: Class-level answers

std::string SHKFoursquareV2Class::sharerTitle() const
{
    return SHKLookupLocalizedText("Foursquare");
}

bool SHKFoursquareV2Class::canShare() const
{
    if (!cl::LocationManager::locationServicesEnabled())
        return false;
    if (!cl::LocationManager::respondsToAuthorizationStatus())
        return true;
    auto status = cl::LocationManager::authorizationStatus();
    return status == cl::kCLAuthorizationStatusNotDetermined ||
           status == cl::kCLAuthorizationStatusAuthorized;
}

void SHKFoursquareV2Class::logout() const
{
    SHKFoursquareV2::logout();
}

// MARK: Making and signing in

SHKFoursquareV2::SHKFoursquareV2()
{
    m_clientId = SHKConfiguration::textValue("foursquareV2ClientId").value_or("");
    m_authorizeCallbackURL =
        ns::URL::withString(SHKConfiguration::textValue("foursquareV2RedirectURI").value_or(""));
}

ns::Ref<SHKFoursquareV2> SHKFoursquareV2::create()
{
    return setUp(ns::Factory<SHKFoursquareV2>::make());
}

void SHKFoursquareV2::registerClass()
{
    SHKSharerClass::registerSharer<SHKFoursquareV2, SHKFoursquareV2Class>(SharerId);
}

void SHKFoursquareV2::logout()
{
    deleteStoredAccessToken();
    deleteCookiesForURL(ns::URL::withString(SHKServiceAddress(WebKey, "/oauth2/authenticate")));
}

void SHKFoursquareV2::deleteStoredAccessToken()
{
    SHK::removeAuthValueForKey(AccessTokenKey, SharerId);
}

std::string SHKFoursquareV2::authenticateAddress()
{
    std::string address = SHKServiceAddress(WebKey, "/oauth2/authenticate");
    address += "?client_id=";
    address += SHKConfiguration::textValue("foursquareV2ClientId").value_or("");
    address += "&response_type=token&redirect_uri=";
    address +=
        OAURLEncoding::URLEncodedString(SHKConfiguration::textValue("foursquareV2RedirectURI").value_or(""));
    return address;
}

void SHKFoursquareV2::storeAccessToken()
{
    if (m_accessToken)
        SHK::setAuthValue(*m_accessToken, AccessTokenKey, sharerId());
}

bool SHKFoursquareV2::restoreAccessToken()
{
    if (m_accessToken)
        return true;
    m_accessToken = getAuthValueForKey(AccessTokenKey);
    // An empty stored value is no token.
    if (m_accessToken && m_accessToken->empty())
        m_accessToken.reset();
    return m_accessToken.has_value();
}

bool SHKFoursquareV2::isAuthorized()
{
    return restoreAccessToken();
}

void SHKFoursquareV2::promptAuthorization()
{
    auto view =
        SHKFoursquareV2OAuthView::create(ns::URL::withString(authenticateAddress()), self<SHKFoursquareV2>());
    SHK::currentHelper()->showViewController(view);
}

void SHKFoursquareV2::tokenAuthorizeView(SHKOAuthView& view, bool success,
                                         const ns::Ref<ns::Dictionary>& queryParams,
                                         const ns::Ref<ns::Error>& error)
{
    auto me = self<SHKFoursquareV2>();
    // The page loads as soon as the view is made: a quick sign-in can end while the view still waits for
    // the screen before it (the check-in form going), and shown after that, it would stay up.
    SHK::currentHelper()->forgetPendingView(view);
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
    std::optional<std::string> token = queryParams ? queryParams->stringForKey("access_token") : std::nullopt;
    // A redirect without a token (the service put its error there) is no sign-in: nothing is stored, and
    // the user hears of it instead of being asked again and again.
    if (success && (!token || token->empty()))
        success = false;
    if (success) {
        m_accessToken = token;
        storeAccessToken();
        tryPendingAction();
    } else {
        std::string message = error ? error->localizedDescription()
                                    : SHKLookupLocalizedText("There was an error while sharing");
        ui::AlertView::create(SHKLookupLocalizedText("Access Error"), message, nullptr,
                              SHKLookupLocalizedText("Close"))
            ->show();
    }
    authDidFinish(success);
}

void SHKFoursquareV2::tokenAuthorizeCancelledView(SHKOAuthView& view)
{
    auto me = self<SHKFoursquareV2>();
    SHK::currentHelper()->forgetPendingView(view);
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
    authDidFinish(false);
}

// MARK: Sharing

void SHKFoursquareV2::show()
{
    auto shared = item();
    if (shared && shared->shareType() == SHKShareTypeText) {
        showFoursquareV2VenuesForm();
        return;
    }
    // Nothing to show: the share ends without a report.
    letGo();
}

void SHKFoursquareV2::showFoursquareV2VenuesForm()
{
    auto list = SHKFoursquareV2VenuesForm::create(self<SHKFoursquareV2>());
    // A share started again after a new sign-in replaces what an earlier list left.
    if (viewControllers().empty())
        pushViewController(list, false);
    else
        setViewControllers({list}, false);
    SHK::currentHelper()->showViewController(self<SHKFoursquareV2>());
}

void SHKFoursquareV2::showFoursquareV2CheckInForm()
{
    // One pick, one form: a pick reaching here while a form is already up (a second tap before the push
    // ended) only changes the place that form checks in at.
    if (ns::cast<SHKFoursquareV2CheckInForm>(topViewController()))
        return;
    auto form = SHKFoursquareV2CheckInForm::create(self<SHKFoursquareV2>());
    auto shared = item();
    form->setText(shared ? shared->text() : std::nullopt);
    form->setMaxTextLength(140);
    navigationBar()->setTintColor(ns::cast<ui::Color>(
        SHKConfiguration::sharedInstance()->configurationValue("barTintForView:", self<SHKFoursquareV2>())));
    pushViewController(form, true);
}

void SHKFoursquareV2::sendForm(SHKFormControllerLargeTextField& form)
{
    if (auto shared = item())
        shared->setText(form.textView() ? form.textView()->text() : std::string());
    startCheckInRequest();
}

bool SHKFoursquareV2::send()
{
    if (!item() || !m_venue)
        return false;
    startCheckInRequest();
    return true;
}

void SHKFoursquareV2::startCheckInRequest()
{
    sendDidStart();
    auto shared = item();
    setRequest(SHKFoursquareV2Request::requestCheckinLocation(
        m_location, m_venue, shared ? shared->text() : std::nullopt, self<SHKFoursquareV2>(),
        SHKRequestFinishSelector(&SHKFoursquareV2::finishCheckInRequest), m_accessToken.value_or(""), true));
}

void SHKFoursquareV2::finishCheckInRequest(SHKRequest& request)
{
    auto me = self<SHKFoursquareV2>();
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
    auto* reply = dynamic_cast<SHKFoursquareV2Request*>(&request);
    if (request.success())
        sendDidFinish();
    else if (reply)
        requestDidFail(*reply, SHKAwaitResend);
    else
        sendDidFailWithError(errorWithFoursquareMeta(nullptr));
    setRequest(nullptr);
}

void SHKFoursquareV2::requestDidFail(SHKFoursquareV2Request& request, SHKSharerPendingAction resumeWith)
{
    auto me = self<SHKFoursquareV2>();
    auto error = request.getFoursquareError();
    bool relogin = getFoursquareRelogin(error);
    if (relogin) {
        // The token is dead: kept, it would count as a sign-in again. After the new sign-in the share
        // resumes where it stopped.
        m_accessToken.reset();
        deleteStoredAccessToken();
        setPendingAction(resumeWith);
    }
    sendDidFailWithError(error, relogin);
}
