#include "uikit/ViewController.h"

#include "foundation/Exception.h"
#include "foundation/Log.h"
#include "foundation/RunLoop.h"
#include "foundation/Version.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Device.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/ScreenTransition.h"
#include "uikit/TabBarController.h"
#include "uikit/TabBarItem.h"
#include "uikit/View.h"
#include "uikit/Window.h"

#include <algorithm>

namespace ui {
namespace {

// Releases the last reference on the next turn of the main run loop, so a controller that closes itself
// from one of its own operations lives until that operation has returned.
template <class T> void releaseLater(ns::Ref<T> object)
{
    if (object)
        ns::RunLoop::main().post([object = std::move(object)]() mutable { object.reset(); });
}

// Puts `incoming` where `outgoing` is on the screen, sized like it.
void swapViews(View* outgoing, const ns::Ref<View>& incoming)
{
    View* container = outgoing ? outgoing->superview() : nullptr;
    if (!container)
        return;
    if (auto* window = dynamic_cast<Window*>(container))
        window->placeInterfaceView(*incoming);
    else
        incoming->setFrame(outgoing->frame());
    container->insertSubviewAboveSubview(incoming, outgoing);
    outgoing->removeFromSuperview();
}

} // namespace

ViewController::ViewController() = default;

ViewController::~ViewController()
{
    if (m_view && m_view->m_viewController == this)
        m_view->m_viewController = nullptr;
    for (auto& child : m_children)
        child->m_parent = nullptr;
    if (m_presented)
        m_presented->m_presenting = nullptr;
}

ns::Ref<View> ViewController::view()
{
    if (!m_view) {
        loadView();
        if (!m_view)
            setView(View::create(Application::sharedApplication().applicationFrame()));
        viewDidLoad();
    }
    return m_view;
}

void ViewController::setView(ns::Ref<View> view)
{
    if (m_view && m_view->m_viewController == this)
        m_view->m_viewController = nullptr;
    m_view = std::move(view);
    if (m_view)
        m_view->m_viewController = this;
}

void ViewController::loadView()
{
    setView(View::create(Application::sharedApplication().applicationFrame()));
}

void ViewController::setTitle(std::optional<std::string> title)
{
    m_title = title;
    // The title names the controller in its navigation bar and on its tab alike.
    if (m_tabBarItem)
        m_tabBarItem->setTitle(title);
    if (m_navigationItem)
        m_navigationItem->setTitle(std::move(title));
}

const ns::Ref<NavigationItem>& ViewController::navigationItem()
{
    if (!m_navigationItem)
        m_navigationItem = NavigationItem::create(m_title);
    return m_navigationItem;
}

const ns::Ref<TabBarItem>& ViewController::tabBarItem()
{
    if (!m_tabBarItem) {
        m_tabBarItem = TabBarItem::create();
        m_tabBarItem->setTitle(m_title);
    }
    return m_tabBarItem;
}

void ViewController::setTabBarItem(ns::Ref<TabBarItem> item)
{
    m_tabBarItem = std::move(item);
}

void ViewController::addChildViewController(const ns::Ref<ViewController>& child)
{
    if (!child || child.get() == this)
        return;
    auto keep = child;
    if (child->m_parent && child->m_parent != this)
        child->removeFromParentViewController();
    if (std::find(m_children.begin(), m_children.end(), child) == m_children.end())
        m_children.push_back(child);
    child->m_parent = this;
}

void ViewController::detachChild(ViewController* child)
{
    auto found = std::find_if(m_children.begin(), m_children.end(),
                              [&](const ns::Ref<ViewController>& c) { return c.get() == child; });
    if (found == m_children.end())
        return;
    releaseLater(*found);
    m_children.erase(found);
    child->m_parent = nullptr;
}

void ViewController::removeFromParentViewController()
{
    if (m_parent)
        m_parent->detachChild(this);
}

NavigationController* ViewController::navigationController() const
{
    for (ViewController* p = m_parent; p; p = p->m_parent)
        if (auto* navigation = dynamic_cast<NavigationController*>(p))
            return navigation;
    return nullptr;
}

TabBarController* ViewController::tabBarController() const
{
    for (ViewController* p = m_parent; p; p = p->m_parent)
        if (auto* tabs = dynamic_cast<TabBarController*>(p))
            return tabs;
    return nullptr;
}

ViewController* ViewController::parentViewController() const
{
    if (m_parent)
        return m_parent;
    // Before 5.0 a modal controller's parent is the controller that presented it.
    if (m_presenting && ns::compareNumeric(Device::currentDevice()->systemVersion(), "5.0") < 0)
        return m_presenting;
    return nullptr;
}

ViewController* ViewController::presentingViewController() const
{
    for (const ViewController* c = this; c; c = c->m_parent)
        if (c->m_presenting)
            return c->m_presenting;
    return nullptr;
}

bool ViewController::isBeingPresented() const
{
    return m_presenting && m_presenting->m_presented.get() == this &&
           m_presenting->m_transition == Transition::Presenting;
}

bool ViewController::isBeingDismissed() const
{
    return m_presenting && m_presenting->m_presented.get() == this &&
           m_presenting->m_transition == Transition::Dismissing;
}

ns::TimeInterval ViewController::transitionDuration(ModalTransitionStyle style)
{
    switch (style) {
    case ModalTransitionStyle::FlipHorizontal:
    case ModalTransitionStyle::PartialCurl:
        return 0.45;
    case ModalTransitionStyle::CoverVertical:
    case ModalTransitionStyle::CrossDissolve:
        break;
    }
    return 0.4;
}

ViewController* ViewController::transitionToWaitFor()
{
    if (isInTransition())
        return this;
    if (m_presenting && m_presenting->m_presented.get() == this && m_presenting->isInTransition())
        return m_presenting;
    return nullptr;
}

void ViewController::endTransition(Transition transition, bool animated, ModalTransitionStyle style,
                                   const ns::Ref<View>& incoming, const ns::Ref<View>& outgoing,
                                   std::function<void()> end)
{
    if (!animated || !View::areAnimationsEnabled()) {
        auto keep = shared_from_this();
        end();
        return;
    }
    m_transition = transition;
    ns::TimeInterval duration = transitionDuration(style);
    bool drawn = incoming && outgoing && incoming->superview() && !outgoing->superview();
    if (drawn)
        beginScreenTransition(incoming, outgoing, style, transition == Transition::Presenting, duration);
    Application::sharedApplication().beginIgnoringInteractionEvents();
    ns::RunLoop::main().performAfterDelay(
        this, "modalTransitionDidEnd", duration,
        [keep = shared_from_this(), this, incoming = drawn ? incoming : nullptr, end = std::move(end)] {
            m_transition = Transition::None;
            if (incoming)
                endScreenTransition(incoming.get());
            Application::sharedApplication().endIgnoringInteractionEvents();
            end();
            // What was asked for meanwhile, in order; each may start a transition of its own and wait again.
            auto waiting = std::move(m_afterTransition);
            m_afterTransition.clear();
            for (auto& step : waiting)
                step();
        });
}

void ViewController::presentModalViewController(const ns::Ref<ViewController>& controller, bool animated)
{
    presentViewController(controller, animated);
}

void ViewController::presentViewController(const ns::Ref<ViewController>& controller, bool animated,
                                           std::function<void()> completion)
{
    if (!controller)
        return;
    if (controller->m_presenting || controller->m_parent || controller.get() == this)
        ns::raise(ns::InvalidArgumentException, "Application tried to present modally an active controller " +
                                                    controller->description() + ".");
    ViewController* presenter = this;
    while (presenter->m_parent)
        presenter = presenter->m_parent;
    if (auto* running = presenter->transitionToWaitFor()) {
        running->m_afterTransition.push_back([keep = self<ViewController>(), controller, animated,
                                              completion = std::move(completion)]() mutable {
            keep->presentViewController(controller, animated, std::move(completion));
        });
        return;
    }
    if (presenter->m_presented) {
        ns::log("Warning: Attempt to present %s on %s which is already presenting %s",
                controller->description(), presenter->description(), presenter->m_presented->description());
        return;
    }
    auto keep = controller;
    presenter->m_presented = controller;
    controller->m_presenting = presenter;

    presenter->notifyAppearance(false, true, animated);
    controller->notifyAppearance(true, true, animated);
    swapViews(presenter->isViewLoaded() ? presenter->m_view.get() : nullptr, controller->view());
    presenter->endTransition(Transition::Presenting, animated, controller->m_transitionStyle,
                             controller->m_view, presenter->m_view,
                             [presenter, controller, animated, completion = std::move(completion)] {
                                 presenter->notifyAppearance(false, false, animated);
                                 controller->notifyAppearance(true, false, animated);
                                 if (completion)
                                     completion();
                             });
}

void ViewController::dismissModalViewControllerAnimated(bool animated)
{
    dismissViewControllerAnimated(animated);
}

void ViewController::dismissViewControllerAnimated(bool animated, std::function<void()> completion)
{
    ViewController* owner = this;
    while (owner && !owner->m_presented && !owner->m_presenting)
        owner = owner->m_parent;
    if (!owner)
        return;
    ViewController* target = owner->m_presented ? owner : owner->m_presenting;
    if (target->m_transition == Transition::Dismissing) {
        // The same dismissal, already on its way.
        if (completion)
            target->m_afterTransition.push_back(std::move(completion));
        return;
    }
    if (auto* running = target->transitionToWaitFor()) {
        running->m_afterTransition.push_back(
            [keep = self<ViewController>(), animated, completion = std::move(completion)]() mutable {
                keep->dismissViewControllerAnimated(animated, std::move(completion));
            });
        return;
    }
    ns::Ref<ViewController> dismissed = target->m_presented;
    // The whole stack above the target goes; only the top one is on the screen.
    ns::Ref<ViewController> top = dismissed;
    while (top->m_presented)
        top = top->m_presented;
    ns::Ref<View> leaving = top->isViewLoaded() && top->m_view->superview() ? top->m_view : nullptr;

    top->notifyAppearance(false, true, animated);
    target->notifyAppearance(true, true, animated);
    if (target->isViewLoaded() && top->isViewLoaded() && top->m_view->superview()) {
        View* container = top->m_view->superview();
        container->insertSubviewAboveSubview(target->m_view, top->m_view.get());
        // The interface may have turned while the presenter was away, to where it may not turn.
        if (auto* window = dynamic_cast<Window*>(container)) {
            window->placeInterfaceView(*target->m_view);
            if (window->isKeyWindow())
                Device::currentDevice()->frontScreenChanged(*target);
        }
        top->m_view->removeFromSuperview();
    }
    for (ns::Ref<ViewController> c = dismissed; c; c = c->m_presented)
        if (c != top && c->isViewLoaded())
            c->m_view->removeFromSuperview();
    target->endTransition(Transition::Dismissing, animated, top->m_transitionStyle, target->m_view, leaving,
                          [target, dismissed, top, animated, completion = std::move(completion)] {
                              for (ns::Ref<ViewController> c = dismissed; c; c = c->m_presented)
                                  c->m_presenting = nullptr;
                              target->m_presented.reset();
                              top->notifyAppearance(false, false, animated);
                              target->notifyAppearance(true, false, animated);
                              // Release what was dismissed only after the caller (often the dismissed
                              // controller) has returned.
                              for (ns::Ref<ViewController> c = dismissed; c;) {
                                  ns::Ref<ViewController> next = std::move(c->m_presented);
                                  releaseLater(c);
                                  c = next;
                              }
                              if (completion)
                                  completion();
                          });
}

InterfaceOrientation ViewController::interfaceOrientation() const
{
    return Application::sharedApplication().statusBarOrientation();
}

void ViewController::setEditing(bool editing, bool)
{
    m_editing = editing;
    if (m_editButtonItem) {
        m_editButtonItem->setTitle(editing ? "Done" : "Edit");
        m_editButtonItem->setStyle(editing ? BarButtonItemStyle::Done : BarButtonItemStyle::Bordered);
    }
}

const ns::Ref<BarButtonItem>& ViewController::editButtonItem()
{
    if (!m_editButtonItem) {
        m_editButtonItem = BarButtonItem::withTitle(
            m_editing ? "Done" : "Edit", m_editing ? BarButtonItemStyle::Done : BarButtonItemStyle::Bordered);
        m_editButtonItem->setTargetAction(nullptr, [weak = weakSelf<ViewController>()](const ns::Id&) {
            if (auto controller = weak.lock())
                controller->setEditing(!controller->m_editing, true);
        });
    }
    return m_editButtonItem;
}

void ViewController::setToolbarItems(std::vector<ns::Ref<BarButtonItem>> items, bool)
{
    m_toolbarItems = std::move(items);
}

Responder* ViewController::nextResponder() const
{
    if (m_view && m_view->superview())
        return m_view->superview();
    return nullptr;
}

void ViewController::notifyAppearance(bool appearing, bool before, bool animated)
{
    if (appearing && before) {
        if (m_appearance == Appearance::Visible || m_appearance == Appearance::Appearing)
            return;
        view();
        m_appearance = Appearance::Appearing;
        viewWillAppear(animated);
    } else if (appearing) {
        if (m_appearance != Appearance::Appearing)
            return;
        m_appearance = Appearance::Visible;
        viewDidAppear(animated);
    } else if (before) {
        if (m_appearance == Appearance::Hidden || m_appearance == Appearance::Disappearing)
            return;
        m_appearance = Appearance::Disappearing;
        viewWillDisappear(animated);
    } else {
        if (m_appearance != Appearance::Disappearing)
            return;
        m_appearance = Appearance::Hidden;
        viewDidDisappear(animated);
    }
    for (auto& child : visibleChildren())
        child->notifyAppearance(appearing, before, animated);
}

} // namespace ui
