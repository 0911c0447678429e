#include "UIFixture.h"

#include "uikit/BarButtonItem.h"
#include "uikit/NavigationBar.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/TabBarController.h"
#include "uikit/ViewController.h"

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
    g_log.clear();

    bool presented = false;
    root->presentViewController(modal, true, [&] {
        presented = true;
        g_log.push_back("presented");
    });
    EXPECT_TRUE(presented);
    EXPECT_EQ(g_log, (std::vector<std::string>{"root willDisappear", "modal loadView", "modal viewDidLoad",
                                               "modal willAppear", "root didDisappear", "modal didAppear",
                                               "presented"}));
    EXPECT_EQ(root->presentedViewController(), modal);
    EXPECT_EQ(modal->presentingViewController(), root.get());
    EXPECT_EQ(modal->parentViewController(), nullptr);
    EXPECT_EQ(modal->modalTransitionStyle(), ui::ModalTransitionStyle::FlipHorizontal);
    // The presented view takes the presenter's place in the window.
    EXPECT_EQ(modal->view()->superview(), window.get());
    EXPECT_EQ(root->view()->superview(), nullptr);

    g_log.clear();
    ui::ViewController* raw = modal.get();
    modal.reset(); // the presenter keeps it
    raw->dismissViewControllerAnimated(true, [&] { g_log.push_back("dismissed"); });
    EXPECT_EQ(g_log, (std::vector<std::string>{"modal willDisappear", "root willAppear", "modal didDisappear",
                                               "root didAppear", "dismissed"}));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(root->view()->superview(), window.get());
    driver.settle(); // the dismissed controller is released once the run loop turns
    EXPECT_EQ(g_log.back(), "modal gone");
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
