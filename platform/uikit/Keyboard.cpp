#include "uikit/Keyboard.h"

#include "foundation/Dictionary.h"
#include "foundation/Format.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "uikit/Application.h"

#include <cstdio>

namespace ui {
namespace {

bool g_visible = false;
// The frame the keyboard was shown at, so that after a turn it leaves from where it stood.
cg::Rect g_shownFrame;

std::string rectText(cg::Rect r)
{
    return ns::format("{{%g, %g}, {%g, %g}}", double(r.origin.x), double(r.origin.y), double(r.size.width),
                      double(r.size.height));
}

void post(const char* name, cg::Rect begin, cg::Rect end)
{
    auto info = ns::MutableDictionary::make();
    info->setObject(ns::String::make(rectText(begin)), KeyboardFrameBeginUserInfoKey);
    info->setObject(ns::String::make(rectText(end)), KeyboardFrameEndUserInfoKey);
    info->setObject(ns::Number::numberWithDouble(0.25), KeyboardAnimationDurationUserInfoKey);
    ns::NotificationCenter::defaultCenter().postNotification(name, nullptr, info);
}

// The keyboard's frame, shown or just out of sight, for the status bar's orientation.
cg::Rect keyboardFrame(bool shown)
{
    cg::Rect screen = Application::screenBounds();
    float w = screen.size.width, h = screen.size.height;
    float tall = Keyboard::portraitHeight, wide = Keyboard::landscapeHeight;
    switch (Application::sharedApplication().statusBarOrientation()) {
    case InterfaceOrientation::PortraitUpsideDown:
        return cg::makeRect(0, shown ? 0 : -tall, w, tall);
    case InterfaceOrientation::LandscapeLeft:
        return cg::makeRect(shown ? w - wide : w, 0, wide, h);
    case InterfaceOrientation::LandscapeRight:
        return cg::makeRect(shown ? 0 : -wide, 0, wide, h);
    case InterfaceOrientation::Portrait:
        break;
    }
    return cg::makeRect(0, shown ? h - tall : h, w, tall);
}

} // namespace

bool Keyboard::isVisible()
{
    return g_visible;
}

cg::Rect Keyboard::frame()
{
    return keyboardFrame(true);
}

cg::Rect Keyboard::hiddenFrame()
{
    return keyboardFrame(false);
}

void Keyboard::show()
{
    if (g_visible)
        return;
    g_visible = true;
    g_shownFrame = frame();
    post(KeyboardWillShowNotification, hiddenFrame(), g_shownFrame);
    post(KeyboardDidShowNotification, hiddenFrame(), g_shownFrame);
}

void Keyboard::hide()
{
    if (!g_visible)
        return;
    g_visible = false;
    // The frame it goes down to lies beyond the edge it stood at.
    cg::Rect from = g_shownFrame;
    cg::Rect to = from;
    if (from.size.width < from.size.height)
        to.origin.x = from.origin.x > 0 ? from.origin.x + from.size.width : -from.size.width;
    else
        to.origin.y = from.origin.y > 0 ? from.origin.y + from.size.height : -from.size.height;
    post(KeyboardWillHideNotification, from, to);
    post(KeyboardDidHideNotification, from, to);
}

void Keyboard::interfaceOrientationDidChange()
{
    if (!g_visible || g_shownFrame == frame())
        return;
    hide();
    show();
}

std::optional<cg::Rect> Keyboard::frameFromUserInfo(const ns::Dictionary* userInfo, const char* key)
{
    if (!userInfo)
        return std::nullopt;
    auto text = userInfo->stringForKey(key);
    if (!text)
        return std::nullopt;
    float x, y, w, h;
    char tail;
    if (std::sscanf(text->c_str(), "{{%f, %f}, {%f, %f}%c", &x, &y, &w, &h, &tail) != 5 || tail != '}')
        return std::nullopt;
    return cg::makeRect(x, y, w, h);
}

} // namespace ui
