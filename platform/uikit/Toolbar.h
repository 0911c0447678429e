#pragma once

#include "uikit/View.h"

#include <vector>

namespace ui {

class BarButtonItem;
class Color;

enum class BarStyle { Default = 0, Black = 1, BlackOpaque = 1, BlackTranslucent = 2 };

// A bar of items laid out left to right; flexible spaces share what is left.
class Toolbar : public View
{
public:
    static ns::Ref<Toolbar> create() { return ns::Factory<Toolbar>::make(); }
    static ns::Ref<Toolbar> create(cg::Rect frame) { return ns::Factory<Toolbar>::make(frame); }

    const std::vector<ns::Ref<BarButtonItem>>& items() const { return m_items; }
    void setItems(std::vector<ns::Ref<BarButtonItem>> items, bool animated = false);
    BarStyle barStyle() const { return m_barStyle; }
    void setBarStyle(BarStyle style) { m_barStyle = style; }
    bool isTranslucent() const { return m_translucent; }
    void setTranslucent(bool translucent) { m_translucent = translucent; }
    const ns::Ref<Color>& tintColor() const { return m_tintColor; }
    void setTintColor(ns::Ref<Color> color) { m_tintColor = std::move(color); }

    // Where an item sits, in the toolbar's coordinates (after layout); empty when it has no place.
    cg::Rect frameForItem(const BarButtonItem* item);

    void layoutSubviews() override;
    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "UIToolbar"; }

    // Lays `items` out across `bounds` (also the navigation bar's sides): each item's view and frame.
    static void layoutItems(View& bar, const std::vector<ns::Ref<BarButtonItem>>& items,
                            std::vector<ns::Ref<View>>& itemViews, cg::Rect area);

protected:
    Toolbar();
    explicit Toolbar(cg::Rect frame);
    friend ns::Factory<Toolbar>;

private:
    std::vector<ns::Ref<BarButtonItem>> m_items;
    std::vector<ns::Ref<View>> m_itemViews;
    BarStyle m_barStyle = BarStyle::Default;
    bool m_translucent = false;
    ns::Ref<Color> m_tintColor;
};

// The bar's colour for a style and tint, shared by toolbars and navigation bars.
void drawBarBackground(cg::Context& context, cg::Rect bounds, BarStyle style, bool translucent,
                       const ns::Ref<Color>& tint);

} // namespace ui
