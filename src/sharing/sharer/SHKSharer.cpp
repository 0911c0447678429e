#include "sharing/sharer/SHKSharer.h"

#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Number.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "foundation/URLConnection.h"
#include "foundation/UserDefaults.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKRequest.h"
#include "sharing/sharer/SHKSharerDelegate.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "sharing/ui/SHKFormController.h"
#include "uikit/AlertView.h"

#include <unordered_map>

namespace {

std::string autoShareKey(const std::string& sharerId)
{
    std::string key = sharerId;
    key += "_shouldAutoShare";
    return key;
}

} // namespace

// MARK: Creation and identity

SHKSharer::SHKSharer() : m_shareDelegate(SHKSharerDelegate::create()), m_item(SHKItem::create())
{
    setModalPresentationStyle(SHK::modalPresentationStyle());
    setModalTransitionStyle(SHK::modalTransitionStyle());
}

ns::Ref<SHKSharer> SHKSharer::create()
{
    return setUp(ns::Factory<SHKSharer>::make());
}

ns::Ref<SHKSharer> SHKSharer::sharerWithId(std::string_view sharerId)
{
    return rt::ClassRegistry::shared().createAs<SHKSharer>(sharerId);
}

ns::Ref<SHKSharer> SHKSharer::shareItem(std::string_view sharerClass, const ns::Ref<SHKItem>& item)
{
    auto sharer = sharerWithId(sharerClass);
    if (!sharer || !item)
        return nullptr;
    SHK::pushOnFavorites(sharer->sharerId(), item->shareType());
    sharer->setItem(item);
    sharer->share();
    return sharer;
}

namespace {

ns::Ref<SHKSharer> shareNewItem(std::string_view sharerClass, ns::Ref<SHKItem> item)
{
    auto sharer = SHKSharer::sharerWithId(sharerClass);
    if (!sharer)
        return nullptr;
    sharer->setItem(std::move(item));
    sharer->share();
    return sharer;
}

} // namespace

ns::Ref<SHKSharer> SHKSharer::shareURL(std::string_view sharerClass, const ns::Ref<ns::URL>& url,
                                       std::optional<std::string> title)
{
    return shareNewItem(sharerClass, SHKItem::URL(url, std::move(title)));
}

ns::Ref<SHKSharer> SHKSharer::shareImage(std::string_view sharerClass, const ns::Ref<ui::Image>& image,
                                         std::optional<std::string> title)
{
    return shareNewItem(sharerClass, SHKItem::image(image, std::move(title)));
}

ns::Ref<SHKSharer> SHKSharer::shareText(std::string_view sharerClass, const std::string& text)
{
    return shareNewItem(sharerClass, SHKItem::text(text));
}

ns::Ref<SHKSharer> SHKSharer::shareFile(std::string_view sharerClass, const ns::Ref<ns::Data>& data,
                                        std::optional<std::string> filename,
                                        std::optional<std::string> mimeType, std::optional<std::string> title)
{
    return shareNewItem(sharerClass,
                        SHKItem::file(data, std::move(filename), std::move(mimeType), std::move(title)));
}

ns::Ref<SHKSharer> SHKSharer::getUserInfo(std::string_view sharerClass)
{
    auto item = SHKItem::create();
    item->setShareType(SHKShareTypeAccountInfo);
    return shareNewItem(sharerClass, std::move(item));
}

const SHKSharerClass& SHKSharer::sharerClass() const
{
    std::lock_guard lock(m_mutex);
    if (!m_sharerClass) {
        std::string name = className();
        m_sharerClass = SHKSharerClass::named(name);
        if (!m_sharerClass) {
            // An unregistered sharer answers as the base under its own name.
            auto answers = std::make_shared<SHKSharerClass>();
            answers->setClassName(name);
            m_sharerClass = std::move(answers);
        }
    }
    return *m_sharerClass;
}

