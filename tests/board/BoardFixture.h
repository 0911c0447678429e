#pragma once

#include "board/TouchImageView.h"
#include "board/VelmoViewController.h"
#include "foundation/Clock.h"
#include "foundation/Log.h"
#include "sharing/core/SHKConfiguration.h"
#include "testing/TemporaryHome.h"
#include "testing/TouchDriver.h"
#include "uikit/AlertView.h"
#include "uikit/Application.h"
#include "uikit/Device.h"
#include "uikit/View.h"
#include "uikit/Window.h"

#include <gtest/gtest.h>

// A board on screen in a fresh home, on the manual clock.
class BoardFixture : public ::testing::Test
{
protected:
    BoardFixture()
    {
        ui::Application::sharedApplication().reset();
        SHKConfiguration::reset();
        ui::AlertView::clearShownAlerts();
        ui::Device::currentDevice()->reset();
        window = ui::Window::create();
        window->makeKeyAndVisible();
    }
    ~BoardFixture() override
    {
        // A screen still on its way, or a dismissal waiting for it, ends here rather than in the next test.
        clock.advance(2);
        driver.settle();
        ui::Application::sharedApplication().reset();
        SHKConfiguration::reset();
    }

    ns::Ref<VelmoViewController> showBoard()
    {
        board = VelmoViewController::create();
        window->setRootViewController(board);
        board->view()->layoutIfNeeded();
        return board;
    }

    std::vector<ns::Ref<TouchImageView>> tiles() const
    {
        std::vector<ns::Ref<TouchImageView>> out;
        for (auto& view : board->view()->subviews())
            if (auto tile = ns::cast<TouchImageView>(view))
                out.push_back(tile);
        return out;
    }

    const std::vector<std::string>& opened() const
    {
        return ui::Application::sharedApplication().openedURLs();
    }

    ns::ManualClockScope clock;
    testkit::TemporaryHome home;
    ns::Ref<ui::Window> window;
    ui::TouchDriver driver;
    ns::Ref<VelmoViewController> board;
};
