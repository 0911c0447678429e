#pragma once

#include "foundation/Bundle.h"
#include "foundation/Clock.h"
#include "foundation/Random.h"
#include "sharing/core/DefaultSHKConfigurator.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/support/TestSharer.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "system/Reachability.h"
#include "testing/TemporaryHome.h"
#include "testing/TouchDriver.h"
#include "uikit/AlertView.h"
#include "uikit/Application.h"
#include "uikit/Responder.h"
#include "uikit/ViewController.h"
#include "uikit/Window.h"

#include <gtest/gtest.h>

// A fresh device to share on, on the manual clock with a repeatable random source: online, a key window
// whose root controller the facade presents from, the framework's texts from the bundled resources, the
// default configuration (a test may change it through `configurator`) and TestSharer registered with its
// default answers.
class SharerFixture : public ::testing::Test
{
protected:
    SharerFixture()
    {
        ui::Application::sharedApplication().reset();
        ui::AlertView::clearShownAlerts();
        ns::Bundle::setMainPath(VELMO_RESOURCES);
        SHKForgetLocalizedTextBundle();
        SHKConfiguration::reset();
        SHK::reset();
        SHKActivityIndicator::reset();
        net::Reachability::setNetworkOn(true);
        configurator = DefaultSHKConfigurator::create();
        SHKConfiguration::sharedInstanceWithConfigurator(configurator);
        window = ui::Window::create();
        window->makeKeyAndVisible();
        root = ui::ViewController::create();
        window->setRootViewController(root);
        SHK::setRootViewController(root);
        TestSharer::registerClass();
    }
    ~SharerFixture() override
    {
        if (auto* responder = ui::Responder::firstResponder())
            responder->resignFirstResponder();
        driver.settle();
        TestSharer::unregisterClass();
        TestSharer::sentItems().clear();
        net::Reachability::setOverride(std::nullopt);
        SHK::reset();
        SHKActivityIndicator::reset();
        SHKConfiguration::reset();
        ui::Application::sharedApplication().reset();
    }

    // Sets a configuration key for this test.
    void configure(std::string_view key, ns::Id value)
    {
        configurator->setValueForKey(key, std::move(value));
    }
    // Lets presentations, dismissals and posted work end.
    void settle() { driver.advance(1); }

    ns::ManualClockScope clock;
    ns::RandomScope random;
    testkit::TemporaryHome home;
    ns::Ref<DefaultSHKConfigurator> configurator;
    ns::Ref<ui::Window> window;
    ns::Ref<ui::ViewController> root;
    ui::TouchDriver driver;
};
