#pragma once

#include "foundation/Object.h"

#include <optional>
#include <string>

namespace ui {

class BarButtonItem;
class NavigationBar;
class View;

// What a navigation bar shows for one controller: title, left and right items, back button.
class NavigationItem : public ns::Object
{
public:
    static ns::Ref<NavigationItem> create() { return ns::Factory<NavigationItem>::make(); }
    static ns::Ref<NavigationItem> create(std::optional<std::string> title)
    {
        return ns::Factory<NavigationItem>::make(std::move(title));
    }

    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(std::optional<std::string> title);
    const std::optional<std::string>& prompt() const { return m_prompt; }
    void setPrompt(std::optional<std::string> prompt) { m_prompt = std::move(prompt); }
    const ns::Ref<View>& titleView() const { return m_titleView; }
    void setTitleView(ns::Ref<View> view);

    const ns::Ref<BarButtonItem>& leftBarButtonItem() const { return m_left; }
    void setLeftBarButtonItem(ns::Ref<BarButtonItem> item, bool animated = false);
    const ns::Ref<BarButtonItem>& rightBarButtonItem() const { return m_right; }
    void setRightBarButtonItem(ns::Ref<BarButtonItem> item, bool animated = false);
    const ns::Ref<BarButtonItem>& backBarButtonItem() const { return m_back; }
    void setBackBarButtonItem(ns::Ref<BarButtonItem> item);
    bool hidesBackButton() const { return m_hidesBackButton; }
    void setHidesBackButton(bool hides, bool animated = false);

    // The bar that shows this item, told to lay itself out again whenever the item changes, so that a
    // changed title or button is what the screen shows. Set by the bar.
    ns::Ref<NavigationBar> navigationBar() const { return m_bar.lock(); }
    void setNavigationBar(const ns::Ref<NavigationBar>& bar) { m_bar = bar; }

    std::string className() const override { return "UINavigationItem"; }

protected:
    NavigationItem() = default;
    explicit NavigationItem(std::optional<std::string> title) : m_title(std::move(title)) {}
    friend ns::Factory<NavigationItem>;

private:
    void changed() const;

    std::optional<std::string> m_title;
    std::optional<std::string> m_prompt;
    ns::Ref<View> m_titleView;
    ns::Ref<BarButtonItem> m_left;
    ns::Ref<BarButtonItem> m_right;
    ns::Ref<BarButtonItem> m_back;
    bool m_hidesBackButton = false;
    ns::Weak<NavigationBar> m_bar;
};

} // namespace ui