// Lives here rather than with the class-level answers, since it makes a sharer.
bool SHKSharerClass::isServiceAuthorized() const
{
    auto sharer = SHKSharer::sharerWithId(className());
    return sharer && sharer->isAuthorized();
}

// MARK: Fields

void SHKSharer::loadItem(const ns::Ref<SHKItem>& item)
{
    if (item)
        SHK::pushOnFavorites(sharerId(), item->shareType());
    setItem(item);
}

// MARK: Keeping alive

namespace {

// The sharers waiting for a report or a sign-in, held by the process rather than by themselves: a sharer
// the user never comes back to (a sign-in left in the browser) is still one the process knows of at exit,
// not a cycle nothing reaches.
struct HeldSharers
{
    std::mutex mutex;
    std::unordered_multimap<const SHKSharer*, ns::Ref<SHKSharer>> holds;
};

HeldSharers& heldSharers()
{
    static auto* held = new HeldSharers; // never destroyed: a hold may end while the process ends
    return *held;
}

void hold(const ns::Ref<SHKSharer>& sharer)
{
    auto& held = heldSharers();
    std::lock_guard lock(held.mutex);
    held.holds.emplace(sharer.get(), sharer);
}

// Ends one hold of `sharer` once the run loop turns: the caller may be the sharer's own code further up
// the stack, and the last reference must not go under it.
void release(const SHKSharer* sharer)
{
    ns::Ref<SHKSharer> last;
    {
        auto& held = heldSharers();
        std::lock_guard lock(held.mutex);
        auto found = held.holds.find(sharer);
        if (found == held.holds.end())
            return;
        last = std::move(found->second);
        held.holds.erase(found);
    }
    ns::RunLoop::main().post([hold = std::move(last)] {});
}

} // namespace

void SHKSharer::keepAlive()
{
    if (m_keepAlive.exchange(true))
        return;
    hold(self<SHKSharer>());
}

void SHKSharer::letGo()
{
    if (!m_keepAlive.exchange(false))
        return;
    m_sending = false;
    release(this);
}

void SHKSharer::holdForSignIn()
{
    if (m_signInHold.exchange(true))
        return;
    hold(self<SHKSharer>());
}

void SHKSharer::signInDidEnd()
{
    if (m_signInHold.exchange(false))
        release(this);
}

// MARK: Starting a share

// While one lives, what the sharer reads of its login values is kept: a share checks the login and then
// sends it, and the keychain need not be asked twice for the same value.
struct SHKSharer::CredentialsRead
{
    explicit CredentialsRead(SHKSharer& sharer) : sharer(sharer)
    {
        std::lock_guard lock(sharer.m_credentialsMutex);
        ++sharer.m_credentialsReads;
    }
    ~CredentialsRead()
    {
        std::lock_guard lock(sharer.m_credentialsMutex);
        if (--sharer.m_credentialsReads == 0)
            sharer.m_credentials.clear();
    }
    CredentialsRead(const CredentialsRead&) = delete;
    CredentialsRead& operator=(const CredentialsRead&) = delete;
    SHKSharer& sharer;
};

std::optional<std::string> SHKSharer::storedCredential(const std::string& key) const
{
    std::lock_guard lock(m_credentialsMutex);
    if (m_credentialsReads == 0)
        return SHK::getAuthValueForKey(key, sharerId());
    auto found = m_credentials.find(key);
    if (found == m_credentials.end())
        found = m_credentials.emplace(key, SHK::getAuthValueForKey(key, sharerId())).first;
    return found->second;
}

void SHKSharer::share()
{
    CredentialsRead credentials(*this);
    keepAlive();
    if (!authorize()) {
        setPendingAction(SHKAwaitShare);
        return;
    }
    if (SHKConfiguration::boolValue("allowAutoShare") && shouldAutoShare() && tryToSend())
        return;
    show();
}

// MARK: Authorisation

