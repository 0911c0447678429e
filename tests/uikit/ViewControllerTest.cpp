#include "UIFixture.h"

#include "foundation/Log.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Button.h"
#include "uikit/Device.h"
#include "uikit/GraphicsContext.h"
#include "uikit/Image.h"
#include "uikit/ImageView.h"
#include "uikit/Label.h"
#include "uikit/NavigationBar.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/TabBarController.h"
#include "uikit/TabBarItem.h"
#include "uikit/Touch.h"
#include "uikit/ViewController.h"

#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

class LoggingController : public ui::ViewController
{
public:
    explicit LoggingController(std::string name) : m_name(std::move(name)) {}
    void loadView() override
    {
        g_log.push_back(m_name + " loadView");
        ViewController::loadView();
    }
    void viewDidLoad() override { g_log.push_back(m_name + " viewDidLoad"); }
    void viewWillAppear(bool) override { g_log.push_back(m_name + " willAppear"); }
    void viewDidAppear(bool) override { g_log.push_back(m_name + " didAppear"); }
    void viewWillDisappear(bool) override { g_log.push_back(m_name + " willDisappear"); }
    void viewDidDisappear(bool) override { g_log.push_back(m_name + " didDisappear"); }
    ~LoggingController() override { g_log.push_back(m_name + " gone"); }

private:
    std::string m_name;
};

class Controllers : public UIFixture
{
protected:
    Controllers() { g_log.clear(); }
};

} // namespace

TEST_F(Controllers, ViewLoadsOnceOnFirstUse)
{
    auto controller = ns::make<LoggingController>("a");
    EXPECT_FALSE(controller->isViewLoaded());
    auto view = controller->view();
    EXPECT_EQ(controller->view(), view);
    EXPECT_EQ(g_log, (std::vector<std::string>{"a loadView", "a viewDidLoad"}));
    EXPECT_EQ(view->nextResponder(), controller.get());
    EXPECT_EQ(view->frame(), ui::Application::sharedApplication().applicationFrame());
}

