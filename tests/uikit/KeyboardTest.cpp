#include "UIFixture.h"

#include "foundation/Dictionary.h"
#include "foundation/NotificationCenter.h"
#include "testing/TurningController.h"
#include "uikit/Keyboard.h"
#include "uikit/NavigationBar.h"
#include "uikit/NavigationController.h"
#include "uikit/Screen.h"
#include "uikit/TextView.h"
#include "uikit/ViewController.h"

#include <string>
#include <vector>

namespace {

class Interface : public UIFixture
{
protected:
    // A keyboard left up by an earlier test in the same process would swallow the first show.
    Interface() { ui::Keyboard::hide(); }
    ~Interface() override
    {
        if (auto* responder = ui::Responder::firstResponder())
            responder->resignFirstResponder();
        ui::Application::sharedApplication().setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
    }
};

struct Turn
{
    const char* name;
    ui::InterfaceOrientation orientation;
    cg::Rect applicationFrame;
    cg::Rect keyboard;       // shown, in the screen's coordinates
    cg::Rect keyboardHidden; // just beyond the interface's bottom edge
    cg::Size interface;      // the bounds of a controller's view on the window
    cg::Point rootOrigin;    // where that view's top left corner lies on the screen
    cg::Point contentOrigin; // the same for a navigation controller's top view, below the bar
};

const Turn Turns[] = {
    {"portrait",
     ui::InterfaceOrientation::Portrait,
     cg::makeRect(0, 20, 320, 460),
     cg::makeRect(0, 264, 320, 216),
     cg::makeRect(0, 480, 320, 216),
     {320, 460},
     {0, 20},
     {0, 64}},
    {"upside down",
     ui::InterfaceOrientation::PortraitUpsideDown,
     cg::makeRect(0, 0, 320, 460),
     cg::makeRect(0, 0, 320, 216),
     cg::makeRect(0, -216, 320, 216),
     {320, 460},
     {320, 460},
     {320, 416}},
    {"landscape left",
     ui::InterfaceOrientation::LandscapeLeft,
     cg::makeRect(20, 0, 300, 480),
     cg::makeRect(158, 0, 162, 480),
     cg::makeRect(320, 0, 162, 480),
     {480, 300},
     {20, 480},
     {64, 480}},
    {"landscape right",
     ui::InterfaceOrientation::LandscapeRight,
     cg::makeRect(0, 0, 300, 480),
     cg::makeRect(0, 0, 162, 480),
     cg::makeRect(-162, 0, 162, 480),
     {480, 300},
     {300, 0},
     {256, 0}},
};

std::optional<cg::Rect> frameOf(const ns::Notification& n, const char* key)
{
    return ui::Keyboard::frameFromUserInfo(n.userInfo().get(), key);
}

} // namespace

TEST_F(Interface, TheInterfaceAndTheKeyboardTurnWithTheStatusBar)
{
    auto& application = ui::Application::sharedApplication();
    auto top = ui::ViewController::create();
    auto navigation = ui::NavigationController::create(top);
    window->setRootViewController(navigation);
    for (const auto& row : Turns) {
        SCOPED_TRACE(row.name);
        application.setStatusBarOrientation(row.orientation);
        EXPECT_EQ(application.applicationFrame(), row.applicationFrame);
        EXPECT_EQ(ui::Screen::mainScreen()->applicationFrame(), row.applicationFrame);
        EXPECT_EQ(ui::Keyboard::frame(), row.keyboard);
        EXPECT_EQ(ui::Keyboard::hiddenFrame(), row.keyboardHidden);

        auto root = navigation->view();
        EXPECT_EQ(root->bounds().size, row.interface);
        EXPECT_EQ(root->frame(), row.applicationFrame);
        EXPECT_EQ(root->convertPointToView(cg::makePoint(0, 0), nullptr), row.rootOrigin);
        // The bar keeps the top of the interface and the content fills the rest.
        EXPECT_EQ(navigation->navigationBar()->frame(), cg::makeRect(0, 0, row.interface.width, 44));
        auto content = top->view();
        EXPECT_EQ(content->frame(), cg::makeRect(0, 44, row.interface.width, row.interface.height - 44));
        EXPECT_EQ(content->convertPointToView(cg::makePoint(0, 0), nullptr), row.contentOrigin);
    }
}

