#include "board/VelmoAppDelegate.h"

#include "board/EditTouchImageViewController.h"
#include "board/KPhoneNumber.h"
#include "board/PeopleListViewController.h"
#include "board/RatingPrompt.h"
#include "board/VelmoViewController.h"
#include "foundation/ClassRegistry.h"
#include "foundation/Format.h"
#include "foundation/Log.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Text.h"
#include "foundation/Thread.h"
#include "foundation/Unicode.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/VelmoSHKConfigurator.h"
#include "sharing/reachability/Reachability.h"
#include "system/AddressBook.h"
#include "uikit/Application.h"
#include "uikit/Color.h"
#include "uikit/Screen.h"
#include "uikit/Window.h"
#include "webservices/sharers/facebook/SHKFacebook.h"

#include <algorithm>
#include <exception>

namespace {

std::mutex g_sourceMutex;
VelmoAppDelegate::AddressBookSource g_source;
ns::Ref<ns::Dictionary> g_configurationOverrides;

} // namespace

void VelmoAppDelegate::setAddressBookSource(AddressBookSource source)
{
    std::lock_guard lock(g_sourceMutex);
    g_source = std::move(source);
}

void VelmoAppDelegate::setConfigurationOverrides(ns::Ref<ns::Dictionary> overrides)
{
    std::lock_guard lock(g_sourceMutex);
    g_configurationOverrides = std::move(overrides);
}

ns::Ref<VelmoSHKConfigurator> VelmoAppDelegate::makeConfigurator(std::vector<std::string>* refused)
{
    ns::Ref<ns::Dictionary> overrides;
    {
        std::lock_guard lock(g_sourceMutex);
        overrides = g_configurationOverrides;
    }
    auto configurator = VelmoSHKConfigurator::create();
    if (overrides) {
        auto reasons = configurator->applyOverrides(*overrides);
        if (refused)
            *refused = std::move(reasons);
    }
    return configurator;
}

void VelmoAppDelegate::applicationDidFinishLaunching(ui::Application&)
{
    // The order matters: the scan and the launch count start before anything is on screen.
    auto self = this->self<VelmoAppDelegate>();
    ns::Thread::detach([self] { self->loadAllContact(); });
    RatingPrompt::appLaunched();

    m_mainWindow = ui::Window::create();
    m_mainWindow->setFrame(ui::Screen::mainScreen()->bounds());
    m_mainWindow->setBackgroundColor(ui::Color::whiteColor());

    // Installed once, before the board exists: everything that shares asks it from then on.
    SHKConfiguration::sharedInstanceWithConfigurator(makeConfigurator());

    // Shares queued while the device was offline go out now when it is online, and again whenever the
    // network comes back; an entry already on its way is not started twice.
    SHK::flushOfflineQueue();
    m_internetReachability = Reachability::reachabilityForInternetConnection();
    if (m_internetReachability) {
        // Registered for the life of the process, as the delegate is: the notification center may be gone
        // before the delegate at exit. A reachability that has gone posts nothing.
        auto* watched = m_internetReachability.get();
        ns::NotificationCenter::defaultCenter().addObserver(watched, kReachabilityChangedNotification,
                                                            watched, [](const ns::Notification&) {
                                                                if (SHK::connected())
                                                                    SHK::flushOfflineQueue();
                                                            });
        m_internetReachability->startNotifier();
    }

    m_viewController = VelmoViewController::create();
    m_mainWindow->addSubview(m_viewController->view());
    m_mainWindow->makeKeyAndVisible();
}

void VelmoAppDelegate::loadAllContact()
{
    setAllContact(nullptr);
    std::vector<ns::Id> records;
    AddressBookSource source;
    {
        std::lock_guard lock(g_sourceMutex);
        source = g_source;
    }
    auto book = source ? source() : ab::AddressBook::create();
    if (book) {
        auto people = book->allPeople();
        auto ordering = ab::AddressBook::sortOrdering();
        std::stable_sort(people.begin(), people.end(), [ordering](const auto& a, const auto& b) {
            return ab::AddressBook::comparePeopleByName(*a, *b, ordering) < 0;
        });
        for (const auto& listed : people) {
            try {
                auto person = book->personWithRecordID(listed->recordID());
                if (!person)
                    continue;
                auto phones = person->phoneNumbers();
                std::vector<ns::Id> numbers;
                for (std::size_t j = 0; j < phones.size(); ++j) {
                    auto record = KPhoneNumber::create();
                    record->setContact(person);
                    record->setFirstName(person->firstName());
                    record->setLastName(person->lastName());
                    record->setOrganization(person->organization());
                    record->setType(formatLabel(phones[j].label));
                    record->setPhone(phones[j].value);
                    record->setPosition(static_cast<int>(j));
                    numbers.push_back(record);
                }
                records.insert(records.end(), numbers.begin(), numbers.end());
            } catch (...) {
                ns::log("exception !");
            }
        }
    }
    {
        std::lock_guard lock(m_contactsMutex);
        m_addressBook = book;
    }
    setAllContact(ns::Array::make(std::move(records)));
}

std::string VelmoAppDelegate::formatLabel(const std::optional<std::string>& label)
{
    std::string text = label.value_or("");
    std::string result = text;
    std::size_t length = ns::utf16Length(text);
    if (length > 9 && ns::utf16Prefix(text, 4) == "_$!<")
        result = ns::utf16Substring(text, 4, length - 8);
    if (result == ab::PhoneIPhoneLabel)
        return result;
    return ns::lowercase(result);
}

bool VelmoAppDelegate::handleOpenURL(const ns::Ref<ns::URL>& url)
{
    // The social network's sign-in comes back to "fb" followed by the application id; every other address
    // is accepted and ignored.
    std::string prefix =
        ns::format("fb%@", SHKConfiguration::sharedInstance()->configurationValue("facebookAppId"));
    if (url && url->scheme() && ns::hasPrefix(*url->scheme(), prefix))
        return SHKFacebook::handleOpenURL(url);
    return true;
}

bool VelmoAppDelegate::applicationHandleOpenURL(ui::Application&, const ns::Ref<ns::URL>& url)
{
    return handleOpenURL(url);
}

bool VelmoAppDelegate::applicationOpenURL(ui::Application&, const ns::Ref<ns::URL>& url, const std::string&,
                                          const ns::Id&)
{
    return handleOpenURL(url);
}

ns::Ref<VelmoAppDelegate> VelmoAppDelegate::delegate()
{
    return std::dynamic_pointer_cast<VelmoAppDelegate>(ui::Application::sharedApplication().delegate());
}

ns::Ref<ns::Array> VelmoAppDelegate::allContact() const
{
    std::lock_guard lock(m_contactsMutex);
    return m_allContact;
}

void VelmoAppDelegate::setAllContact(ns::Ref<ns::Array> contacts)
{
    std::lock_guard lock(m_contactsMutex);
    m_allContact = std::move(contacts);
}

void registerBoardClasses()
{
    rt::ClassRegistry::shared().registerClass<VelmoAppDelegate>("VelmoAppDelegate");
}
