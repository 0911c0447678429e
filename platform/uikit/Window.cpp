#include "uikit/Window.h"

#include "uikit/Application.h"
#include "uikit/Event.h"
#include "uikit/ViewController.h"

#include <algorithm>

namespace ui {

cg::AffineTransform Window::interfaceTransform(InterfaceOrientation orientation)
{
    switch (orientation) {
    case InterfaceOrientation::LandscapeLeft:
        return {0, -1, 1, 0, 0, 0};
    case InterfaceOrientation::LandscapeRight:
        return {0, 1, -1, 0, 0, 0};
    case InterfaceOrientation::PortraitUpsideDown:
        return {-1, 0, 0, -1, 0, 0};
    case InterfaceOrientation::Portrait:
        break;
    }
    return {};
}

Window::Window() : Window(Application::screenBounds())
{
}

Window::Window(cg::Rect frame) : View(frame)
{
    setHidden(true);
}

Window::~Window() = default;

void Window::makeKeyAndVisible()
{
    bool appearing = isHidden();
    setHidden(false);
    Application::sharedApplication().windowBecameVisible(self<Window>());
    makeKeyWindow();
    if (appearing && m_rootViewController)
        m_rootViewController->notifyAppearance(true, false);
}

void Window::makeKeyWindow()
{
    Application::sharedApplication().setKeyWindow(self<Window>());
}

bool Window::isKeyWindow() const
{
    return Application::sharedApplication().keyWindow().get() == this;
}

void Window::setRootViewController(ns::Ref<ViewController> controller)
{
    if (controller == m_rootViewController)
        return;
    ns::Ref<ViewController> old = std::move(m_rootViewController);
    m_rootViewController = std::move(controller);
    bool visible = !isHidden();
    if (old) {
        if (visible)
            old->notifyAppearance(false, true);
        if (old->isViewLoaded())
            old->view()->removeFromSuperview();
        if (visible)
            old->notifyAppearance(false, false);
    }
    if (!m_rootViewController)
        return;
    if (visible)
        m_rootViewController->notifyAppearance(true, true);
    auto view = m_rootViewController->view();
    placeInterfaceView(*view);
    addSubview(view);
    if (visible)
        m_rootViewController->notifyAppearance(true, false);
}

void Window::placeInterfaceView(View& view) const
{
    auto& application = Application::sharedApplication();
    cg::Rect area = convertRectFromView(application.applicationFrame(), nullptr);
    InterfaceOrientation orientation = application.statusBarOrientation();
    bool landscape = orientation == InterfaceOrientation::LandscapeLeft ||
                     orientation == InterfaceOrientation::LandscapeRight;
    cg::Rect b = view.bounds();
    view.setTransform(interfaceTransform(orientation));
    view.setBounds(cg::Rect{b.origin, landscape ? cg::Size{area.size.height, area.size.width} : area.size});
    view.setCenter(cg::makePoint(area.midX(), area.midY()));
}

void Window::interfaceOrientationDidChange()
{
    auto subviews = this->subviews();
    for (auto& subview : subviews)
        if (subview->viewController())
            placeInterfaceView(*subview);
    layoutIfNeeded();
}

void Window::sendEvent(Event& event)
{
    static constexpr TouchPhase phases[] = {TouchPhase::Began, TouchPhase::Moved, TouchPhase::Ended,
                                            TouchPhase::Cancelled};
    for (TouchPhase phase : phases) {
        std::vector<ns::Ref<View>> views;
        for (const auto& touch : event.allTouches())
            if (touch->phase() == phase && touch->view() && touch->window().get() == this &&
                std::find(views.begin(), views.end(), touch->view()) == views.end())
                views.push_back(touch->view());
        for (const auto& view : views) {
            TouchSet touches;
            for (const auto& touch : event.allTouches())
                if (touch->phase() == phase && touch->view() == view)
                    touches.add(touch);
            switch (phase) {
            case TouchPhase::Began:
                view->touchesBegan(touches, &event);
                break;
            case TouchPhase::Moved:
                view->touchesMoved(touches, &event);
                break;
            case TouchPhase::Ended:
                view->touchesEnded(touches, &event);
                break;
            case TouchPhase::Cancelled:
                view->touchesCancelled(touches, &event);
                break;
            case TouchPhase::Stationary:
                break;
            }
        }
    }
}

} // namespace ui