bool SHKSharer::authorize()
{
    if (isAuthorized())
        return true;
    promptAuthorization();
    return false;
}

bool SHKSharer::isAuthorized()
{
    if (!sharerClass().requiresAuthentication())
        return true;
    for (const auto& row : authorizationFormFields())
        if (row && row->key() && storedCredential(*row->key()))
            return true;
    return false;
}

void SHKSharer::promptAuthorization()
{
    if (!sharerClass().shareRequiresInternetConnection() || SHK::connected()) {
        authorizationFormShow();
        return;
    }
    if (!quiet())
        showOfflineAlert("You must be online to login to %@");
    // Nothing follows and nothing will report: the share has ended here.
    letGo();
}

void SHKSharer::authorizationFormShow()
{
    auto form = SHKCustomFormController::create(ui::TableViewStyle::Grouped, SHKLookupLocalizedText("Login"),
                                                SHKLookupLocalizedText("Login"));
    form->addSection(authorizationFormFields(), std::nullopt, authorizationFormCaption());
    form->setDelegate(self<SHKSharer>());
    form->setValidateSelector(SHKFormController::selector(&SHKSharer::authorizationFormValidate));
    form->setSaveSelector(SHKFormController::selector(&SHKSharer::authorizationFormSave));
    form->setCancelSelector(SHKFormController::selector(&SHKSharer::authorizationFormCancel));
    form->setAutoSelect(true);
    pushForm(form);
}

std::vector<ns::Ref<SHKFormFieldSettings>> SHKSharer::authorizationFormFields() const
{
    return sharerClass().authorizationFormFields();
}

std::optional<std::string> SHKSharer::authorizationFormCaption() const
{
    return sharerClass().authorizationFormCaption();
}

std::optional<std::string> SHKSharer::getAuthValueForKey(const std::string& key) const
{
    return storedCredential(key);
}

void SHKSharer::authorizationFormValidate(SHKFormController&)
{
}

void SHKSharer::authorizationFormSave(SHKFormController& form)
{
    auto values = form.formValues();
    std::string id = sharerId();
    {
        std::lock_guard lock(m_credentialsMutex);
        m_credentials.clear(); // what was read before is not what is stored now
    }
    if (!form.sections().empty()) {
        for (const auto& row : form.sections().front().rows) {
            if (!row || !row->key())
                continue;
            // A row left empty stores nothing.
            if (auto value = values->stringForKey(*row->key()))
                SHK::setAuthValue(*value, *row->key(), id);
        }
    }
    tryPendingAction();
}

void SHKSharer::authorizationFormCancel(SHKFormController&)
{
    // A check of the values still under way ends here: its late answer must not save the closed form
    // (storing what the user took back) nor resume the share.
    if (pendingForm()) {
        setPendingForm(nullptr);
        if (auto check = request()) {
            check->setDelegate(nullptr);
            if (auto connection = check->connection())
                connection->cancel();
            setRequest(nullptr);
        }
        SHKActivityIndicator::currentIndicator()->hide();
    }
    sendDidCancel();
}

// MARK: Auto-share

bool SHKSharer::shouldAutoShare()
{
    return ns::UserDefaults::standard()->boolForKey(autoShareKey(sharerId()));
}

void SHKSharer::setShouldAutoShare(bool shouldAutoShare)
{
    auto defaults = ns::UserDefaults::standard();
    defaults->setBool(shouldAutoShare, autoShareKey(sharerId()));
    defaults->synchronize();
}

// MARK: The share form