TEST_F(Controllers, ModalPresentationAndDismissalTellAppearanceInOrder)
{
    auto root = ns::make<LoggingController>("root");
    window->setRootViewController(root);
    auto modal = ns::make<LoggingController>("modal");
    modal->setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
    modal->setModalPresentationStyle(ui::ModalPresentationStyle::FormSheet);
    g_log.clear();

    root->presentViewController(modal, true, [&] { g_log.push_back("presented"); });
    // The new screen shows at once; the presentation ends with its transition.
    EXPECT_EQ(g_log, (std::vector<std::string>{"root willDisappear", "modal loadView", "modal viewDidLoad",
                                               "modal willAppear"}));
    EXPECT_EQ(root->presentedViewController(), modal);
    EXPECT_EQ(modal->presentingViewController(), root.get());
    EXPECT_EQ(modal->parentViewController(), root.get()); // as on 4.2
    EXPECT_EQ(modal->modalTransitionStyle(), ui::ModalTransitionStyle::FlipHorizontal);
    EXPECT_EQ(modal->modalPresentationStyle(), ui::ModalPresentationStyle::FormSheet);
    // The presented view takes the presenter's place in the window, covering the screen on the phone.
    EXPECT_EQ(modal->view()->superview(), window.get());
    EXPECT_EQ(modal->view()->frame(), ui::Application::sharedApplication().applicationFrame());
    EXPECT_EQ(root->view()->superview(), nullptr);
    driver.advance(ui::ViewController::transitionDuration(ui::ModalTransitionStyle::FlipHorizontal));
    EXPECT_EQ(g_log, (std::vector<std::string>{"root willDisappear", "modal loadView", "modal viewDidLoad",
                                               "modal willAppear", "root didDisappear", "modal didAppear",
                                               "presented"}));

    g_log.clear();
    ui::ViewController* raw = modal.get();
    modal.reset(); // the presenter keeps it
    raw->dismissViewControllerAnimated(true, [&] { g_log.push_back("dismissed"); });
    EXPECT_EQ(g_log, (std::vector<std::string>{"modal willDisappear", "root willAppear"}));
    EXPECT_EQ(root->view()->superview(), window.get());
    EXPECT_EQ(root->presentedViewController().get(), raw); // until the transition ends
    driver.advance(ui::ViewController::transitionDuration(ui::ModalTransitionStyle::FlipHorizontal));
    // The dismissed controller is released once the run loop turns after the transition.
    EXPECT_EQ(g_log, (std::vector<std::string>{"modal willDisappear", "root willAppear", "modal didDisappear",
                                               "root didAppear", "dismissed", "modal gone"}));
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(Controllers, AnAnimatedTransitionEndsAfterItsDuration)
{
    struct Row
    {
        const char* name;
        ui::ModalTransitionStyle style;
        bool animated;
        double duration;
    } rows[] = {
        {"cover vertical", ui::ModalTransitionStyle::CoverVertical, true, 0.4},
        {"cross dissolve", ui::ModalTransitionStyle::CrossDissolve, true, 0.4},
        {"flip horizontal", ui::ModalTransitionStyle::FlipHorizontal, true, 0.45},
        {"partial curl", ui::ModalTransitionStyle::PartialCurl, true, 0.45},
        {"not animated", ui::ModalTransitionStyle::FlipHorizontal, false, 0},
    };
    auto root = ns::make<LoggingController>("root");
    window->setRootViewController(root);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.animated ? ui::ViewController::transitionDuration(row.style) : 0, row.duration);
        auto modal = ns::make<LoggingController>("modal");
        modal->setModalTransitionStyle(row.style);
        int presented = 0, dismissed = 0;
        root->presentViewController(modal, row.animated, [&] { ++presented; });
        EXPECT_EQ(root->isInTransition(), row.animated);
        if (row.animated) {
            driver.advance(row.duration - 0.01);
            EXPECT_EQ(presented, 0);
            EXPECT_FALSE(modal->isVisible());
            driver.advance(0.01);
        }
        EXPECT_EQ(presented, 1);
        EXPECT_TRUE(modal->isVisible());
        EXPECT_FALSE(root->isInTransition());

        modal->dismissViewControllerAnimated(row.animated, [&] { ++dismissed; });
        if (row.animated) {
            driver.advance(row.duration - 0.01);
            EXPECT_EQ(dismissed, 0);
            EXPECT_FALSE(root->isVisible());
            driver.advance(0.01);
        }
        EXPECT_EQ(dismissed, 1);
        EXPECT_TRUE(root->isVisible());
        EXPECT_EQ(root->presentedViewController(), nullptr);
    }
}

TEST_F(Controllers, APresentedControllerKnowsWhileItIsBeingPresentedOrDismissed)
{
    auto root = ns::make<LoggingController>("root");
    window->setRootViewController(root);
    auto modal = ns::make<LoggingController>("modal");
    EXPECT_FALSE(modal->isBeingPresented());
    root->presentViewController(modal, true);
    EXPECT_TRUE(modal->isBeingPresented());
    EXPECT_FALSE(modal->isBeingDismissed());
    EXPECT_FALSE(root->isBeingPresented()); // the presenter is not
    driver.advance(0.4);
    EXPECT_FALSE(modal->isBeingPresented());
    modal->dismissViewControllerAnimated(true);
    EXPECT_TRUE(modal->isBeingDismissed());
    EXPECT_FALSE(modal->isBeingPresented());
    driver.advance(0.4);
    EXPECT_FALSE(modal->isBeingDismissed());
    root->presentViewController(modal, false); // without animation it is never under way
    EXPECT_FALSE(modal->isBeingPresented());
    modal->dismissViewControllerAnimated(false);
    EXPECT_FALSE(modal->isBeingDismissed());
}

