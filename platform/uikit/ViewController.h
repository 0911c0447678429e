#pragma once

#include "foundation/Date.h"
#include "uikit/Action.h"
#include "uikit/Application.h"
#include "uikit/Responder.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class BarButtonItem;
class NavigationController;
class NavigationItem;
class TabBarController;
class TabBarItem;
class View;

enum class ModalPresentationStyle { FullScreen = 0, PageSheet = 1, FormSheet = 2, CurrentContext = 3 };
enum class ModalTransitionStyle { CoverVertical = 0, FlipHorizontal = 1, CrossDissolve = 2, PartialCurl = 3 };

// Manages one screen's view: loads it when first asked, tells when it appears and disappears, and
// presents other controllers modally over it. The view tree takes the new arrangement at once; an
// animated presentation or dismissal is drawn on its way (see ScreenTransition.h) and ends after its
// transition's duration on the main run loop, and only then come the did-appear and did-disappear calls
// and the completion. While it runs the application ignores touches.
class ViewController : public Responder
{
public:
    static ns::Ref<ViewController> create() { return ns::Factory<ViewController>::make(); }
    ~ViewController() override;

    // The view, loaded on first use: loadView, then viewDidLoad.
    ns::Ref<View> view();
    bool isViewLoaded() const { return m_view != nullptr; }
    void setView(ns::Ref<View> view);
    // Makes a plain view filling the application frame; override to build another.
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewDidUnload() {}
    virtual void viewWillAppear(bool) {}
    virtual void viewDidAppear(bool) {}
    virtual void viewWillDisappear(bool) {}
    virtual void viewDidDisappear(bool) {}
    // Whether the view is on screen (between did-appear and will-disappear).
    bool isVisible() const { return m_appearance == Appearance::Visible; }

    const std::optional<std::string>& title() const { return m_title; }
    virtual void setTitle(std::optional<std::string> title);
    // Made on first use, with the controller's title.
    const ns::Ref<NavigationItem>& navigationItem();
    virtual const ns::Ref<TabBarItem>& tabBarItem();
    void setTabBarItem(ns::Ref<TabBarItem> item);

    // The navigation or tab bar controller holding this one; on systems before 5.0, for a controller
    // presented modally, its presenting controller.
    ViewController* parentViewController() const;
    const std::vector<ns::Ref<ViewController>>& childViewControllers() const { return m_children; }
    void addChildViewController(const ns::Ref<ViewController>& child);
    void removeFromParentViewController();
    // The nearest navigation controller or tab bar controller up the parents, or nothing.
    NavigationController* navigationController() const;
    TabBarController* tabBarController() const;

