#pragma once

#include "foundation/Clock.h"
#include "testing/TemporaryHome.h"
#include "testing/TouchDriver.h"
#include "uikit/AlertView.h"
#include "uikit/Application.h"
#include "uikit/Color.h"
#include "uikit/Responder.h"
#include "uikit/View.h"
#include "uikit/Window.h"

#include <gtest/gtest.h>

// A fresh application on the manual clock in a temporary home, with a visible key window.
class UIFixture : public ::testing::Test
{
protected:
    UIFixture()
    {
        ui::Application::sharedApplication().reset();
        ui::View::clearRecordedAnimations();
        ui::AlertView::clearShownAlerts();
        window = ui::Window::create();
        window->setBackgroundColor(ui::Color::whiteColor());
        window->makeKeyAndVisible();
    }
    ~UIFixture() override
    {
        // A field still being edited would keep the keyboard up into the next test.
        if (auto* responder = ui::Responder::firstResponder())
            responder->resignFirstResponder();
        driver.settle();
        ui::Application::sharedApplication().reset();
    }

    ns::ManualClockScope clock;
    testkit::TemporaryHome home;
    ns::Ref<ui::Window> window;
    ui::TouchDriver driver;
};