TEST_F(Controllers, PresentingOrDismissingDuringATransitionWaitsForItsEnd)
{
    auto root = ns::make<LoggingController>("root");
    window->setRootViewController(root);
    auto modal = ns::make<LoggingController>("modal");
    auto other = ns::make<LoggingController>("other");
    ns::LogCapture log;
    std::vector<std::string> completions;

    root->presentViewController(modal, true, [&] { completions.push_back("modal presented"); });
    modal->dismissViewControllerAnimated(true, [&] { completions.push_back("modal dismissed"); });
    root->presentViewController(other, true, [&] { completions.push_back("other presented"); });
    EXPECT_EQ(root->presentedViewController(), modal);
    // In the order asked for: the dismissal starts once the presentation has ended, the waiting
    // presentation once the dismissal has.
    driver.advance(0.4);
    EXPECT_EQ(completions, std::vector<std::string>{"modal presented"});
    EXPECT_TRUE(modal->isBeingDismissed());
    driver.advance(0.4);
    EXPECT_EQ(completions, (std::vector<std::string>{"modal presented", "modal dismissed"}));
    EXPECT_TRUE(other->isBeingPresented());
    driver.advance(0.4);
    EXPECT_EQ(completions,
              (std::vector<std::string>{"modal presented", "modal dismissed", "other presented"}));
    EXPECT_EQ(root->presentedViewController(), other);

    // A dismissal asked for again while it runs is the same one: its completion comes with it.
    other->dismissViewControllerAnimated(true, [&] { completions.push_back("dismissed"); });
    root->dismissViewControllerAnimated(true, [&] { completions.push_back("dismissed again"); });
    driver.advance(0.4);
    EXPECT_EQ(completions.back(), "dismissed again");
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(root->presentingViewController(), nullptr);
    EXPECT_FALSE(log.contains("in progress"));

    // Over a controller that presents already: refused, with its own line.
    root->presentViewController(modal, false);
    root->presentViewController(other, false);
    EXPECT_TRUE(log.contains("which is already presenting"));
    EXPECT_EQ(root->presentedViewController(), modal);
}

// While a screen is on its way, touches reach nothing: a press on it does not count, and a finger already
// down is cancelled. Once it has arrived, it takes touches again.
TEST_F(Controllers, AScreenOnItsWayTakesNoTouches)
{
    auto root = ns::make<LoggingController>("root");
    window->setRootViewController(root);
    auto modal = ns::make<LoggingController>("modal");
    int presses = 0;
    auto button = ui::Button::buttonWithType(ui::ButtonType::RoundedRect);
    button->setFrame(cg::makeRect(60, 200, 200, 44));
    button->setTitle("Send", ui::ControlStateNormal);
    button->addTarget(
        nullptr, [&](const ns::Id&) { ++presses; }, ui::ControlEventTouchUpInside);
    modal->view()->addSubview(button);

    auto held = driver.touchDown({cg::makePoint(20, 100)});
    root->presentViewController(modal, true);
    EXPECT_TRUE(ui::Application::sharedApplication().isIgnoringInteractionEvents());
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(driver.press("Send"));
        driver.advance(0.05);
    }
    EXPECT_EQ(presses, 0);
    driver.touchUp(held);
    EXPECT_EQ(held[0]->view(), nullptr); // cancelled where it was, and let go
    driver.advance(0.4);
    EXPECT_FALSE(ui::Application::sharedApplication().isIgnoringInteractionEvents());
    ASSERT_TRUE(driver.press("Send"));
    EXPECT_EQ(presses, 1);
}

