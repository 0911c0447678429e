#include "webservices/sharers/facebook/SHKFacebook.h"

#include "foundation/Array.h"
#include "foundation/Date.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Number.h"
#include "foundation/Random.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/UserDefaults.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKPlatformAdditions.h"
#include "uikit/AlertView.h"
#include "uikit/Color.h"
#include "uikit/Image.h"
#include "uikit/NavigationBar.h"
#include "uikit/TextView.h"
#include "webservices/strictjson/StrictJSON.h"

#include <mutex>

namespace {

std::mutex& sessionLock()
{
    static std::mutex lock;
    return lock;
}

ns::Ref<Facebook>& sessionSlot()
{
    // Never destroyed: the session keeps its dialogs, views that must not go after the notification
    // centre and the run loop at the process's end.
    static auto* session = new ns::Ref<Facebook>();
    return *session;
}

std::string configurationText(std::string_view key)
{
    return SHKConfiguration::textValue(key).value_or("");
}

void setText(ns::MutableDictionary& dictionary, std::string_view key, std::string value)
{
    dictionary.setObject(ns::String::make(std::move(value)), key);
}

} // namespace

std::string SHKFacebookClass::sharerTitle() const
{
    return SHKLookupLocalizedText("Facebook");
}

void SHKFacebookClass::logout() const
{
    SHKFacebook::logout();
}

ns::Ref<SHKFacebook> SHKFacebook::create()
{
    return setUp(ns::Factory<SHKFacebook>::make());
}

void SHKFacebook::registerClass()
{
    SHKSharerClass::registerSharer<SHKFacebook, SHKFacebookClass>("SHKFacebook");
}

// MARK: The session

ns::Ref<Facebook> SHKFacebook::facebook()
{
    std::lock_guard lock(sessionLock());
    auto& session = sessionSlot();
    if (!session)
        session =
            Facebook::create(configurationText("facebookAppId"), configurationText("facebookLocalAppId"), {});
    return session;
}

void SHKFacebook::forgetSession()
{
    std::lock_guard lock(sessionLock());
    sessionSlot() = nullptr;
}

bool SHKFacebook::handleOpenURL(const ns::Ref<ns::URL>& url)
{
    return facebook()->handleOpenURL(url);
}

void SHKFacebook::logout()
{
    auto defaults = ns::UserDefaults::standard();
    defaults->removeObjectForKey(StoredItemKey);
    flushAccessToken();
    facebook()->logout();
}

void SHKFacebook::flushAccessToken()
{
    auto session = facebook();
    session->setAccessToken(std::nullopt);
    session->setExpirationDate(nullptr);
    auto defaults = ns::UserDefaults::standard();
    defaults->removeObjectForKey(AccessTokenKey);
    defaults->removeObjectForKey(ExpiryDateKey);
    defaults->removeObjectForKey(UserInfoKey);
    defaults->synchronize();
}

std::string SHKFacebook::storedImagePath(const ns::Ref<ui::Image>& image)
{
    std::string folder = ns::Sandbox::cachesPath();
    folder += "/SHKImage";
    if (!ns::FileManager::fileExistsAtPath(folder))
        ns::FileManager::createDirectoryAtPath(folder, true);
    auto png = ui::ImagePNGRepresentation(image);
    if (!png)
        return std::string();
    std::string path = folder;
    path += '/';
    path += ns::format("img-%i-%i", static_cast<int64_t>(ns::Date::now()->timeIntervalSince1970()),
                       static_cast<int32_t>(ns::randomU32()));
    if (!ns::FileManager::writeAtomically(path, *png))
        return std::string();
    return path;
}

ns::Ref<ui::Image> SHKFacebook::storedImage(const std::string& path)
{
    auto image = ui::Image::imageWithContentsOfFile(path);
    ns::FileManager::removeItemAtPath(path);
    return image;
}

// MARK: Signing in

bool SHKFacebook::isAuthorized()
{
    auto session = facebook();
    if (session->isSessionValid())
        return true;
    // A failed request ends the session; the stored token comes back for the next share.
    auto defaults = ns::UserDefaults::standard();
    session->setAccessToken(defaults->stringForKey(AccessTokenKey));
    session->setExpirationDate(ns::cast<ns::Date>(defaults->objectForKey(ExpiryDateKey)));
    return session->isSessionValid();
}

