#pragma once

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/URL.h"
#include "uikit/ApplicationDelegate.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ab {
class AddressBook;
}
namespace ui {
class Window;
}
class Reachability;
class VelmoSHKConfigurator;
class VelmoViewController;

// The application delegate: launches the board, scans the address book in the background and owns the
// window, the board and the scanned contacts.
class VelmoAppDelegate : public ns::Object, public ui::ApplicationDelegate
{
public:
    static ns::Ref<VelmoAppDelegate> create() { return ns::Factory<VelmoAppDelegate>::make(); }

    void applicationDidFinishLaunching(ui::Application& application) override;
    bool applicationHandleOpenURL(ui::Application& application, const ns::Ref<ns::URL>& url) override;
    bool applicationOpenURL(ui::Application& application, const ns::Ref<ns::URL>& url,
                            const std::string& sourceApplication, const ns::Id& annotation) override;

    // The address-book scan: one KPhoneNumber per phone number, people in name order. Runs in the background.
    void loadAllContact();
    // The display form of an address-book phone label.
    static std::string formatLabel(const std::optional<std::string>& label);
    bool handleOpenURL(const ns::Ref<ns::URL>& url);
    // Where the scan reads the people: the device's address book unless tests give another.
    using AddressBookSource = std::function<ns::Ref<ab::AddressBook>()>;
    static void setAddressBookSource(AddressBookSource source);
    // Settings the device was started with (velmo --config FILE): key to value, overriding the
    // configurator's answers from the launch on.
    static void setConfigurationOverrides(ns::Ref<ns::Dictionary> overrides);
    // The sharing configurator the launch installs: this application's, with those settings applied; the
    // reasons for the settings it refuses go to `refused`.
    static ns::Ref<VelmoSHKConfigurator> makeConfigurator(std::vector<std::string>* refused = nullptr);
    // The shared application's delegate.
    static ns::Ref<VelmoAppDelegate> delegate();

    const ns::Ref<VelmoViewController>& viewController() const { return m_viewController; }
    void setViewController(ns::Ref<VelmoViewController> controller)
    {
        m_viewController = std::move(controller);
    }
    const ns::Ref<ui::Window>& mainWindow() const { return m_mainWindow; }
    // Nothing while the scan runs; then the finished, immutable array. Safe from any thread.
    ns::Ref<ns::Array> allContact() const;
    void setAllContact(ns::Ref<ns::Array> contacts);

    std::string className() const override { return "VelmoAppDelegate"; }

protected:
    VelmoAppDelegate() = default;
    friend ns::Factory<VelmoAppDelegate>;

private:
    ns::Ref<VelmoViewController> m_viewController;
    ns::Ref<ui::Window> m_mainWindow;
    ns::Ref<ab::AddressBook> m_addressBook;
    // Watched from the launch on: the shares queued offline go out when the network comes back.
    ns::Ref<Reachability> m_internetReachability;
    mutable std::mutex m_contactsMutex;
    ns::Ref<ns::Array> m_allContact;
};

// Makes the board's classes creatable by name.
void registerBoardClasses();
