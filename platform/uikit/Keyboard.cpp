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

cg::Rect hiddenFrame()
{
    cg::Rect screen = Application::screenBounds();
    return cg::makeRect(0, screen.size.height, screen.size.width, 216);
}

} // namespace

bool Keyboard::isVisible()
{
    return g_visible;
}

cg::Rect Keyboard::frame()
{
    cg::Rect screen = Application::screenBounds();
    return cg::makeRect(0, screen.size.height - 216, screen.size.width, 216);
}

void Keyboard::show()
{
    if (g_visible)
        return;
    g_visible = true;
    post(KeyboardWillShowNotification, hiddenFrame(), frame());
    post(KeyboardDidShowNotification, hiddenFrame(), frame());
}

void Keyboard::hide()
{
    if (!g_visible)
        return;
    g_visible = false;
    post(KeyboardWillHideNotification, frame(), hiddenFrame());
    post(KeyboardDidHideNotification, frame(), hiddenFrame());
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
