#pragma once

#include "foundation/Object.h"

#include <optional>
#include <string>

namespace ui {

class BarButtonItem;
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
    void setTitle(std::optional<std::string> title) { m_title = std::move(title); }
    const std::optional<std::string>& prompt() const { return m_prompt; }
    void setPrompt(std::optional<std::string> prompt) { m_prompt = std::move(prompt); }
    const ns::Ref<View>& titleView() const { return m_titleView; }
    void setTitleView(ns::Ref<View> view) { m_titleView = std::move(view); }

    const ns::Ref<BarButtonItem>& leftBarButtonItem() const { return m_left; }
    void setLeftBarButtonItem(ns::Ref<BarButtonItem> item, bool animated = false);
    const ns::Ref<BarButtonItem>& rightBarButtonItem() const { return m_right; }
    void setRightBarButtonItem(ns::Ref<BarButtonItem> item, bool animated = false);
    const ns::Ref<BarButtonItem>& backBarButtonItem() const { return m_back; }
    void setBackBarButtonItem(ns::Ref<BarButtonItem> item) { m_back = std::move(item); }
    bool hidesBackButton() const { return m_hidesBackButton; }
    void setHidesBackButton(bool hides, bool animated = false);

    std::string className() const override { return "UINavigationItem"; }

protected:
    NavigationItem() = default;
    explicit NavigationItem(std::optional<std::string> title) : m_title(std::move(title)) {}
    friend ns::Factory<NavigationItem>;

private:
    std::optional<std::string> m_title;
    std::optional<std::string> m_prompt;
    ns::Ref<View> m_titleView;
    ns::Ref<BarButtonItem> m_left;
    ns::Ref<BarButtonItem> m_right;
    ns::Ref<BarButtonItem> m_back;
    bool m_hidesBackButton = false;
};

} // namespace ui
