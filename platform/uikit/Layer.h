#pragma once

#include "foundation/Object.h"
#include "graphics/Geometry.h"

namespace ui {

class Color;

// A view's backing layer: border and corner radius (drawn by the renderer), shadow (kept only).
class Layer : public ns::Object
{
public:
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

private:
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
