#pragma once

#include "foundation/Object.h"

#include <optional>
#include <string>

namespace ui {

class Image;

// A tab bar's entry for one controller (recorded; the tab bar shows its title).
class TabBarItem : public ns::Object
{
public:
    static ns::Ref<TabBarItem> create() { return ns::Factory<TabBarItem>::make(); }
    static ns::Ref<TabBarItem> create(std::optional<std::string> title, ns::Ref<Image> image, int tag)
    {
        return ns::Factory<TabBarItem>::make(std::move(title), std::move(image), tag);
    }

    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(std::optional<std::string> title) { m_title = std::move(title); }
    const ns::Ref<Image>& image() const { return m_image; }
    void setImage(ns::Ref<Image> image) { m_image = std::move(image); }
    const std::optional<std::string>& badgeValue() const { return m_badgeValue; }
    void setBadgeValue(std::optional<std::string> value) { m_badgeValue = std::move(value); }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }

    std::string className() const override { return "UITabBarItem"; }

protected:
    TabBarItem() = default;
    TabBarItem(std::optional<std::string> title, ns::Ref<Image> image, int tag)
        : m_title(std::move(title)), m_image(std::move(image)), m_tag(tag)
    {
    }
    friend ns::Factory<TabBarItem>;

private:
    std::optional<std::string> m_title;
    ns::Ref<Image> m_image;
    std::optional<std::string> m_badgeValue;
    int m_tag = 0;
    bool m_enabled = true;
};

} // namespace ui