void SHKFacebook::promptAuthorization()
{
    auto shared = item();
    auto stored = shared ? shared->dictionaryRepresentation() : ns::MutableDictionary::make();
    if (shared && shared->image()) {
        std::string path = storedImagePath(shared->image());
        if (!path.empty())
            setText(*stored, "imagePath", path);
    }
    auto defaults = ns::UserDefaults::standard();
    defaults->setObject(stored, StoredItemKey);

    auto session = facebook();
    // A sign-in that never came back (the person stayed in the browser) is over once another starts.
    if (auto previous = std::dynamic_pointer_cast<SHKFacebook>(session->sessionDelegate());
        previous && previous.get() != this)
        previous->signInDidEnd();
    session->setSessionDelegate(self<SHKFacebook>());
    // The sign-in may leave the application, and the session does not hold its delegate: the sharer
    // holds itself until the sign-in reports, even when it starts from a failure report that has just
    // let the share's own hold go.
    holdForSignIn();

    std::vector<std::string> permissions;
    if (auto list = ns::cast<ns::Array>(
            SHKConfiguration::sharedInstance()->configurationValue("facebookListOfPermissions"))) {
        for (std::size_t i = 0; i < list->count(); ++i)
            if (auto text = ns::cast<ns::String>(list->objectAtIndex(i)))
                permissions.push_back(text->str());
    }
    session->authorize(std::move(permissions));
}

bool SHKFacebook::respondsTo(FBSessionDelegate::Operation operation) const
{
    return operation == FBSessionDelegate::Operation::DidLogin ||
           operation == FBSessionDelegate::Operation::DidNotLogin;
}

void SHKFacebook::fbDidLogin()
{
    auto me = self<SHKFacebook>();
    auto session = facebook();
    auto defaults = ns::UserDefaults::standard();
    if (session->accessToken())
        defaults->setObject(ns::String::make(*session->accessToken()), AccessTokenKey);
    if (session->expirationDate())
        defaults->setObject(session->expirationDate(), ExpiryDateKey);
    if (auto stored = defaults->dictionaryForKey(StoredItemKey)) {
        auto restored = SHKItem::itemFromDictionary(*stored);
        if (auto path = stored->stringForKey("imagePath"))
            restored->setImage(storedImage(*path));
        setItem(restored);
        defaults->removeObjectForKey(StoredItemKey);
    }
    defaults->synchronize();
    // The sign-in's hold ends here, and any hold left from before it; resuming the share holds the
    // sharer anew.
    authDidFinish(true);
    letGo();
    if (item())
        tryPendingAction();
}

void SHKFacebook::fbDidNotLogin(bool cancelled)
{
    auto me = self<SHKFacebook>();
    if (!cancelled) {
        ui::AlertView::create(SHKLookupLocalizedText("Authorize Error"),
                              SHKLookupLocalizedText("There was an error while authorizing"), nullptr,
                              SHKLookupLocalizedText("Close"))
            ->show();
    }
    // Ends the share and the sign-in's hold.
    authDidFinish(false);
}

// MARK: Sending

bool SHKFacebook::send()
{
    if (!validateItem())
        return false;
    auto shared = item();
    auto session = facebook();
    auto params = ns::MutableDictionary::make();
    // One JSON object, its texts escaped as JSON.
    auto action = ns::MutableDictionary::make();
    std::string name = SHKLookupLocalizedText("Get");
    name += ' ';
    name += configurationText("appName");
    setText(*action, "name", name);
    setText(*action, "link", configurationText("appURL"));
    auto writer = ns::make<StrictJSON>();
    if (auto actions = writer->stringWithObject(action))
        setText(*params, "actions", *actions);

    auto me = self<SHKFacebook>();
    switch (shared->shareType()) {
    case SHKShareTypeURL:
        if (!shared->URL())
            return false;
        setText(*params, "link", shared->URL()->absoluteString());
        setText(*params, "name", shared->title().value_or(shared->URL()->absoluteString()));
        if (shared->text())
            setText(*params, "message", *shared->text());
        if (auto picture = shared->customValueForKey("picture"))
            params->setObject(picture, "picture");
        keepAlive();
        session->dialog("feed", params, me);
        return true;
    case SHKShareTypeText:
        if (!shared->text())
            return false;
        setText(*params, "message", *shared->text());
        keepAlive();
        session->requestWithGraphPath("me/feed", params, "POST", me);
        return true;
    case SHKShareTypeImage:
        if (!shared->image())
            return false;
        if (shared->title())
            setText(*params, "caption", *shared->title());
        if (shared->text())
            setText(*params, "message", *shared->text());
        params->setObject(shared->image(), "picture");
        keepAlive();
        session->requestWithGraphPath("me/photos", params, "POST", me);
        return true;
    case SHKShareTypeAccountInfo:
        setQuiet(true);
        keepAlive();
        session->requestWithGraphPath("me", me);
        return true;
    default:
        return false;
    }
}