    // Modal presentation. The presentation goes to the outermost parent; the presented controller's view
    // takes the place of the presenter's on the screen. Presenting over a controller that presents already
    // is refused with a log line. Presenting or dismissing while a transition of the same presenter runs,
    // or while the presenter itself is on its way, waits until that transition has ended; a dismissal
    // asked for while the same dismissal runs is that dismissal (its completion runs when it ends).
    ViewController* presentingViewController() const;
    const ns::Ref<ViewController>& presentedViewController() const { return m_presented; }
    const ns::Ref<ViewController>& modalViewController() const { return m_presented; }
    void presentModalViewController(const ns::Ref<ViewController>& controller, bool animated);
    void presentViewController(const ns::Ref<ViewController>& controller, bool animated,
                               std::function<void()> completion = {});
    // Dismisses what this controller presents, or, when it presents nothing, this controller from its
    // presenter.
    void dismissModalViewControllerAnimated(bool animated);
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion = {});

    // Whether a presentation or dismissal by this controller is under way.
    bool isInTransition() const { return m_transition != Transition::None; }
    // Whether this controller's own modal presentation, or its dismissal, is under way.
    bool isBeingPresented() const;
    bool isBeingDismissed() const;
    // How long an animated transition of the style takes.
    static ns::TimeInterval transitionDuration(ModalTransitionStyle style);

    // Kept for the presentation; on the phone every style covers the screen, and transitions are drawn
    // as their end state.
    ModalPresentationStyle modalPresentationStyle() const { return m_presentationStyle; }
    void setModalPresentationStyle(ModalPresentationStyle style) { m_presentationStyle = style; }
    ModalTransitionStyle modalTransitionStyle() const { return m_transitionStyle; }
    void setModalTransitionStyle(ModalTransitionStyle style) { m_transitionStyle = style; }
    bool wantsFullScreenLayout() const { return m_wantsFullScreenLayout; }
    void setWantsFullScreenLayout(bool wants) { m_wantsFullScreenLayout = wants; }
    bool hidesBottomBarWhenPushed() const { return m_hidesBottomBarWhenPushed; }
    void setHidesBottomBarWhenPushed(bool hides) { m_hidesBottomBarWhenPushed = hides; }

    InterfaceOrientation interfaceOrientation() const;
    virtual bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) const
    {
        return orientation == InterfaceOrientation::Portrait;
    }

    // Editing, and the Edit/Done item that toggles it.
    bool isEditing() const { return m_editing; }
    virtual void setEditing(bool editing, bool animated);
    const ns::Ref<BarButtonItem>& editButtonItem();

    // The bar items a navigation controller's toolbar shows for this controller (recorded).
    const std::vector<ns::Ref<BarButtonItem>>& toolbarItems() const { return m_toolbarItems; }
    void setToolbarItems(std::vector<ns::Ref<BarButtonItem>> items, bool animated = false);

    // The view's superview.
    Responder* nextResponder() const override;
    std::string className() const override { return "UIViewController"; }

    // Sends the appearance calls (will when `before`, else did) to this controller and, through
    // visibleChildren, to the children on screen.
    void notifyAppearance(bool appearing, bool before, bool animated = false);

protected:
    ViewController();
    friend ns::Factory<ViewController>;

    // Whether the controller has a tab bar item of its own yet.
    bool hasTabBarItem() const { return m_tabBarItem != nullptr; }

    // The children whose views are on screen with this one's (a navigation controller's top one).
    virtual std::vector<ns::Ref<ViewController>> visibleChildren() const { return {}; }

private:
    enum class Appearance { Hidden, Appearing, Visible, Disappearing };
    enum class Transition { None, Presenting, Dismissing };
    void detachChild(ViewController* child);
    // Runs `end` now, or after the presented controller's transition when animated, drawing the
    // transition from `outgoing` to `incoming` meanwhile.
    void endTransition(Transition transition, bool animated, ModalTransitionStyle style,
                       const ns::Ref<View>& incoming, const ns::Ref<View>& outgoing,
                       std::function<void()> end);
    // The controller whose running transition `this` must wait for before presenting or dismissing:
    // itself, or its presenter while this one is being presented or dismissed; nothing when none runs.
    ViewController* transitionToWaitFor();

    ns::Ref<View> m_view;
    std::optional<std::string> m_title;
    ns::Ref<NavigationItem> m_navigationItem;
    ns::Ref<TabBarItem> m_tabBarItem;
    ViewController* m_parent = nullptr;     // the parent owns this controller; cleared when it goes
    ViewController* m_presenting = nullptr; // the presenter owns this controller; cleared when it goes
    ns::Ref<ViewController> m_presented;
    std::vector<ns::Ref<ViewController>> m_children;
    ModalPresentationStyle m_presentationStyle = ModalPresentationStyle::FullScreen;
    ModalTransitionStyle m_transitionStyle = ModalTransitionStyle::CoverVertical;
    bool m_wantsFullScreenLayout = false;
    bool m_hidesBottomBarWhenPushed = false;
    bool m_editing = false;
    ns::Ref<BarButtonItem> m_editButtonItem;
    std::vector<ns::Ref<BarButtonItem>> m_toolbarItems;
    Appearance m_appearance = Appearance::Hidden;
    Transition m_transition = Transition::None;           // of what this controller presents
    std::vector<std::function<void()>> m_afterTransition; // asked for while the transition runs
};

} // namespace ui