TEST_F(Controllers, AModalsParentIsItsPresenterBeforeSystem5)
{
    struct Row
    {
        const char* version;
        bool parentIsPresenter;
    } rows[] = {{"4.2", true}, {"4.3.5", true}, {"5.0", false}, {"10.0", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        ui::Device::currentDevice()->setSystemVersion(row.version);
        auto top = ns::make<LoggingController>("top");
        auto navigation = ui::NavigationController::create(top);
        window->setRootViewController(navigation);
        auto modal = ns::make<LoggingController>("modal");
        top->presentModalViewController(modal, false);
        EXPECT_EQ(modal->parentViewController(), row.parentIsPresenter ? navigation.get() : nullptr);
        EXPECT_EQ(top->parentViewController(), navigation.get()); // containment stays
        EXPECT_EQ(modal->navigationController(), nullptr);
        modal->dismissModalViewControllerAnimated(false);
        EXPECT_EQ(modal->parentViewController(), nullptr);
    }
    ui::Device::currentDevice()->reset();
}

TEST_F(Controllers, PresentationGoesToTheOutermostParent)
{
    auto top = ns::make<LoggingController>("top");
    auto navigation = ui::NavigationController::create(top);
    window->setRootViewController(navigation);
    auto modal = ns::make<LoggingController>("modal");
    top->presentModalViewController(modal, false);
    EXPECT_EQ(navigation->presentedViewController(), modal);
    EXPECT_EQ(modal->presentingViewController(), navigation.get());
    EXPECT_EQ(navigation->visibleViewController(), top); // the top one presents nothing itself
    // A second presentation while one is up is refused.
    auto other = ns::make<LoggingController>("other");
    top->presentModalViewController(other, false);
    EXPECT_EQ(navigation->presentedViewController(), modal);
    // Dismissing from inside the presented controller closes it.
    modal->dismissModalViewControllerAnimated(false);
    EXPECT_EQ(navigation->presentedViewController(), nullptr);
}

TEST_F(Controllers, NavigationPushAndPopTellDisappearance)
{
    auto first = ns::make<LoggingController>("first");
    first->setTitle("People");
    auto navigation = ui::NavigationController::create(first);
    window->setRootViewController(navigation);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->navigationController(), navigation.get());

    auto second = ns::make<LoggingController>("second");
    second->navigationItem()->setRightBarButtonItem(
        ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Done));
    g_log.clear();
    navigation->pushViewController(second, false);
    EXPECT_EQ(g_log,
              (std::vector<std::string>{"first willDisappear", "second loadView", "second viewDidLoad",
                                        "second willAppear", "first didDisappear", "second didAppear"}));
    EXPECT_EQ(navigation->topViewController(), second);
    ASSERT_EQ(navigation->navigationBar()->items().size(), 2u);
    EXPECT_EQ(navigation->navigationBar()->backItem()->title(), "People");
    EXPECT_EQ(navigation->navigationBar()->topItem()->rightBarButtonItem()->displayTitle(), "Done");

    g_log.clear();
    second.reset();
    auto popped = navigation->popViewControllerAnimated(false);
    ASSERT_TRUE(popped);
    EXPECT_EQ(g_log, (std::vector<std::string>{"second willDisappear", "first willAppear",
                                               "second didDisappear", "first didAppear"}));
    EXPECT_EQ(popped->parentViewController(), nullptr);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_EQ(navigation->popViewControllerAnimated(false), nullptr); // the root stays
    popped.reset();
    EXPECT_NE(g_log.back(), "second gone"); // still alive until the run loop turns
    driver.settle();
    EXPECT_EQ(g_log.back(), "second gone");
}

TEST_F(Controllers, SettingTheStackReplacesEveryControllerTheTopToo)
{
    auto first = ns::make<LoggingController>("first");
    auto navigation = ui::NavigationController::create(first);
    window->setRootViewController(navigation);
    auto second = ns::make<LoggingController>("second");
    navigation->pushViewController(second, false);
    auto third = ns::make<LoggingController>("third");
    g_log.clear();
    navigation->setViewControllers({third}, false);
    EXPECT_EQ(navigation->viewControllers(), (std::vector<ns::Ref<ui::ViewController>>{third}));
    EXPECT_EQ(first->parentViewController(), nullptr);
    EXPECT_EQ(second->parentViewController(), nullptr);
    EXPECT_EQ(g_log,
              (std::vector<std::string>{"second willDisappear", "third loadView", "third viewDidLoad",
                                        "third willAppear", "second didDisappear", "third didAppear"}));
    EXPECT_EQ(navigation->navigationBar()->items().size(), 1u);
}

TEST_F(Controllers, TheBackButtonPops)
{
    auto first = ns::make<LoggingController>("first");
    first->setTitle("Board");
    auto navigation = ui::NavigationController::create(first);
    window->setRootViewController(navigation);
    navigation->pushViewController(ns::make<LoggingController>("second"), false);
    ASSERT_TRUE(driver.press("Board"));
    EXPECT_EQ(navigation->topViewController(), first);
}