void SHKSharer::show()
{
    auto item = this->item();
    auto rows = shareFormFieldsForType(item ? item->shareType() : SHKShareTypeUndefined);
    if (!rows) {
        tryToSend();
        return;
    }
    auto form = SHKCustomFormController::create(ui::TableViewStyle::Grouped, std::nullopt,
                                                SHKFormatLocalizedText("Send to %@", sharerTitle()));
    std::optional<std::string> footer;
    if (item && item->URL())
        footer = item->URL()->absoluteString();
    form->addSection(std::move(*rows), std::nullopt, footer);
    if (SHKConfiguration::boolValue("allowAutoShare") && sharerClass().canAutoShare()) {
        auto autoShare = SHKFormFieldSettings::label(SHKLookupLocalizedText("Auto Share"), "autoShare",
                                                     SHKFormFieldTypeSwitch, shouldAutoShare() ? "1" : "0");
        form->addSection({autoShare}, std::nullopt,
                         SHKLookupLocalizedText("Enable auto share to skip this step in the future."));
    }
    form->setDelegate(self<SHKSharer>());
    form->setValidateSelector(SHKFormController::selector(&SHKSharer::shareFormValidate));
    form->setSaveSelector(SHKFormController::selector(&SHKSharer::shareFormSave));
    form->setCancelSelector(SHKFormController::selector(&SHKSharer::shareFormCancel));
    pushForm(form);
}

std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>> SHKSharer::shareFormFieldsForType(SHKShareType type)
{
    if (type != SHKShareTypeURL)
        return std::nullopt;
    auto item = this->item();
    return std::vector<ns::Ref<SHKFormFieldSettings>>{SHKFormFieldSettings::label(
        SHKLookupLocalizedText("Title"), "title", SHKFormFieldTypeText, item ? item->title() : std::nullopt)};
}

void SHKSharer::shareFormValidate(SHKFormController& form)
{
    form.saveForm();
}

void SHKSharer::shareFormSave(SHKFormController& form)
{
    updateItemWithForm(form);
    if (SHKConfiguration::boolValue("allowAutoShare") && sharerClass().canAutoShare()) {
        if (auto value = form.formValuesForSection(1)->stringForKey("autoShare"))
            setShouldAutoShare(*value == "1");
    }
    tryToSend();
}

void SHKSharer::shareFormCancel(SHKFormController&)
{
    sendDidCancel();
}

void SHKSharer::updateItemWithForm(SHKFormController& form)
{
    auto item = this->item();
    if (!item)
        return;
    for (const auto& [key, value] : form.formValues()->entries()) {
        auto name = ns::cast<ns::String>(key);
        if (!name)
            continue;
        auto text = ns::cast<ns::String>(value);
        std::optional<std::string> content = text ? std::optional<std::string>(text->str()) : std::nullopt;
        if (name->str() == "title")
            item->setTitle(content);
        else if (name->str() == "text")
            item->setText(content);
        else if (name->str() == "tags")
            item->setTags(content);
        else
            item->setCustomValue(value, name->str());
    }
}

void SHKSharer::pushForm(const ns::Ref<SHKFormController>& form)
{
    pushViewController(form, false);
    SHK::currentHelper()->showViewController(self<SHKSharer>());
}

void SHKSharer::showOfflineAlert(const std::string& format)
{
    ui::AlertView::create(SHKLookupLocalizedText("Offline"), SHKFormatLocalizedText(format, sharerTitle()),
                          nullptr, SHKLookupLocalizedText("Close"))
        ->show();
}

// MARK: Sending

bool SHKSharer::validateItem()
{
    auto item = this->item();
    if (!item)
        return false;
    switch (item->shareType()) {
    case SHKShareTypeURL:
        return item->URL() != nullptr;
    case SHKShareTypeText:
        return item->text().has_value();
    case SHKShareTypeImage:
        return item->image() != nullptr;
    case SHKShareTypeFile:
        return item->data() != nullptr;
    case SHKShareTypeAccountInfo:
        return sharerClass().canGetUserInfo();
    default:
        return false;
    }
}

