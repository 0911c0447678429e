#include "uikit/Screen.h"

namespace ui {

ns::Ref<Screen> Screen::mainScreen()
{
    static const ns::Ref<Screen> screen = ns::Factory<Screen>::make();
    return screen;
}

cg::Rect Screen::applicationFrame() const
{
    if (m_statusBarHidden)
        return bounds();
    return cg::makeRect(0, statusBarHeight, 320, 480 - statusBarHeight);
}

void Screen::setScale(float scale)
{
    if (scale == 1 || scale == 2)
        m_scale = scale;
}

} // namespace ui
