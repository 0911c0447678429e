#pragma once

#include "uikit/Window.h"

namespace ui {

// The windows alerts and action sheets show in: above the application's, dimming it, kept alive while
// they show.
class OverlayWindow : public Window
{
public:
    static ns::Ref<OverlayWindow> create() { return ns::Factory<OverlayWindow>::make(); }

    // Shows `content` over a dimmed screen and makes the overlay the key window; remembers the key
    // window it replaces.
    static ns::Ref<OverlayWindow> present(const ns::Ref<View>& content, WindowLevel level);
    // Hides the overlay and gives the key window back.
    void dismiss();

    std::string className() const override { return "UIOverlayWindow"; }

protected:
    OverlayWindow();
    friend ns::Factory<OverlayWindow>;

private:
    ns::Weak<Window> m_previousKeyWindow;
};

} // namespace ui
