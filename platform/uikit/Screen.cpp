#include "uikit/Screen.h"

#include "uikit/Application.h"
#include "uikit/Device.h"

namespace ui {

ns::Ref<Screen> Screen::mainScreen()
{
    static const ns::Ref<Screen> screen = ns::Factory<Screen>::make();
    return screen;
}

cg::Rect Screen::bounds() const
{
    if (Device::currentDevice()->userInterfaceIdiom() == UserInterfaceIdiom::Pad)
        return cg::makeRect(0, 0, 768, 1024);
    return cg::makeRect(0, 0, 320, 480);
}

cg::Rect Screen::applicationFrame() const
{
    cg::Rect b = bounds();
    if (m_statusBarHidden)
        return b;
    constexpr float bar = statusBarHeight;
    switch (Application::sharedApplication().statusBarOrientation()) {
    case InterfaceOrientation::PortraitUpsideDown:
        return cg::makeRect(0, 0, b.size.width, b.size.height - bar);
    case InterfaceOrientation::LandscapeLeft:
        return cg::makeRect(bar, 0, b.size.width - bar, b.size.height);
    case InterfaceOrientation::LandscapeRight:
        return cg::makeRect(0, 0, b.size.width - bar, b.size.height);
    case InterfaceOrientation::Portrait:
        break;
    }
    return cg::makeRect(0, bar, b.size.width, b.size.height - bar);
}

void Screen::setScale(float scale)
{
    if (scale == 1 || scale == 2)
        m_scale = scale;
}

} // namespace ui
