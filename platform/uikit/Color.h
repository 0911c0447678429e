#pragma once

#include "foundation/Object.h"
#include "graphics/Color.h"

namespace ui {

// An immutable colour: red, green, blue and alpha, each 0 to 1, always readable as four components.
class Color : public ns::Object
{
public:
    static ns::Ref<Color> create(float red, float green, float blue, float alpha)
    {
        return ns::Factory<Color>::make(red, green, blue, alpha);
    }
    static ns::Ref<Color> create(const cg::Color& color) { return ns::Factory<Color>::make(color); }

    static ns::Ref<Color> colorWithRed(float red, float green, float blue, float alpha);
    // A grey: red, green and blue all `white`.
    static ns::Ref<Color> colorWithWhite(float white, float alpha);
    static ns::Ref<Color> colorWithCGColor(const cg::Color& color);

    // The named colours, as the platform defines them.
    static ns::Ref<Color> blackColor();     // 0 0 0 1
    static ns::Ref<Color> darkGrayColor();  // 1/3
    static ns::Ref<Color> lightGrayColor(); // 2/3
    static ns::Ref<Color> whiteColor();     // 1 1 1 1
    static ns::Ref<Color> grayColor();      // 0.5
    static ns::Ref<Color> redColor();
    static ns::Ref<Color> greenColor();
    static ns::Ref<Color> blueColor();
    static ns::Ref<Color> cyanColor();
    static ns::Ref<Color> yellowColor();
    static ns::Ref<Color> magentaColor();
    static ns::Ref<Color> orangeColor(); // 1 0.5 0
    static ns::Ref<Color> purpleColor(); // 0.5 0 0.5
    static ns::Ref<Color> brownColor();  // 0.6 0.4 0.2
    static ns::Ref<Color> clearColor();  // 0 0 0 0
    static ns::Ref<Color> groupTableViewBackgroundColor();
    static ns::Ref<Color> lightTextColor();
    static ns::Ref<Color> darkTextColor();

    float red() const { return m_color.red; }
    float green() const { return m_color.green; }
    float blue() const { return m_color.blue; }
    float alpha() const { return m_color.alpha; }
    // Writes the four components to the places given (any may be null); always succeeds.
    bool getRed(float* red, float* green, float* blue, float* alpha) const;
    const cg::Color& CGColor() const { return m_color; }

    ns::Ref<Color> colorWithAlphaComponent(float alpha) const;

    // Make this the fill and stroke colour (set), or one of them, of the current drawing context.
    void set() const;
    void setFill() const;
    void setStroke() const;

    std::string className() const override { return "UIColor"; }
    std::string description() const override; // "UIDeviceRGBColorSpace 1 0.8 0.0392157 1"
    bool isEqual(const ns::Object& other) const override;
    std::size_t hash() const override;

protected:
    Color(float red, float green, float blue, float alpha);
    explicit Color(const cg::Color& color) : m_color(color) {}
    friend ns::Factory<Color>;

private:
    cg::Color m_color;
};

} // namespace ui
