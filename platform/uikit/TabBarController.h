#pragma once

#include "uikit/Action.h"
#include "uikit/View.h"
#include "uikit/ViewController.h"

#include <functional>

#include <vector>

namespace ui {

class TabBar;
class TabBarItem;

// Controllers side by side behind a tab bar at the bottom; the selected one's view fills the rest.
class TabBarController : public ViewController
{
public:
    static ns::Ref<TabBarController> create();

    const std::vector<ns::Ref<ViewController>>& viewControllers() const { return childViewControllers(); }
    void setViewControllers(std::vector<ns::Ref<ViewController>> controllers, bool animated = false);
    std::size_t selectedIndex() const { return m_selectedIndex; }
    void setSelectedIndex(std::size_t index);
    ns::Ref<ViewController> selectedViewController() const;
    void setSelectedViewController(const ViewController* controller);
    const ns::Ref<TabBar>& tabBar() const { return m_tabBar; }

    void loadView() override;
    std::string className() const override { return "UITabBarController"; }

protected:
    TabBarController();
    friend ns::Factory<TabBarController>;

    std::vector<ns::Ref<ViewController>> visibleChildren() const override;

private:
    void showSelected(const ns::Ref<ViewController>& previous);
    cg::Rect contentFrame();

    ns::Ref<TabBar> m_tabBar;
    std::size_t m_selectedIndex = 0;
};

// The bar of a tab bar controller: one button per controller showing its tab bar item, the item's image
// (drawn as a shape, light blue when selected and grey otherwise) over its title.
class TabBar : public View
{
public:
    static ns::Ref<TabBar> create() { return ns::Factory<TabBar>::make(); }

    const std::vector<ns::Ref<TabBarItem>>& items() const { return m_items; }
    void setItems(std::vector<ns::Ref<TabBarItem>> items, std::size_t selected);
    std::size_t selectedIndex() const { return m_selected; }
    // The button showing item `index`, or nothing.
    ns::Ref<View> buttonAtIndex(std::size_t index) const;
    // Called with the index of a tapped tab.
    void setSelectAction(std::function<void(std::size_t)> action) { m_selectAction = std::move(action); }

    void layoutSubviews() override;
    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "UITabBar"; }

protected:
    TabBar();
    friend ns::Factory<TabBar>;

private:
    std::vector<ns::Ref<TabBarItem>> m_items;
    std::size_t m_selected = 0;
    std::vector<ns::Ref<View>> m_buttons;
    std::function<void(std::size_t)> m_selectAction;
};

} // namespace ui
