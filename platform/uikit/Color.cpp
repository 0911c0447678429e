#include "uikit/Color.h"

#include "foundation/Format.h"
#include "uikit/GraphicsContext.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace ui {

namespace {

float clampUnit(float value)
{
    if (std::isnan(value))
        return 0;
    return std::clamp(value, 0.0f, 1.0f);
}

} // namespace

Color::Color(float red, float green, float blue, float alpha)
    : m_color{clampUnit(red), clampUnit(green), clampUnit(blue), clampUnit(alpha)}
{
}

ns::Ref<Color> Color::colorWithRed(float red, float green, float blue, float alpha)
{
    return Color::create(red, green, blue, alpha);
}

ns::Ref<Color> Color::colorWithWhite(float white, float alpha)
{
    return Color::create(white, white, white, alpha);
}

ns::Ref<Color> Color::colorWithCGColor(const cg::Color& color)
{
    return Color::create(color.red, color.green, color.blue, color.alpha);
}

ns::Ref<Color> Color::blackColor()
{
    return colorWithWhite(0, 1);
}
ns::Ref<Color> Color::darkGrayColor()
{
    return colorWithWhite(1.0f / 3, 1);
}
ns::Ref<Color> Color::lightGrayColor()
{
    return colorWithWhite(2.0f / 3, 1);
}
ns::Ref<Color> Color::whiteColor()
{
    return colorWithWhite(1, 1);
}
ns::Ref<Color> Color::grayColor()
{
    return colorWithWhite(0.5f, 1);
}
ns::Ref<Color> Color::redColor()
{
    return colorWithRed(1, 0, 0, 1);
}
ns::Ref<Color> Color::greenColor()
{
    return colorWithRed(0, 1, 0, 1);
}
ns::Ref<Color> Color::blueColor()
{
    return colorWithRed(0, 0, 1, 1);
}
ns::Ref<Color> Color::cyanColor()
{
    return colorWithRed(0, 1, 1, 1);
}
ns::Ref<Color> Color::yellowColor()
{
    return colorWithRed(1, 1, 0, 1);
}
ns::Ref<Color> Color::magentaColor()
{
    return colorWithRed(1, 0, 1, 1);
}
ns::Ref<Color> Color::orangeColor()
{
    return colorWithRed(1, 0.5f, 0, 1);
}
ns::Ref<Color> Color::purpleColor()
{
    return colorWithRed(0.5f, 0, 0.5f, 1);
}
ns::Ref<Color> Color::brownColor()
{
    return colorWithRed(0.6f, 0.4f, 0.2f, 1);
}
ns::Ref<Color> Color::clearColor()
{
    return colorWithWhite(0, 0);
}
// The platform paints this one as a striped pattern; a flat blue-grey stands in for it.
ns::Ref<Color> Color::groupTableViewBackgroundColor()
{
    return colorWithRed(0.773f, 0.8f, 0.831f, 1);
}
ns::Ref<Color> Color::lightTextColor()
{
    return colorWithWhite(1, 0.6f);
}
ns::Ref<Color> Color::darkTextColor()
{
    return colorWithWhite(0, 1);
}

bool Color::getRed(float* red, float* green, float* blue, float* alpha) const
{
    if (red)
        *red = m_color.red;
    if (green)
        *green = m_color.green;
    if (blue)
        *blue = m_color.blue;
    if (alpha)
        *alpha = m_color.alpha;
    return true;
}

ns::Ref<Color> Color::colorWithAlphaComponent(float alpha) const
{
    return Color::create(m_color.red, m_color.green, m_color.blue, alpha);
}

void Color::set() const
{
    setFill();
    setStroke();
}

void Color::setFill() const
{
    if (auto context = currentContext())
        context->setFillColor(m_color);
}

void Color::setStroke() const
{
    if (auto context = currentContext())
        context->setStrokeColor(m_color);
}

std::string Color::description() const
{
    return ns::format("UIDeviceRGBColorSpace %g %g %g %g", double(m_color.red), double(m_color.green),
                      double(m_color.blue), double(m_color.alpha));
}

bool Color::isEqual(const ns::Object& other) const
{
    auto* color = dynamic_cast<const Color*>(&other);
    return color && color->m_color == m_color;
}

std::size_t Color::hash() const
{
    std::size_t h = 0;
    for (float component : {m_color.red, m_color.green, m_color.blue, m_color.alpha})
        h = h * 31 + std::hash<float>{}(component);
    return h;
}

} // namespace ui
