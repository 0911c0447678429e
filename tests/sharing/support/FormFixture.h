#pragma once

#include "foundation/Bundle.h"
#include "foundation/Clock.h"
#include "sharing/core/DefaultSHKConfigurator.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/support/SharingDevice.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "testing/TemporaryHome.h"
#include "testing/TouchDriver.h"
#include "uikit/AlertView.h"
#include "uikit/Application.h"
#include "uikit/Responder.h"
#include "uikit/ViewController.h"
#include "uikit/Window.h"

#include <gtest/gtest.h>

// A fresh device on the manual clock: a key window whose root controller the facade presents from, the
// framework's texts from the bundled resources and the default configuration, which a test may change
// through `configurator`.
class FormFixture : public ::testing::Test, protected SharingDevice
{
protected:
    FormFixture()
    {
        ui::Application::sharedApplication().reset();
        ui::AlertView::clearShownAlerts();
        SHKForgetLocalizedTextBundle();
        SHKConfiguration::reset();
        SHK::reset();
        SHKActivityIndicator::reset();
        start();
    }
    ~FormFixture() override
    {
        finishInput();
        ui::Application::sharedApplication().setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
        endPresentations();
        SHK::reset();
        SHKActivityIndicator::reset();
        SHKConfiguration::reset();
        ui::Application::sharedApplication().reset();
        // Gone while the home and the clock are still there.
        root = nullptr;
        window = nullptr;
        configurator = nullptr;
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
    ui::TouchDriver driver;
};
