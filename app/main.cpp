// velmo: the simulated phone. Runs the registered application, or a test screen, from a script.
#include "ConfigurationFile.h"
#include "DeviceWindow.h"
#include "Options.h"
#include "Registrations.h"
#include "Script.h"
#include "TestScreen.h"

#include "board/VelmoAppDelegate.h"
#include "foundation/Bundle.h"
#include "foundation/ClassRegistry.h"
#include "foundation/Clock.h"
#include "foundation/Data.h"
#include "foundation/Error.h"
#include "foundation/Exception.h"
#include "foundation/FileManager.h"
#include "foundation/RunLoop.h"
#include "foundation/Sandbox.h"
#include "foundation/TrustedCertificates.h"
#include "foundation/UserDefaults.h"
#include "sharing/core/VelmoSHKConfigurator.h"
#include "system/AddressBook.h"
#include "system/Location.h"
#include "testing/TouchDriver.h"
#include "uikit/Application.h"
#include "uikit/Device.h"
#include "uikit/Image.h"
#include "uikit/Screen.h"
#include "uikit/WebView.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace {

// Copies the address book in beside the device, atomically.
bool installContacts(const std::string& from, std::string& message)
{
    auto content = ns::FileManager::contentsAtPath(from);
    if (!content) {
        message = "cannot read the contacts file \"" + from + "\"";
        return false;
    }
    std::string target = ns::Sandbox::devicePath() + "/Contacts.vcf";
    ns::Ref<ns::Error> error;
    if (!ns::FileManager::writeAtomically(target, *content, &error)) {
        message = "cannot write " + target + ": " + error->localizedDescription();
        return false;
    }
    return true;
}

void describe(const velmo::Options& options, bool registered)
{
    std::cout << "Velmo, a simulated phone\n"
              << "  screen:      320 x 480 points at scale " << options.scale << "\n"
              << "  home:        " << ns::Sandbox::home() << "\n"
              << "  resources:   " << VELMO_RESOURCES << "\n"
              << "  application: " << options.delegate
              << (registered ? "" : " (not registered: the built-in test screen runs instead)") << "\n"
              << "No script was given and no demo script is bundled (" << VELMO_RESOURCES
              << "/demo.script).\n"
              << "Run velmo --help for the script commands.\n";
}

} // namespace

int main(int argc, char** argv)
{
    velmo::Options options;
    std::string message;
    if (!velmo::parseOptions(argc, argv, options, message)) {
        std::cerr << "velmo: " << message << "\n(velmo --help lists the options)\n";
        return 2;
    }
    if (options.help) {
        std::cout << velmo::helpText();
        return 0;
    }
    // Authorities the device trusts beside the system's, for HTTPS servers of the user's own.
    for (const auto& path : options.trustedAuthorities) {
        if (!ns::TrustedCertificates::addFile(path, &message)) {
            std::cerr << "velmo: --trust-ca " << message << "\n";
            return 2;
        }
    }
    if (options.webFromNetwork)
        ui::WebView::setDefaultPageSource(ui::networkPageSource());
    // The device's settings go to the application before it launches; a file that is not a dictionary is
    // a mistake in the command line.
    ns::Ref<ns::Dictionary> settings;
    if (options.config && !velmo::readConfigurationFile(*options.config, settings, message)) {
        std::cerr << "velmo: " << message << "\n";
        return 2;
    }
    if (options.config || options.configKeys) {
        VelmoAppDelegate::setConfigurationOverrides(settings);
        std::vector<std::string> refused;
        auto configurator = VelmoAppDelegate::makeConfigurator(&refused);
        for (const auto& reason : refused)
            std::cerr << "velmo: " << *options.config << ": " << reason << "; ignored\n";
        if (options.configKeys) {
            velmo::listConfigurationKeys(*configurator, std::cout);
            return 0;
        }
    }
    if (options.window && !velmo::displayAvailable()) {
        std::cerr << "velmo: --window needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is set; "
                     "velmo --script FILE runs the device without one\n";
        return 2;
    }
    try {
        ns::RunLoop::main();
        ns::Sandbox::setHome(options.home ? *options.home : ns::Sandbox::defaultHome());
        // A device that was stopped in the middle of a save starts without what the save left behind.
        ns::Sandbox::removeStaleTemporaryFiles();
        if (options.contacts && !installContacts(*options.contacts, message)) {
            std::cerr << "velmo: " << message << "\n";
            return 2;
        }
        // A new device starts with the bundled sample address book.
        std::string contacts = ns::Sandbox::devicePath() + "/Contacts.vcf";
        if (!options.contacts && !std::filesystem::exists(contacts) &&
            !installContacts(std::string(VELMO_RESOURCES) + "/Contacts.vcf", message)) {
            std::cerr << "velmo: " << message << "\n";
            return 2;
        }
        if (options.systemVersion)
            ui::Device::currentDevice()->setSystemVersion(*options.systemVersion);
        if (options.location)
            cl::LocationManager::setDevicePosition(
                cl::LocationCoordinate2D{options.location->first, options.location->second});
        if (options.firstNameOrder)
            ab::AddressBook::setSortOrdering(ab::SortOrdering::ByFirstName);
        ns::Bundle::setMainPath(VELMO_RESOURCES);
        ui::Image::setResourcePath(VELMO_RESOURCES);
        ui::Screen::mainScreen()->setScale(options.scale);
        ui::Device::currentDevice()->setMultitaskingSupported(options.multitasking);
        velmo::registerApplicationClasses();
        bool registered = rt::ClassRegistry::shared().classExists(options.delegate);

        // A person at the window lives on the real clock: the system clock stays.
        if (options.window) {
            velmo::DeviceWindow window(options.scale);
            if (!window.open(std::cerr))
                return 1;
            auto& application = ui::Application::sharedApplication();
            if (!registered || !application.launch(options.delegate))
                application.launchWithDelegate(ns::make<velmo::TestScreenDelegate>());
            int status = window.run();
            ns::UserDefaults::standard()->synchronize();
            return status;
        }

        std::string demo = std::string(VELMO_RESOURCES) + "/demo.script";
        std::ifstream file;
        std::istream* script = nullptr;
        if (options.script && *options.script == "-") {
            script = &std::cin;
        } else {
            std::string path = options.script ? *options.script : demo;
            if (!options.script && !std::filesystem::exists(path)) {
                describe(options, registered);
                return 0;
            }
            file.open(path);
            if (!file) {
                std::cerr << "velmo: cannot read the script \"" << path << "\"\n";
                return 2;
            }
            script = &file;
        }

        // Time in a scripted run is the device's own clock, starting now.
        ns::Clock::setCurrent(std::make_shared<ns::ManualClock>(ns::SystemClock().now()));
        auto& application = ui::Application::sharedApplication();
        if (!registered || !application.launch(options.delegate))
            application.launchWithDelegate(ns::make<velmo::TestScreenDelegate>());

        ui::TouchDriver driver;
        velmo::Script runner(driver, options.shots, options.scale);
        int status = runner.run(*script, std::cout, std::cerr);
        ns::UserDefaults::standard()->synchronize();
        return status;
    } catch (const ns::Exception& e) {
        std::cerr << "velmo: uncaught exception " << e.name() << ": " << e.reason() << "\n";
        return 1;
    }
}