bool SHKSharer::tryToSend()
{
    CredentialsRead credentials(*this);
    keepAlive();
    if (!sharerClass().shareRequiresInternetConnection() || SHK::connected()) {
        bool started = send();
        // A send that did not start reports nothing.
        if (!started)
            letGo();
        else if (m_keepAlive)
            m_sending = true;
        return started;
    }
    // Queued or refused: no report follows.
    letGo();
    if (SHKConfiguration::boolValue("allowOffline") && sharerClass().canShareOffline()) {
        if (SHK::addToOfflineQueue(item(), sharerId())) {
            // The form closes: the user hears where the share went.
            if (!quiet())
                showOfflineAlert("You are offline. The share to %@ was kept and will be sent when you are "
                                 "back online.");
            return true;
        }
        // Nothing reached the disk: the user hears that the share needs the network after all.
    }
    if (quiet())
        return false;
    showOfflineAlert("You must be online in order to share with %@");
    return true;
}

bool SHKSharer::send()
{
    return false;
}

void SHKSharer::tryPendingAction()
{
    SHKSharerPendingAction action = pendingAction();
    switch (action) {
    case SHKAwaitShare:
        // Cleared before acting, so that an action the share sets again (another login) is kept.
        setPendingAction(SHKAwaitNothing);
        share();
        break;
    case SHKAwaitTokenRefresh:
    case SHKAwaitResend:
        setPendingAction(SHKAwaitNothing);
        tryToSend();
        break;
    default:
        break;
    }
}

// MARK: Reports

void SHKSharer::sendDidStart()
{
    auto me = self<SHKSharer>();
    ns::NotificationCenter::defaultCenter().postNotification(SHKSendDidStartNotification, me);
    if (auto delegate = m_shareDelegate)
        delegate->sharerStartedSending(*this);
}

void SHKSharer::sendDidFinish()
{
    auto me = self<SHKSharer>();
    ns::NotificationCenter::defaultCenter().postNotification(SHKSendDidFinishNotification, me);
    letGo();
    if (auto delegate = m_shareDelegate)
        delegate->sharerFinishedSending(*this);
}

void SHKSharer::sendDidFailWithError(const ns::Ref<ns::Error>& error, bool shouldRelogin)
{
    auto me = self<SHKSharer>();
    setLastError(error);
    ns::NotificationCenter::defaultCenter().postNotification(SHKSendDidFailWithErrorNotification, me);
    letGo();
    if (auto delegate = m_shareDelegate)
        delegate->sharerFailedWithError(*this, error, shouldRelogin);
}

void SHKSharer::sendDidCancel()
{
    auto me = self<SHKSharer>();
    ns::NotificationCenter::defaultCenter().postNotification(SHKSendDidCancelNotification, me);
    letGo();
    if (auto delegate = m_shareDelegate)
        delegate->sharerCancelledSending(*this);
}

void SHKSharer::authDidFinish(bool success)
{
    auto me = self<SHKSharer>();
    auto info = ns::Dictionary::withStrings({{"success", ns::Number::numberWithBool(success)}});
    ns::NotificationCenter::defaultCenter().postNotification(SHKAuthDidFinishNotification, me, info);
    // The sign-in is over. A refused one ends the share; a good one has resumed it (or is about to),
    // holding the sharer anew.
    signInDidEnd();
    if (!success)
        letGo();
    if (auto delegate = m_shareDelegate)
        delegate->sharerAuthDidFinish(*this, success);
}

void SHKSharer::shouldReloginWithPendingAction(SHKSharerPendingAction action)
{
    setPendingAction(action);
    sendDidFailWithError(
        SHK::errorWithDescription(SHKLookupLocalizedText("Could not authenticate you. Please relogin.")),
        true);
}

// MARK: Presentation

void SHKSharer::viewDidDisappear(bool animated)
{
    ui::NavigationController::viewDidDisappear(animated);
    // A form that went without a report (hidden for another screen) ends the share, unless a send it
    // started is still out.
    if (!m_sending)
        letGo();
    SHK::currentHelper()->viewWasDismissed();
}
