#pragma once

#include "uikit/View.h"

#include <optional>
#include <string>

namespace ui {
class Color;
}
class TouchImageView;

// The small rounded label in a tile's lower right corner.
class TouchImageBadgeView : public ui::View
{
public:
    static ns::Ref<TouchImageBadgeView> create(cg::Rect frame = {})
    {
        return ns::Factory<TouchImageBadgeView>::make(frame);
    }

    unsigned width() const { return m_width; }
    const std::optional<std::string>& badgeString() const { return m_badgeString; }
    void setBadgeString(std::optional<std::string> text) { m_badgeString = std::move(text); }
    ns::Ref<TouchImageView> parent() const { return m_parent.lock(); }
    void setParent(ns::Weak<TouchImageView> parent) { m_parent = std::move(parent); }
    const ns::Ref<ui::Color>& badgeColor() const { return m_badgeColor; }
    void setBadgeColor(ns::Ref<ui::Color> color) { m_badgeColor = std::move(color); }
    bool showShadow() const { return m_showShadow; }
    void setShowShadow(bool show) { m_showShadow = show; }
    float radius() const { return m_radius; }
    void setRadius(float radius) { m_radius = radius; }

    bool drawsContent() const override { return true; }
    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "TouchImageBadgeView"; }

protected:
    explicit TouchImageBadgeView(cg::Rect frame = {});
    friend ns::Factory<TouchImageBadgeView>;

private:
    unsigned m_width = 0;
    std::optional<std::string> m_badgeString;
    ns::Weak<TouchImageView> m_parent;
    ns::Ref<ui::Color> m_badgeColor;
    bool m_showShadow = false;
    float m_radius = 0;
};