TEST_F(Controllers, AnItemChangedOnAShownScreenShowsAtOnceAndItsOldButtonGoes)
{
    auto first = ns::make<LoggingController>("first");
    auto navigation = ui::NavigationController::create(first);
    window->setRootViewController(navigation);
    auto item = first->navigationItem();
    item->setRightBarButtonItem(ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Edit));
    driver.settle();
    ASSERT_NE(ui::dumpScreen().find("\"Edit\""), std::string::npos);

    struct Change
    {
        const char* name;
        std::function<void()> change;
        const char* shown;
        const char* gone;
    } changes[] = {
        {"right button",
         [&] {
             item->setRightBarButtonItem(ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Done),
                                         true);
         },
         "\"Done\"", "\"Edit\""},
        {"left button",
         [&] {
             item->setLeftBarButtonItem(
                 ui::BarButtonItem::withTitle("Close", ui::BarButtonItemStyle::Bordered));
         },
         "\"Close\"", nullptr},
        {"title", [&] { item->setTitle("Places"); }, "\"Places\"", nullptr},
        {"left button removed", [&] { item->setLeftBarButtonItem(nullptr); }, "\"Places\"", "\"Close\""},
    };
    for (const auto& row : changes) {
        SCOPED_TRACE(row.name);
        row.change();
        driver.settle();
        std::string bar = ui::dumpViewTree(*navigation->navigationBar());
        EXPECT_NE(bar.find(row.shown), std::string::npos) << bar;
        if (row.gone) {
            EXPECT_EQ(bar.find(row.gone), std::string::npos) << bar;
        }
    }
    // Pressing the new button sends its action.
    bool pressed = false;
    item->setRightBarButtonItem(ui::BarButtonItem::withTitle("Save", ui::BarButtonItemStyle::Done, nullptr,
                                                             [&](const ns::Id&) { pressed = true; }));
    driver.settle();
    ASSERT_TRUE(driver.press("Save"));
    EXPECT_TRUE(pressed);
}

TEST_F(Controllers, TabBarShowsItsSelectedController)
{
    auto a = ns::make<LoggingController>("a");
    auto b = ns::make<LoggingController>("b");
    a->setTitle("One");
    b->setTitle("Two");
    auto tabs = ui::TabBarController::create();
    tabs->setViewControllers({a, b});
    window->setRootViewController(tabs);
    EXPECT_TRUE(a->isVisible());
    EXPECT_EQ(a->tabBarController(), tabs.get());
    g_log.clear();
    ASSERT_TRUE(driver.press("Two"));
    EXPECT_EQ(tabs->selectedViewController(), b);
    EXPECT_EQ(g_log, (std::vector<std::string>{"a willDisappear", "b loadView", "b viewDidLoad",
                                               "b willAppear", "a didDisappear", "b didAppear"}));
}

TEST_F(Controllers, ATabShowsItsItemsImageAndTitleAndANavigationControllersRootItem)
{
    // A 30 by 30 picture with a square shape in it, as an item's image is.
    ui::beginImageContext(cg::makeSize(30, 30));
    ui::currentContext()->setRGBFillColor(0.2f, 0.2f, 0.2f, 1);
    ui::currentContext()->fillRect(cg::makeRect(5, 5, 20, 20));
    auto picture = ui::imageFromCurrentImageContext();
    ui::endImageContext();
    auto editor = ns::make<LoggingController>("editor");
    editor->setTabBarItem(ui::TabBarItem::create(std::string("Settings"), picture, 0));
    auto navigation = ui::NavigationController::create(editor);
    auto plain = ns::make<LoggingController>("plain");
    plain->setTitle("Plain");
    auto tabs = ui::TabBarController::create();
    tabs->setViewControllers({navigation, plain});
    window->setRootViewController(tabs);
    window->layoutIfNeeded();

    EXPECT_EQ(navigation->tabBarItem(), editor->tabBarItem());
    auto bar = tabs->tabBar();
    ASSERT_EQ(bar->items().size(), 2u);
    struct Case
    {
        std::size_t index;
        const char* title;
        bool image;
    } cases[] = {{0, "Settings", true}, {1, "Plain", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        auto button = ns::cast<ui::Button>(bar->buttonAtIndex(c.index));
        ASSERT_TRUE(button);
        button->layoutIfNeeded();
        EXPECT_EQ(button->currentTitle(), std::optional<std::string>(c.title));
        EXPECT_FALSE(button->titleLabel()->isHidden());
        EXPECT_EQ(bool(button->currentImage()), c.image);
        if (c.image) {
            // The image sits above the title, at its own size.
            cg::Rect image = button->imageView()->frame();
            EXPECT_EQ(image.size, picture->size());
            EXPECT_LE(image.maxY(), button->titleLabel()->frame().minY());
        }
    }
    // The title follows the controller's.
    plain->setTitle("Renamed");
    tabs->setSelectedIndex(1);
    bar->layoutIfNeeded();
    EXPECT_EQ(ns::cast<ui::Button>(bar->buttonAtIndex(1))->currentTitle(),
              std::optional<std::string>("Renamed"));
}
