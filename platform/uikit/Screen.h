#pragma once

#include "foundation/Object.h"
#include "graphics/Geometry.h"

namespace ui {

// The device's screen: 320 by 480 points on a phone, 768 by 1024 on a tablet (the device's idiom, a setting
// of the device, decides), a status bar of 20 points, at scale 1 or 2. Its coordinates never turn: in
// landscape the status bar runs down one long side.
class Screen : public ns::Object
{
public:
    static ns::Ref<Screen> mainScreen();

    cg::Rect bounds() const;
    // The bounds less the status bar while it shows, the bar standing at the top of the interface as the
    // application's status-bar orientation turns it; on a phone: (0, 20, 320, 460) upright, (0, 0, 320,
    // 460) upside down, (20, 0, 300, 480) in landscape left and (0, 0, 300, 480) in landscape right.
    cg::Rect applicationFrame() const;
    float scale() const { return m_scale; }
    void setScale(float scale); // 1 or 2; other values are ignored

    // Kept in step with the application's status bar.
    bool statusBarHidden() const { return m_statusBarHidden; }
    void setStatusBarHidden(bool hidden) { m_statusBarHidden = hidden; }
    static constexpr float statusBarHeight = 20;

    std::string className() const override { return "UIScreen"; }

protected:
    Screen() = default;
    friend ns::Factory<Screen>;

private:
    float m_scale = 1;
    bool m_statusBarHidden = false;
};

} // namespace ui
