#include "UIFixture.h"

#include "foundation/NotificationCenter.h"
#include "testing/TurningController.h"
#include "uikit/Device.h"
#include "uikit/Screen.h"
#include "uikit/ViewController.h"

namespace {

class DeviceTurn : public UIFixture
{
protected:
    ~DeviceTurn() override { ui::Device::currentDevice()->reset(); }
};

using IO = ui::InterfaceOrientation;
using DO = ui::DeviceOrientation;
const std::vector<IO> everyWay = {IO::Portrait, IO::PortraitUpsideDown, IO::LandscapeLeft,
                                  IO::LandscapeRight};

TEST_F(DeviceTurn, TheStatusBarFollowsWhenTheFrontmostScreenAllowsIt)
{
    struct Row
    {
        const char* name;
        std::vector<IO> rootAllows;
        std::vector<IO> modalAllows; // empty: nothing presented
        DO turn;
        IO statusBar;
    } rows[] = {
        {"left turns the interface right", everyWay, {}, DO::LandscapeLeft, IO::LandscapeRight},
        {"right turns it left", everyWay, {}, DO::LandscapeRight, IO::LandscapeLeft},
        {"upside down", everyWay, {}, DO::PortraitUpsideDown, IO::PortraitUpsideDown},
        {"a portrait screen stays", {IO::Portrait}, {}, DO::LandscapeLeft, IO::Portrait},
        {"face up keeps the last", everyWay, {}, DO::FaceUp, IO::Portrait},
        {"the presented screen decides", everyWay, {IO::Portrait}, DO::LandscapeLeft, IO::Portrait},
        {"a presented screen that turns", {IO::Portrait}, everyWay, DO::LandscapeRight, IO::LandscapeLeft},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto& application = ui::Application::sharedApplication();
        application.setStatusBarOrientation(IO::Portrait);
        auto root = testkit::TurningController::create(row.rootAllows);
        window->setRootViewController(root);
        if (!row.modalAllows.empty())
            root->presentModalViewController(testkit::TurningController::create(row.modalAllows), false);
        ns::NotificationRecorder turned(ui::DeviceOrientationDidChangeNotification);
        IO seenByObserver = IO::Portrait;
        ns::NotificationCenter::defaultCenter().addObserver(
            this, ui::DeviceOrientationDidChangeNotification, nullptr,
            [&](const ns::Notification&) { seenByObserver = application.statusBarOrientation(); });

        ui::Device::currentDevice()->turnTo(row.turn);
        ns::NotificationCenter::defaultCenter().removeObserver(this);
        EXPECT_EQ(ui::Device::currentDevice()->orientation(), row.turn);
        EXPECT_EQ(application.statusBarOrientation(), row.statusBar);
        ASSERT_EQ(turned.notifications().size(), 1u);
        EXPECT_EQ(turned.notifications()[0]->object(), ui::Device::currentDevice());
        // Observers find the status bar already turned.
        EXPECT_EQ(seenByObserver, row.statusBar);
        if (!row.modalAllows.empty())
            root->dismissModalViewControllerAnimated(false);
    }
}

} // namespace

TEST_F(DeviceTurn, TheScreenFollowsTheDevicesIdiom)
{
    struct Row
    {
        const char* name;
        ui::UserInterfaceIdiom idiom;
        IO statusBar;
        cg::Rect bounds;
        cg::Rect applicationFrame;
    } rows[] = {
        {"phone upright", ui::UserInterfaceIdiom::Phone, IO::Portrait, cg::makeRect(0, 0, 320, 480),
         cg::makeRect(0, 20, 320, 460)},
        {"tablet upright", ui::UserInterfaceIdiom::Pad, IO::Portrait, cg::makeRect(0, 0, 768, 1024),
         cg::makeRect(0, 20, 768, 1004)},
        {"tablet landscape left", ui::UserInterfaceIdiom::Pad, IO::LandscapeLeft,
         cg::makeRect(0, 0, 768, 1024), cg::makeRect(20, 0, 748, 1024)},
    };
    auto& application = ui::Application::sharedApplication();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui::Device::currentDevice()->setUserInterfaceIdiom(row.idiom);
        application.setStatusBarOrientation(row.statusBar);
        EXPECT_EQ(ui::Screen::mainScreen()->bounds(), row.bounds);
        EXPECT_EQ(ui::Screen::mainScreen()->applicationFrame(), row.applicationFrame);
        EXPECT_EQ(ui::Application::screenBounds(), row.bounds);
    }
    application.setStatusBarOrientation(IO::Portrait);
}
