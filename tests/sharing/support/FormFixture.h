#pragma once

#include "foundation/Bundle.h"
#include "foundation/Clock.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/String.h"
#include "sharing/core/DefaultSHKConfigurator.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/support/SharingDevice.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "system/Location.h"
#include "testing/ClosedPort.h"
#include "testing/TemporaryHome.h"
#include "testing/TouchDriver.h"
#include "uikit/AlertView.h"
#include "uikit/Application.h"
#include "uikit/Device.h"
#include "uikit/Responder.h"
#include "uikit/ViewController.h"
#include "uikit/Window.h"

#include <gtest/gtest.h>

#include <string>

// A fresh device on the manual clock: a key window whose root controller the facade presents from, the
// framework's texts from the bundled resources and the default configuration, which a test may change
// through `configurator`. Every service's address refuses connections until a test points it at its fake:
// a share that goes further than the test expected fails at once instead of reaching the real service.
class FormFixture : public ::testing::Test, protected SharingDevice
{
protected:
    FormFixture()
    {
        resetDevice();
        SHKForgetLocalizedTextBundle();
        SHKConfiguration::reset();
        SHK::reset();
        SHKActivityIndicator::reset();
        start();
        std::string refused = "http://127.0.0.1:" + std::to_string(closedPort.port());
        for (const char* key : ServiceAddressKeys)
            configurator->setValueForKey(key, ns::String::make(refused));
    }
    ~FormFixture() override
    {
        finishInput();
        ui::Application::sharedApplication().setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
        endPresentations();
        SHK::reset();
        SHKActivityIndicator::reset();
        SHKConfiguration::reset();
        resetDevice();
        // Gone while the home and the clock are still there.
        root = nullptr;
        window = nullptr;
        configurator = nullptr;
    }

    // The configuration keys of the services' addresses.
    static constexpr const char* ServiceAddressKeys[] = {
        "facebookGraphURL",   "facebookRestURL",    "facebookDialogURL", "facebookLoginURL",
        "foursquareV2APIURL", "foursquareV2WebURL", "twitterAPIURL",     "twitterImageHostURL",
        "bitLyURL",           "readabilityURL",     "diigoAPIURL",       "pinboardAPIURL",
        "instapaperURL",      "readItLaterURL",     "googleReaderURL",   "googleReaderSecureURL"};

    // What the device keeps across the facade: its windows, alerts, model, position and cookies. Every
    // fake lives on 127.0.0.1, so a cookie an earlier test was given would reach this test's fake.
    static void resetDevice()
    {
        ui::Application::sharedApplication().reset();
        ui::AlertView::clearShownAlerts();
        ui::Device::currentDevice()->reset();
        cl::LocationManager::resetDevice();
        ns::HTTPCookieStorage::shared().deleteAllCookies();
    }

    // Ends typing and lets what is still running (presentations, posted work) end.
    void finishInput()
    {
        if (auto* responder = ui::Responder::firstResponder())
            responder->resignFirstResponder();
        driver.settle();
    }

    // Takes down what the facade still shows and lets every presentation and dismissal under way end:
    // a screen that goes later would tell the next test's facade that its own screen has gone.
    void endPresentations()
    {
        for (int round = 0; round < 3; ++round) {
            SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
            driver.advance(1);
        }
    }

    // Shows a screen through the facade and lets its presentation end.
    void show(const ns::Ref<ui::ViewController>& controller)
    {
        SHK::currentHelper()->showViewController(controller);
        driver.advance(1);
    }

    ns::ManualClockScope clock;
    testkit::TemporaryHome home;
    testkit::ClosedPort closedPort;
    ui::TouchDriver driver;
};
