#pragma once

#include "uikit/Application.h"
#include "uikit/View.h"

namespace ui {

class Event;
class ViewController;

using WindowLevel = cg::Float;
inline constexpr WindowLevel WindowLevelNormal = 0;
inline constexpr WindowLevel WindowLevelStatusBar = 1000;
inline constexpr WindowLevel WindowLevelAlert = 2000;

// The root of a view hierarchy on the screen; delivers touches to the views they began in.
class Window : public View
{
public:
    static ns::Ref<Window> create() { return ns::Factory<Window>::make(); }
    static ns::Ref<Window> create(cg::Rect frame) { return ns::Factory<Window>::make(frame); }
    ~Window() override;

    // Shows the window above the others of its level and makes it the key window.
    void makeKeyAndVisible();
    void makeKeyWindow();
    bool isKeyWindow() const;

    WindowLevel windowLevel() const { return m_windowLevel; }
    void setWindowLevel(WindowLevel level) { m_windowLevel = level; }

    // The root controller's view fills the window below the status bar.
    const ns::Ref<ViewController>& rootViewController() const { return m_rootViewController; }
    void setRootViewController(ns::Ref<ViewController> controller);

    // The turn from the interface's coordinates to the screen's: a quarter turn anticlockwise when the
    // interface's top stands on the screen's left edge (landscape left), clockwise on its right edge.
    static cg::AffineTransform interfaceTransform(InterfaceOrientation orientation);
    // Puts a controller's view where the interface is: over the application frame, turned with the status
    // bar's orientation, so that its bounds measure the interface (480 by 300 in landscape).
    void placeInterfaceView(View& view) const;
    // The status bar has turned: every controller's view on the window follows it, then lays out.
    void interfaceOrientationDidChange();

    // Hands each touch of the event to the view it began in, grouped by phase and view.
    virtual void sendEvent(Event& event);

    std::string className() const override { return "UIWindow"; }

protected:
    Window();
    explicit Window(cg::Rect frame);
    friend ns::Factory<Window>;

private:
    WindowLevel m_windowLevel = WindowLevelNormal;
    ns::Ref<ViewController> m_rootViewController;
};

} // namespace ui
