#pragma once

#include "uikit/Action.h"
#include "uikit/ViewController.h"

#include <vector>

namespace ui {

class NavigationBar;
class NavigationController;
class Toolbar;

class NavigationControllerDelegate
{
public:
    virtual ~NavigationControllerDelegate() = default;
    // navigationController:willShowViewController:animated: and ...didShow...
    virtual void navigationControllerWillShowViewController(NavigationController&, ViewController&, bool) {}
    virtual void navigationControllerDidShowViewController(NavigationController&, ViewController&, bool) {}
};

// A stack of controllers under a navigation bar; the top one's view fills the rest.
class NavigationController : public ViewController
{
public:
    static ns::Ref<NavigationController> create();
    static ns::Ref<NavigationController> create(const ns::Ref<ViewController>& rootViewController);
    ~NavigationController() override;

    const std::vector<ns::Ref<ViewController>>& viewControllers() const { return childViewControllers(); }
    void setViewControllers(std::vector<ns::Ref<ViewController>> controllers, bool animated = false);
    ns::Ref<ViewController> topViewController() const;
    // The top controller, or what it presents.
    ns::Ref<ViewController> visibleViewController() const;

    void pushViewController(const ns::Ref<ViewController>& controller, bool animated);
    // The popped controller; nothing at the root. It lives at least until the run loop turns.
    ns::Ref<ViewController> popViewControllerAnimated(bool animated);
    std::vector<ns::Ref<ViewController>> popToRootViewControllerAnimated(bool animated);
    std::vector<ns::Ref<ViewController>> popToViewController(const ViewController* controller, bool animated);

    const ns::Ref<NavigationBar>& navigationBar() const;
    bool isNavigationBarHidden() const { return m_navigationBarHidden; }
    void setNavigationBarHidden(bool hidden, bool animated = false);
    const ns::Ref<Toolbar>& toolbar() const;
    bool isToolbarHidden() const { return m_toolbarHidden; }
    void setToolbarHidden(bool hidden, bool animated = false);

    ns::Ref<NavigationControllerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const ns::Ref<NavigationControllerDelegate>& delegate) { m_delegate = delegate; }

    // Without an item of its own, a tab shows the root controller's item.
    const ns::Ref<TabBarItem>& tabBarItem() override;

    // The screen on top decides how the stack turns.
    bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) const override;

    void loadView() override;
    std::string className() const override { return "UINavigationController"; }

protected:
    NavigationController();
    explicit NavigationController(const ns::Ref<ViewController>& rootViewController);
    // Run by every create(), a subclass's too: the bar's back button pops this controller.
    void connectNavigationBar();
    friend ns::Factory<NavigationController>;

    std::vector<ns::Ref<ViewController>> visibleChildren() const override;

private:
    // Puts the top controller's view in the content area and the bar's items in step with the stack.
    void showTop(const ns::Ref<ViewController>& previous, bool animated);
    cg::Rect contentFrame() const;
    void layoutBars();
    void connectBackAction() const;

    // Made when first asked for: a controller that never shows (a sharer sending at once) makes none.
    mutable ns::Ref<NavigationBar> m_navigationBar;
    mutable ns::Ref<Toolbar> m_toolbar;
    bool m_backPops = false; // connectNavigationBar ran: the bar's back button pops
    bool m_navigationBarHidden = false;
    bool m_toolbarHidden = true;
    ns::Weak<NavigationControllerDelegate> m_delegate;
};

} // namespace ui
