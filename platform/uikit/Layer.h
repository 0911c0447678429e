#pragma once

#include "foundation/Object.h"
#include "graphics/Geometry.h"

namespace cg {
class Context;
}

namespace ui {

class Color;
class View;

// A view's backing layer: border and corner radius (drawn by the renderer), shadow (kept only). A layer
// made on its own has a frame and a background colour of its own and can be rendered into a context.
class Layer : public ns::Object
{
public:
    static ns::Ref<Layer> create() { return ns::Factory<Layer>::make(); }

    // A layer's geometry: its view's frame for a view's layer.
    cg::Rect frame() const;
    void setFrame(cg::Rect frame);
    cg::Rect bounds() const { return {{0, 0}, frame().size}; }
    // A view's layer answers its view's background colour.
    ns::Ref<Color> backgroundColor() const;
    void setBackgroundColor(ns::Ref<Color> color);
    cg::Float opacity() const { return m_opacity; }
    void setOpacity(cg::Float opacity) { m_opacity = opacity; }

    // Draws the layer at the context's origin: background within the corner radius, then (for a view's
    // layer) the view and its subviews, then the border.
    void renderInContext(cg::Context& context);

    cg::Float borderWidth() const { return m_borderWidth; }
    void setBorderWidth(cg::Float width) { m_borderWidth = width; }
    const ns::Ref<Color>& borderColor() const { return m_borderColor; } // nothing: black
    void setBorderColor(ns::Ref<Color> color) { m_borderColor = std::move(color); }
    cg::Float cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(cg::Float radius) { m_cornerRadius = radius; }
    bool masksToBounds() const { return m_masksToBounds; }
    void setMasksToBounds(bool masks) { m_masksToBounds = masks; }

    cg::Size shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(cg::Size offset) { m_shadowOffset = offset; }
    cg::Float shadowRadius() const { return m_shadowRadius; }
    void setShadowRadius(cg::Float radius) { m_shadowRadius = radius; }
    cg::Float shadowOpacity() const { return m_shadowOpacity; }
    void setShadowOpacity(cg::Float opacity) { m_shadowOpacity = opacity; }
    const ns::Ref<Color>& shadowColor() const { return m_shadowColor; }
    void setShadowColor(ns::Ref<Color> color) { m_shadowColor = std::move(color); }

    std::string className() const override { return "CALayer"; }

    // The view this layer backs; set by the view.
    void setView(View* view) { m_view = view; }

protected:
    Layer() = default;
    friend ns::Factory<Layer>;

private:
    View* m_view = nullptr; // the view owns its layer and clears this when it goes
    cg::Rect m_frame;
    ns::Ref<Color> m_backgroundColor;
    cg::Float m_opacity = 1;
    cg::Float m_borderWidth = 0;
    ns::Ref<Color> m_borderColor;
    cg::Float m_cornerRadius = 0;
    bool m_masksToBounds = false;
    cg::Size m_shadowOffset{0, -3};
    cg::Float m_shadowRadius = 3;
    cg::Float m_shadowOpacity = 0;
    ns::Ref<Color> m_shadowColor;
};

} // namespace ui
