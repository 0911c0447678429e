#include "sharing/core/SHK.h"

#include "foundation/Clock.h"
#include "foundation/Exception.h"
#include "foundation/Log.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "sharing/core/DefaultSHKConfigurator.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/support/SharingDevice.h"
#include "system/MailComposeViewController.h"
#include "system/MessageComposeViewController.h"
#include "testing/TemporaryHome.h"
#include "testing/TouchDriver.h"
#include "uikit/Application.h"
#include "uikit/Color.h"
#include "uikit/Device.h"
#include "uikit/NavigationBar.h"
#include "uikit/NavigationController.h"
#include "uikit/Toolbar.h"
#include "uikit/Window.h"

#include <gtest/gtest.h>

namespace {

// The longest transition, and a little: every presentation or dismissal has ended after it.
constexpr double Transition = 0.5;
// A dismissal, the waiting screen's delay and its presentation.
constexpr double Replacement = 1.0;

// A screen of the framework: it tells the facade when its view has gone.
class Screen : public ui::ViewController
{
public:
    static ns::Ref<Screen> create(std::string name) { return ns::Factory<Screen>::make(std::move(name)); }
    void viewDidDisappear(bool animated) override
    {
        ui::ViewController::viewDidDisappear(animated);
        SHK::currentHelper()->viewWasDismissed();
    }
    std::string description() const override { return m_name; }

protected:
    explicit Screen(std::string name) : m_name(std::move(name)) {}
    friend ns::Factory<Screen>;

private:
    std::string m_name;
};

// The screen a navigation controller shows, or the controller itself.
ns::Ref<ui::ViewController> shown(const ns::Ref<ui::ViewController>& controller)
{
    if (auto navigation = ns::cast<ui::NavigationController>(controller))
        return navigation->topViewController();
    return controller;
}

class Presentation : public ::testing::Test, protected SharingDevice
{
protected:
    Presentation()
    {
        ui::Application::sharedApplication().reset();
        SHKConfiguration::reset();
        SHK::reset();
        start();
    }
    ~Presentation() override
    {
        clock.advance(5);
        SHK::reset();
        SHKConfiguration::reset();
        ui::Device::currentDevice()->reset();
        ui::Application::sharedApplication().reset();
    }

