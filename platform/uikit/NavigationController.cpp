#include "uikit/NavigationController.h"

#include "foundation/Exception.h"
#include "foundation/RunLoop.h"
#include "uikit/NavigationBar.h"
#include "uikit/NavigationItem.h"
#include "uikit/Toolbar.h"
#include "uikit/View.h"

#include <algorithm>

namespace ui {
namespace {

template <class T> void releaseLater(ns::Ref<T> object)
{
    if (object)
        ns::RunLoop::main().post([object = std::move(object)]() mutable { object.reset(); });
}

// The controller's view: when its size changes (the interface turned), the bars and the top controller's
// view follow.
class ContainerView : public View
{
public:
    ContainerView(cg::Rect frame, std::function<void()> layout) : View(frame), m_layout(std::move(layout)) {}
    void layoutSubviews() override
    {
        if (m_layout)
            m_layout();
    }

private:
    std::function<void()> m_layout;
};

} // namespace

NavigationController::NavigationController() = default;

NavigationController::NavigationController(const ns::Ref<ViewController>& rootViewController)
    : NavigationController()
{
    if (rootViewController)
        addChildViewController(rootViewController);
    layoutBars();
}

NavigationController::~NavigationController() = default;

ns::Ref<NavigationController> NavigationController::create()
{
    auto controller = ns::Factory<NavigationController>::make();
    controller->connectNavigationBar();
    return controller;
}

ns::Ref<NavigationController> NavigationController::create(const ns::Ref<ViewController>& rootViewController)
{
    auto controller = ns::Factory<NavigationController>::make(rootViewController);
    controller->connectNavigationBar();
    return controller;
}

void NavigationController::connectNavigationBar()
{
    m_backPops = true;
    if (m_navigationBar)
        connectBackAction();
}

void NavigationController::connectBackAction() const
{
    m_navigationBar->setBackAction(
        [weak = const_cast<NavigationController*>(this)->weakSelf<NavigationController>()] {
            if (auto controller = weak.lock())
                controller->popViewControllerAnimated(true);
        });
}

const ns::Ref<NavigationBar>& NavigationController::navigationBar() const
{
    if (!m_navigationBar) {
        m_navigationBar = NavigationBar::create();
        if (m_backPops)
            connectBackAction();
    }
    return m_navigationBar;
}

const ns::Ref<Toolbar>& NavigationController::toolbar() const
{
    if (!m_toolbar)
        m_toolbar = Toolbar::create();
    return m_toolbar;
}

bool NavigationController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) const
{
    auto top = topViewController();
    return top ? top->shouldAutorotateToInterfaceOrientation(orientation)
               : ViewController::shouldAutorotateToInterfaceOrientation(orientation);
}

const ns::Ref<TabBarItem>& NavigationController::tabBarItem()
{
    if (!hasTabBarItem() && !viewControllers().empty())
        return viewControllers().front()->tabBarItem();
    return ViewController::tabBarItem();
}

void NavigationController::loadView()
{
    auto container = ns::make<ContainerView>(
        Application::sharedApplication().applicationFrame(), [weak = weakSelf<NavigationController>()] {
            auto controller = weak.lock();
            if (!controller)
                return;
            controller->layoutBars();
            if (auto top = controller->topViewController(); top && top->isViewLoaded())
                top->view()->setFrame(controller->contentFrame());
        });
    setView(container);
    container->addSubview(navigationBar());
    container->addSubview(toolbar());
    layoutBars();
    if (auto top = topViewController()) {
        top->view()->setFrame(contentFrame());
        container->insertSubviewAtIndex(top->view(), 0);
    }
}

cg::Rect NavigationController::contentFrame() const
{
    cg::Rect b = isViewLoaded() ? const_cast<NavigationController*>(this)->view()->bounds()
                                : cg::Rect{{0, 0}, Application::sharedApplication().applicationFrame().size};
    cg::Float top = m_navigationBarHidden ? 0 : 44;
    cg::Float bottom = m_toolbarHidden ? 0 : 44;
    return cg::makeRect(0, top, b.size.width, std::max<cg::Float>(0, b.size.height - top - bottom));
}

void NavigationController::layoutBars()
{
    std::vector<ns::Ref<NavigationItem>> items;
    for (auto& controller : childViewControllers())
        items.push_back(controller->navigationItem());
    const auto& bar = navigationBar();
    const auto& tools = toolbar();
    bar->setItems(std::move(items));
    cg::Rect b = isViewLoaded() ? view()->bounds()
                                : cg::Rect{{0, 0}, Application::sharedApplication().applicationFrame().size};
    bar->setFrame(cg::makeRect(0, 0, b.size.width, 44));
    bar->setHidden(m_navigationBarHidden);
    tools->setFrame(cg::makeRect(0, b.size.height - 44, b.size.width, 44));
    tools->setHidden(m_toolbarHidden);
    if (auto top = topViewController())
        tools->setItems(top->toolbarItems());
}

