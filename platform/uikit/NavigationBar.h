#pragma once

#include "uikit/Action.h"
#include "uikit/Toolbar.h"
#include "uikit/View.h"

#include <functional>
#include <vector>

namespace ui {

class Button;
class Color;
class Label;
class NavigationItem;

// The bar above a navigation controller's screens: the top item's title and buttons, and a back button
// titled with the item below.
class NavigationBar : public View
{
public:
    static ns::Ref<NavigationBar> create(); // 320 by 44
    static ns::Ref<NavigationBar> create(cg::Rect frame);

    const std::vector<ns::Ref<NavigationItem>>& items() const { return m_items; }
    void setItems(std::vector<ns::Ref<NavigationItem>> items, bool animated = false);
    void pushNavigationItem(ns::Ref<NavigationItem> item, bool animated = false);
    ns::Ref<NavigationItem> popNavigationItemAnimated(bool animated = false);
    ns::Ref<NavigationItem> topItem() const { return m_items.empty() ? nullptr : m_items.back(); }
    ns::Ref<NavigationItem> backItem() const
    {
        return m_items.size() < 2 ? nullptr : m_items[m_items.size() - 2];
    }

    BarStyle barStyle() const { return m_barStyle; }
    void setBarStyle(BarStyle style) { m_barStyle = style; }
    bool isTranslucent() const { return m_translucent; }
    void setTranslucent(bool translucent) { m_translucent = translucent; }
    const ns::Ref<Color>& tintColor() const { return m_tintColor; }
    void setTintColor(ns::Ref<Color> color) { m_tintColor = std::move(color); }

    // What the back button does; the navigation controller pops.
    void setBackAction(std::function<void()> action) { m_backAction = std::move(action); }

    void layoutSubviews() override;
    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "UINavigationBar"; }

protected:
    explicit NavigationBar(cg::Rect frame);
    friend ns::Factory<NavigationBar>;

private:
    // Items on the bar are told which bar shows them; items that left it forget it.
    void adopt(const ns::Ref<NavigationItem>& item);
    void release(const ns::Ref<NavigationItem>& item);

    std::vector<ns::Ref<NavigationItem>> m_items;
    BarStyle m_barStyle = BarStyle::Default;
    bool m_translucent = false;
    ns::Ref<Color> m_tintColor;
    std::function<void()> m_backAction;
    ns::Ref<Label> m_titleLabel;
    ns::Ref<Button> m_backButton;
    ns::Ref<View> m_shownTitleView;
    std::vector<ns::Ref<View>> m_leftViews;
    std::vector<ns::Ref<View>> m_rightViews;
};

} // namespace ui