    ns::ManualClockScope clock;
    testkit::TemporaryHome home;
};

TEST_F(Presentation, AScreenIsWrappedAndPresentedOverTheRoot)
{
    auto helper = SHK::currentHelper();
    EXPECT_EQ(SHK::currentHelper(), helper);
    auto form = Screen::create("form");
    helper->showViewController(form);
    clock.advance(Transition);
    auto wrapper = ns::cast<ui::NavigationController>(helper->currentView());
    ASSERT_TRUE(wrapper);
    EXPECT_EQ(wrapper->topViewController(), form);
    EXPECT_EQ(root->presentedViewController(), wrapper);
    EXPECT_EQ(helper->currentRootViewController(), root);
    EXPECT_FALSE(helper->pendingView());

    // A navigation controller is presented as it is, over the top-most presented controller.
    helper->hideCurrentViewController();
    clock.advance(Transition);
    EXPECT_FALSE(helper->currentView());
    auto cover = ui::ViewController::create();
    root->presentModalViewController(cover, false);
    auto navigation = ui::NavigationController::create(Screen::create("menu"));
    helper->showViewController(navigation);
    EXPECT_EQ(helper->currentView(), navigation);
    EXPECT_EQ(cover->presentedViewController(), navigation);
    EXPECT_EQ(helper->rootViewForCustomUIDisplay(), navigation);
    EXPECT_EQ(helper->getTopViewController(root), navigation);
    EXPECT_EQ(helper->getTopViewController(navigation), navigation);
}

TEST_F(Presentation, ASecondShowWaitsAndAppearsJustAfterTheFirstIsDismissed)
{
    auto helper = SHK::currentHelper();
    auto first = Screen::create("first");
    auto second = Screen::create("second");
    helper->showViewController(first);
    clock.advance(Transition);
    ASSERT_TRUE(first->isVisible());

    helper->showViewController(second);
    EXPECT_EQ(helper->pendingView(), second);
    EXPECT_EQ(shown(helper->currentView()), first); // until its view has gone
    clock.advance(ui::ViewController::transitionDuration(ui::ModalTransitionStyle::CoverVertical));
    EXPECT_FALSE(helper->currentView());
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_EQ(helper->pendingView(), second);
    clock.advance(0.019);
    EXPECT_FALSE(root->presentedViewController());
    clock.advance(0.001);
    ASSERT_TRUE(root->presentedViewController());
    EXPECT_EQ(shown(root->presentedViewController()), second);
    EXPECT_EQ(shown(helper->currentView()), second);
    EXPECT_FALSE(helper->pendingView());
}

TEST_F(Presentation, OnlyTheLatestWaitingScreenIsKept)
{
    auto helper = SHK::currentHelper();
    helper->showViewController(Screen::create("first"));
    clock.advance(Transition);
    auto second = Screen::create("second");
    auto third = Screen::create("third");
    ns::LogCapture log;
    helper->showViewController(second);
    helper->showViewController(third); // the first is already going: the second dismissal is that one
    EXPECT_FALSE(log.contains("while a presentation or dismiss is in progress"));
    EXPECT_EQ(helper->pendingView(), third);
    clock.advance(Replacement);
    EXPECT_EQ(shown(helper->currentView()), third);
    clock.advance(Replacement);
    EXPECT_EQ(shown(helper->currentView()), third);
    EXPECT_FALSE(second->isViewLoaded());
}

TEST_F(Presentation, HidingDuringADismissalDoesNothing)
{
    auto helper = SHK::currentHelper();
    auto form = Screen::create("form");
    helper->showViewController(form);
    clock.advance(Transition);

    ns::LogCapture log;
    helper->hideCurrentViewControllerAnimated(true);
    EXPECT_TRUE(helper->isDismissingView());
    EXPECT_TRUE(helper->currentView()); // the dismissal is under way
    helper->hideCurrentViewControllerAnimated(true);
    helper->hideCurrentViewControllerAnimated(false);
    EXPECT_TRUE(log.lines().empty()); // nothing asked of the platform
    clock.advance(Transition);
    EXPECT_FALSE(helper->isDismissingView());
    EXPECT_FALSE(helper->currentView());
    EXPECT_FALSE(helper->currentRootViewController());
    EXPECT_FALSE(root->presentedViewController());
    helper->hideCurrentViewControllerAnimated(true); // nothing shown: nothing to do
    EXPECT_FALSE(helper->isDismissingView());
}

// The platform refuses a dismissal while a screen is still coming up; the facade's hide, or the dismissal
// that makes way for a waiting screen, waits for the screen to be up instead of being lost.
TEST_F(Presentation, AHideOrASecondShowWhileTheScreenComesUpWaitsForIt)
{
    struct Row
    {
        const char* name;
        bool secondShow;
    } rows[] = {{"hide", false}, {"second show", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto helper = SHK::currentHelper();
        auto first = Screen::create("first");
        auto second = Screen::create("second");
        ns::LogCapture log;
        helper->showViewController(first);
        ASSERT_TRUE(helper->currentView()->isBeingPresented());
        if (row.secondShow)
            helper->showViewController(second);
        else
            helper->hideCurrentViewControllerAnimated(true);
        EXPECT_FALSE(helper->isDismissingView()); // nothing asked of the platform yet
        clock.advance(Transition);
        clock.advance(Replacement);
        EXPECT_FALSE(log.contains("in progress"));
        EXPECT_FALSE(helper->isDismissingView());
        EXPECT_FALSE(first->isVisible());
        if (row.secondShow) {
            EXPECT_EQ(shown(helper->currentView()), second);
            EXPECT_EQ(shown(root->presentedViewController()), second);
            EXPECT_TRUE(second->isVisible());
            helper->hideCurrentViewController();
            clock.advance(Transition);
        }
        EXPECT_FALSE(helper->currentView());
        EXPECT_FALSE(helper->pendingView());
        EXPECT_FALSE(root->presentedViewController());
    }
}

// From 5.0 a presented screen has no parent: hiding goes through its presenter, which tells when it has
// finished, and a second show dismisses it the same way.
TEST_F(Presentation, AScreenWithoutAParentIsDismissedThroughItsPresenter)
{
    struct Row
    {
        const char* version;
        bool finishedPosted;
    } rows[] = {{"4.2", false}, {"5.0", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        ui::Device::currentDevice()->setSystemVersion(row.version);
        auto helper = SHK::currentHelper();
        ns::NotificationRecorder finished(SHKHideCurrentViewFinishedNotification);
        helper->showViewController(Screen::create("form"));
        clock.advance(Transition);
        EXPECT_EQ(helper->currentView()->parentViewController() != nullptr, !row.finishedPosted);
        helper->hideCurrentViewControllerAnimated(true);
        clock.advance(Transition);
        EXPECT_FALSE(helper->currentView());
        EXPECT_EQ(finished.notifications().size(), row.finishedPosted ? 1u : 0u);

        helper->showViewController(Screen::create("first"));
        clock.advance(Transition);
        auto second = Screen::create("second");
        helper->showViewController(second);
        clock.advance(Replacement);
        EXPECT_EQ(shown(helper->currentView()), second);
        EXPECT_EQ(shown(root->presentedViewController()), second);
        helper->hideCurrentViewController();
        clock.advance(Transition);
    }
}

TEST_F(Presentation, TheConfiguredStylesBarsAndTintAreGiven)
{
    ASSERT_TRUE(configurator->setValueForKey("barStyle", ns::String::make("UIBarStyleBlackTranslucent")));
    ASSERT_TRUE(configurator->setValueForKey("modalTransitionStyle",
                                             ns::String::make("UIModalTransitionStyleFlipHorizontal")));
    ASSERT_TRUE(configurator->setValueForKey("modalPresentationStyle",
                                             ns::String::make("UIModalPresentationPageSheet")));
    ASSERT_TRUE(configurator->setValueForKey("barTintForView:", ns::String::make("#ff0000")));
    auto helper = SHK::currentHelper();
    helper->showViewController(Screen::create("form"));
    auto navigation = ns::cast<ui::NavigationController>(helper->currentView());
    ASSERT_TRUE(navigation);
    EXPECT_EQ(navigation->modalTransitionStyle(), ui::ModalTransitionStyle::FlipHorizontal);
    EXPECT_EQ(navigation->modalPresentationStyle(), ui::ModalPresentationStyle::PageSheet);
    EXPECT_EQ(navigation->navigationBar()->barStyle(), ui::BarStyle::BlackTranslucent);
    EXPECT_EQ(navigation->toolbar()->barStyle(), ui::BarStyle::BlackTranslucent);
    ASSERT_TRUE(navigation->navigationBar()->tintColor());
    EXPECT_TRUE(navigation->navigationBar()->tintColor()->isEqual(*ui::Color::redColor()));
    // The flip takes its own time.
    clock.advance(ui::ViewController::transitionDuration(ui::ModalTransitionStyle::CoverVertical));
    EXPECT_TRUE(root->isInTransition());
    clock.advance(Transition);
    EXPECT_FALSE(root->isInTransition());
}

TEST_F(Presentation, StyleTextsBecomeThePlatformsValues)
{
    struct Row
    {
        const char* key;
        const char* text;
        int value;
    } rows[] = {
        {"barStyle", "UIBarStyleBlack", 1},
        {"barStyle", "UIBarStyleBlackOpaque", 1},
        {"barStyle", "UIBarStyleBlackTranslucent", 2},
        {"barStyle", "UIBarStyleDefault", 0},
        {"barStyle", "purple", 0},
        {"modalPresentationStyle", "UIModalPresentationFullScreen", 0},
        {"modalPresentationStyle", "UIModalPresentationPageSheet", 1},
        {"modalPresentationStyle", "UIModalPresentationFormSheet", 2},
        {"modalPresentationStyle", "UIModalPresentationCurrentContext", 3},
        {"modalPresentationStyle", "", 3},
        {"modalTransitionStyle", "UIModalTransitionStyleFlipHorizontal", 1},
        {"modalTransitionStyle", "UIModalTransitionStyleCrossDissolve", 2},
        {"modalTransitionStyle", "UIModalTransitionStylePartialCurl", 3},
        {"modalTransitionStyle", "UIModalTransitionStyleCoverVertical", 0},
        {"modalTransitionStyle", "sideways", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.key) + " " + row.text);
        ASSERT_TRUE(configurator->setValueForKey(row.key, ns::String::make(row.text)));
        std::string key = row.key;
        int value = key == "barStyle"                 ? int(SHK::barStyle())
                    : key == "modalPresentationStyle" ? int(SHK::modalPresentationStyle())
                                                      : int(SHK::modalTransitionStyle());
        EXPECT_EQ(value, row.value);
    }
}

TEST_F(Presentation, TheRootIsFoundFromTheNormalKeyWindow)
{
    auto helper = SHK::currentHelper();
    // The key window's first view belongs to the root controller.
    EXPECT_EQ(helper->getCurrentRootViewController(), root);
    // A key window above the normal level (an alert's) is passed over for the first normal one.
    auto alert = ui::Window::create();
    alert->setWindowLevel(ui::WindowLevelAlert);
    alert->makeKeyAndVisible();
    EXPECT_EQ(helper->getCurrentRootViewController(), root);
    // The root set by the application comes first, and is not retained.
    auto board = ui::ViewController::create();
    SHK::setRootViewController(board);
    EXPECT_EQ(helper->getCurrentRootViewController(), board);
    board.reset();
    EXPECT_EQ(helper->getCurrentRootViewController(), root);

    // A normal window whose first view has no controller answers its root controller.
    auto plain = ui::Window::create();
    plain->addSubview(ui::View::create());
    auto plainRoot = ui::ViewController::create();
    plain->setRootViewController(plainRoot);
    plain->insertSubviewAtIndex(ui::View::create(), 0);
    plain->makeKeyAndVisible();
    EXPECT_EQ(helper->getCurrentRootViewController(), plainRoot);

    // No normal window at all is a programming error.
    ui::Application::sharedApplication().reset();
    alert->makeKeyAndVisible();
    try {
        helper->getCurrentRootViewController();
        ADD_FAILURE() << "no assertion";
    } catch (const ns::Exception& e) {
        EXPECT_EQ(e.reason(),
                  "ShareCore: Could not find a root view controller.  You can assign one manually by "
                  "calling [[SHK currentHelper] setRootViewController:YOURROOTVIEWCONTROLLER].");
    }
}

TEST_F(Presentation, AComposerTellsTheFacadeWhenItHasGone)
{
    auto helper = SHK::currentHelper();
    EXPECT_TRUE(mui::MailComposeViewController::hasDidDisappearHook());
    EXPECT_TRUE(mui::MessageComposeViewController::hasDidDisappearHook());
    auto composer = mui::MailComposeViewController::create();
    ASSERT_TRUE(composer);
    helper->showViewController(composer);
    clock.advance(Transition);
    // A composer is a navigation controller of its own: presented as it is, not wrapped.
    ASSERT_EQ(helper->currentView(), composer);
    EXPECT_EQ(root->presentedViewController(), composer);
    composer->cancel(); // nobody listens: the composer closes itself
    clock.advance(Transition);
    EXPECT_FALSE(helper->currentView());
    EXPECT_FALSE(root->presentedViewController());

    auto message = mui::MessageComposeViewController::create();
    ASSERT_TRUE(message);
    helper->showViewController(message);
    clock.advance(Transition);
    auto pending = Screen::create("after");
    helper->showViewController(pending);
    clock.advance(Replacement);
    EXPECT_EQ(shown(helper->currentView()), pending);
}

} // namespace
