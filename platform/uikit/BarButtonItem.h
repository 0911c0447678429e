#pragma once

#include "foundation/Object.h"
#include "graphics/Geometry.h"
#include "uikit/Action.h"

#include <optional>
#include <string>

namespace ui {

class Image;
class View;

enum class BarButtonSystemItem {
    Done = 0,
    Cancel = 1,
    Edit = 2,
    Save = 3,
    Add = 4,
    FlexibleSpace = 5,
    FixedSpace = 6,
    Compose = 7,
    Reply = 8,
    Action = 9,
    Organize = 10,
    Bookmarks = 11,
    Search = 12,
    Refresh = 13,
    Stop = 14,
    Camera = 15,
    Trash = 16,
    Play = 17,
    Pause = 18,
    Rewind = 19,
    FastForward = 20,
    Undo = 21,
    Redo = 22,
};

enum class BarButtonItemStyle { Plain = 0, Bordered = 1, Done = 2 };

// The name a system item is pressed and shown by ("Done", "Cancel", "Edit", "Compose", "Action"...).
std::string systemItemName(BarButtonSystemItem item);

// A button of a toolbar or navigation bar: a system item, a title, an image or a custom view.
class BarButtonItem : public ns::Object
{
public:
    static ns::Ref<BarButtonItem> create() { return ns::Factory<BarButtonItem>::make(); }

    static ns::Ref<BarButtonItem> withSystemItem(BarButtonSystemItem item, ns::Id target = nullptr,
                                                 TargetAction::Operation action = {});
    static ns::Ref<BarButtonItem> withTitle(std::string title, BarButtonItemStyle style,
                                            ns::Id target = nullptr, TargetAction::Operation action = {});
    static ns::Ref<BarButtonItem> withImage(ns::Ref<Image> image, BarButtonItemStyle style,
                                            ns::Id target = nullptr, TargetAction::Operation action = {});
    static ns::Ref<BarButtonItem> withCustomView(ns::Ref<View> view);

    const std::optional<BarButtonSystemItem>& systemItem() const { return m_systemItem; }
    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(std::optional<std::string> title) { m_title = std::move(title); }
    const ns::Ref<Image>& image() const { return m_image; }
    void setImage(ns::Ref<Image> image) { m_image = std::move(image); }
    BarButtonItemStyle style() const { return m_style; }
    void setStyle(BarButtonItemStyle style) { m_style = style; }
    const ns::Ref<View>& customView() const { return m_customView; }
    void setCustomView(ns::Ref<View> view) { m_customView = std::move(view); }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // Fixed-space width; 0 elsewhere means the item's own width.
    cg::Float width() const { return m_width; }
    void setWidth(cg::Float width) { m_width = width; }

    ns::Id target() const { return m_action.target(); }
    void setTargetAction(ns::Id target, TargetAction::Operation action)
    {
        m_action = {std::move(target), std::move(action)};
    }
    // A tap: sends the action when the item is enabled; whether it was sent.
    bool press();

    bool isSpace() const
    {
        return m_systemItem == BarButtonSystemItem::FlexibleSpace ||
               m_systemItem == BarButtonSystemItem::FixedSpace;
    }
    // What the item shows as text: its title, else its system item's name, else its image's name without
    // extension; empty for spaces and custom views.
    std::string displayTitle() const;

    std::string className() const override { return "UIBarButtonItem"; }

protected:
    BarButtonItem() = default;
    friend ns::Factory<BarButtonItem>;

private:
    std::optional<BarButtonSystemItem> m_systemItem;
    std::optional<std::string> m_title;
    ns::Ref<Image> m_image;
    BarButtonItemStyle m_style = BarButtonItemStyle::Plain;
    ns::Ref<View> m_customView;
    bool m_enabled = true;
    int m_tag = 0;
    cg::Float m_width = 0;
    TargetAction m_action;
};

} // namespace ui