TEST_F(Interface, TurningWithTheKeyboardUpBringsItDownAndUpAgainAtItsNewPlace)
{
    auto controller = ui::ViewController::create();
    window->setRootViewController(controller);
    auto text = ui::TextView::create(cg::makeRect(0, 0, 320, 200));
    controller->view()->addSubview(text);
    for (const auto& row : Turns) {
        SCOPED_TRACE(row.name);
        auto& application = ui::Application::sharedApplication();
        application.setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
        ns::NotificationRecorder recorder;
        ASSERT_TRUE(text->becomeFirstResponder());
        application.setStatusBarOrientation(row.orientation);
        text->resignFirstResponder();
        auto seen = recorder.notifications();
        std::vector<std::string> names;
        for (auto& n : seen)
            if (n->name().find("Keyboard") != std::string::npos)
                names.push_back(n->name());
        cg::Rect upright = Turns[0].keyboard;
        if (row.orientation == ui::InterfaceOrientation::Portrait) {
            // Nothing turned: the keyboard stays where it is.
            EXPECT_EQ(names, (std::vector<std::string>{
                                 ui::KeyboardWillShowNotification, ui::KeyboardDidShowNotification,
                                 ui::KeyboardWillHideNotification, ui::KeyboardDidHideNotification}));
            continue;
        }
        ASSERT_EQ(names, (std::vector<std::string>{
                             ui::KeyboardWillShowNotification, ui::KeyboardDidShowNotification,
                             ui::KeyboardWillHideNotification, ui::KeyboardDidHideNotification,
                             ui::KeyboardWillShowNotification, ui::KeyboardDidShowNotification,
                             ui::KeyboardWillHideNotification, ui::KeyboardDidHideNotification}));
        std::vector<ns::Ref<ns::Notification>> keyboard;
        for (auto& n : seen)
            if (n->name().find("Keyboard") != std::string::npos)
                keyboard.push_back(n);
        EXPECT_EQ(frameOf(*keyboard[0], ui::KeyboardFrameEndUserInfoKey), upright);
        // Down from the upright place, beyond the upright bottom edge.
        EXPECT_EQ(frameOf(*keyboard[2], ui::KeyboardFrameBeginUserInfoKey), upright);
        EXPECT_EQ(frameOf(*keyboard[2], ui::KeyboardFrameEndUserInfoKey), Turns[0].keyboardHidden);
        // Up from beyond the new bottom edge to the new place.
        EXPECT_EQ(frameOf(*keyboard[4], ui::KeyboardFrameBeginUserInfoKey), row.keyboardHidden);
        EXPECT_EQ(frameOf(*keyboard[4], ui::KeyboardFrameEndUserInfoKey), row.keyboard);
        EXPECT_EQ(frameOf(*keyboard[6], ui::KeyboardFrameBeginUserInfoKey), row.keyboard);
        EXPECT_EQ(frameOf(*keyboard[6], ui::KeyboardFrameEndUserInfoKey), row.keyboardHidden);
    }
}

TEST_F(Interface, APresenterThatWasAwayDuringATurnComesBackTurned)
{
    auto& application = ui::Application::sharedApplication();
    auto root = testkit::TurningController::create();
    window->setRootViewController(root);
    auto modal = ui::ViewController::create();
    root->presentViewController(modal, false);
    application.setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
    EXPECT_EQ(modal->view()->bounds().size, (cg::Size{480, 300}));
    EXPECT_EQ(modal->view()->frame(), cg::makeRect(0, 0, 300, 480));
    modal->dismissViewControllerAnimated(false);
    driver.settle();
    EXPECT_EQ(root->view()->superview(), window.get());
    EXPECT_EQ(root->view()->bounds().size, (cg::Size{480, 300}));
    EXPECT_EQ(root->view()->frame(), cg::makeRect(0, 0, 300, 480));
    // A screen presented now comes up turned as well.
    auto next = ui::ViewController::create();
    root->presentViewController(next, false);
    EXPECT_EQ(next->view()->bounds().size, (cg::Size{480, 300}));
    EXPECT_EQ(next->view()->convertPointToView(cg::makePoint(0, 0), nullptr), cg::makePoint(300, 0));
}

TEST_F(Interface, APresenterThatOnlyStandsUprightComesBackUpright)
{
    auto& application = ui::Application::sharedApplication();
    auto root = ui::ViewController::create();
    window->setRootViewController(root);
    auto modal = testkit::TurningController::create();
    root->presentViewController(modal, false);
    application.setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
    modal->dismissViewControllerAnimated(false);
    driver.settle();
    EXPECT_EQ(application.statusBarOrientation(), ui::InterfaceOrientation::Portrait);
    EXPECT_EQ(root->view()->frame(), cg::makeRect(0, 20, 320, 460));
}