void NavigationController::setViewControllers(std::vector<ns::Ref<ViewController>> controllers, bool animated)
{
    auto previous = topViewController();
    auto old = childViewControllers();
    // Every controller left out goes, the old top too (as a pop removes it before the new top shows).
    for (auto& controller : old)
        if (std::find(controllers.begin(), controllers.end(), controller) == controllers.end())
            controller->removeFromParentViewController();
    for (auto& controller : controllers)
        addChildViewController(controller);
    showTop(previous, animated);
}

ns::Ref<ViewController> NavigationController::topViewController() const
{
    const auto& children = childViewControllers();
    return children.empty() ? nullptr : children.back();
}

ns::Ref<ViewController> NavigationController::visibleViewController() const
{
    auto top = topViewController();
    if (top && top->presentedViewController())
        return top->presentedViewController();
    return top;
}

void NavigationController::pushViewController(const ns::Ref<ViewController>& controller, bool animated)
{
    if (!controller || controller.get() == this)
        return;
    if (std::find(childViewControllers().begin(), childViewControllers().end(), controller) !=
        childViewControllers().end())
        ns::raise(ns::InvalidArgumentException,
                  "Pushing the same view controller instance more than once is not supported");
    auto previous = topViewController();
    addChildViewController(controller);
    showTop(previous, animated);
}

ns::Ref<ViewController> NavigationController::popViewControllerAnimated(bool animated)
{
    if (childViewControllers().size() < 2)
        return nullptr;
    auto popped = topViewController();
    popped->removeFromParentViewController();
    showTop(popped, animated);
    releaseLater(popped);
    return popped;
}

std::vector<ns::Ref<ViewController>> NavigationController::popToViewController(const ViewController* target,
                                                                               bool animated)
{
    std::vector<ns::Ref<ViewController>> popped;
    auto children = childViewControllers();
    auto found = std::find_if(children.begin(), children.end(),
                              [&](const ns::Ref<ViewController>& c) { return c.get() == target; });
    if (found == children.end())
        return popped;
    auto previous = topViewController();
    for (auto it = found + 1; it != children.end(); ++it) {
        popped.push_back(*it);
        if (*it != previous)
            (*it)->removeFromParentViewController();
    }
    if (previous && previous.get() != target)
        previous->removeFromParentViewController();
    showTop(previous, animated);
    for (auto& controller : popped)
        releaseLater(controller);
    return popped;
}

std::vector<ns::Ref<ViewController>> NavigationController::popToRootViewControllerAnimated(bool animated)
{
    if (childViewControllers().empty())
        return {};
    return popToViewController(childViewControllers().front().get(), animated);
}

void NavigationController::setNavigationBarHidden(bool hidden, bool)
{
    m_navigationBarHidden = hidden;
    layoutBars();
    if (auto top = topViewController(); top && isViewLoaded() && top->isViewLoaded())
        top->view()->setFrame(contentFrame());
}

void NavigationController::setToolbarHidden(bool hidden, bool)
{
    m_toolbarHidden = hidden;
    layoutBars();
    if (auto top = topViewController(); top && isViewLoaded() && top->isViewLoaded())
        top->view()->setFrame(contentFrame());
}

std::vector<ns::Ref<ViewController>> NavigationController::visibleChildren() const
{
    if (auto top = topViewController())
        return {top};
    return {};
}

void NavigationController::showTop(const ns::Ref<ViewController>& previous, bool animated)
{
    auto top = topViewController();
    auto keep = previous;
    layoutBars();
    if (top == previous)
        return;
    bool onScreen = isVisible();
    auto delegate = m_delegate.lock();
    if (top && delegate)
        delegate->navigationControllerWillShowViewController(*this, *top, animated);
    if (onScreen) {
        if (previous)
            previous->notifyAppearance(false, true, animated);
        if (top)
            top->notifyAppearance(true, true, animated);
    }
    if (isViewLoaded()) {
        if (previous && previous->isViewLoaded() && previous->view()->superview() == view().get())
            previous->view()->removeFromSuperview();
        if (top) {
            top->view()->setFrame(contentFrame());
            view()->insertSubviewBelowSubview(top->view(), navigationBar().get());
        }
    }
    if (onScreen) {
        if (previous)
            previous->notifyAppearance(false, false, animated);
        if (top)
            top->notifyAppearance(true, false, animated);
    }
    if (top && delegate)
        delegate->navigationControllerDidShowViewController(*this, *top, animated);
}

} // namespace ui