// MARK: The feed dialog

void SHKFacebook::dialogCompleteWithUrl(const ns::Ref<ns::URL>& url)
{
    std::string text = url ? url->absoluteString() : std::string();
    // No post id: the person skipped the post, so there is nothing to announce.
    if (text == "fbconnect://success")
        setQuiet(true);
    if (text.find("error_code=190") != std::string::npos) {
        flushAccessToken();
        authorize();
    }
}

void SHKFacebook::dialogDidComplete(FBDialog&)
{
    sendDidFinish();
}

void SHKFacebook::dialogDidNotComplete(FBDialog&)
{
    sendDidCancel();
}

void SHKFacebook::dialogDidFailWithError(FBDialog&, const ns::Ref<ns::Error>& error)
{
    auto me = self<SHKFacebook>();
    if (error->domain() == FBErrorDomain && error->code() == 190) {
        reloginAfterRefusedToken();
        return;
    }
    if (error->code() != -999) {
        sendDidFailWithError(error);
        return;
    }
    // A load interrupted by the next one ends the share without a word.
    letGo();
}

void SHKFacebook::reloginAfterRefusedToken()
{
    // The token expired or was revoked. The stored copy is that same token: kept, it would count as a
    // sign-in again, so it goes before the framework signs in anew and sends again.
    flushAccessToken();
    shouldReloginWithPendingAction(SHKAwaitResend);
}

// MARK: Requests

bool SHKFacebook::respondsTo(FBRequestDelegate::Operation operation) const
{
    return operation == FBRequestDelegate::Operation::RequestLoading ||
           operation == FBRequestDelegate::Operation::DidLoad ||
           operation == FBRequestDelegate::Operation::DidFailWithError;
}

void SHKFacebook::requestLoading(FBRequest&)
{
    sendDidStart();
}

void SHKFacebook::requestDidLoad(FBRequest& request, const ns::Id& result)
{
    auto me = self<SHKFacebook>();
    auto profile = ns::cast<ns::Dictionary>(result);
    if (ns::hasSuffix(request.url(), "/me") && profile && profile->objectForKey("id")) {
        auto converted = profile->mutableCopy();
        convertNSNullsToEmptyStrings(*converted);
        auto defaults = ns::UserDefaults::standard();
        defaults->setObject(converted, UserInfoKey);
        defaults->synchronize();
    }
    sendDidFinish();
}

void SHKFacebook::requestDidFailWithError(FBRequest&, const ns::Ref<ns::Error>& error)
{
    auto me = self<SHKFacebook>();
    int code = 0;
    if (error->domain() == FBErrorDomain && error->userInfo()) {
        if (auto inner = error->userInfo()->objectAs<ns::Dictionary>("error")) {
            if (auto number = ns::cast<ns::Number>(inner->objectForKey("code")))
                code = number->intValue();
            else if (auto text = inner->stringForKey("code"))
                code = ns::intValue(*text);
        }
    }
    if (code == 190) {
        reloginAfterRefusedToken();
        return;
    }
    sendDidFailWithError(error);
}

// MARK: The form

void SHKFacebook::show()
{
    auto shared = item();
    if (shared && (shared->shareType() == SHKShareTypeText || shared->shareType() == SHKShareTypeImage)) {
        showFacebookForm();
        return;
    }
    tryToSend();
}

void SHKFacebook::showFacebookForm()
{
    auto shared = item();
    auto form = SHKCustomFormControllerLargeTextField::create(self<SHKFacebook>());
    if (shared->shareType() == SHKShareTypeImage) {
        form->setImage(shared->image());
        form->setText(shared->title());
    } else {
        form->setText(shared->text());
    }
    navigationBar()->setTintColor(ns::cast<ui::Color>(
        SHKConfiguration::sharedInstance()->configurationValue("barTintForView:", self<SHKFacebook>())));
    pushViewController(form, false);
    SHK::currentHelper()->showViewController(self<SHKFacebook>());
}

void SHKFacebook::sendForm(SHKFormControllerLargeTextField& form)
{
    auto shared = item();
    std::string text = form.textView() ? form.textView()->text() : std::string();
    if (shared->shareType() == SHKShareTypeImage)
        shared->setTitle(text);
    else
        shared->setText(text);
    tryToSend();
}
