#include "uikit/BarButtonItem.h"

#include "uikit/Image.h"

namespace ui {

std::string systemItemName(BarButtonSystemItem item)
{
    switch (item) {
    case BarButtonSystemItem::Done:
        return "Done";
    case BarButtonSystemItem::Cancel:
        return "Cancel";
    case BarButtonSystemItem::Edit:
        return "Edit";
    case BarButtonSystemItem::Save:
        return "Save";
    case BarButtonSystemItem::Add:
        return "Add";
    case BarButtonSystemItem::FlexibleSpace:
        return "FlexibleSpace";
    case BarButtonSystemItem::FixedSpace:
        return "FixedSpace";
    case BarButtonSystemItem::Compose:
        return "Compose";
    case BarButtonSystemItem::Reply:
        return "Reply";
    case BarButtonSystemItem::Action:
        return "Action";
    case BarButtonSystemItem::Organize:
        return "Organize";
    case BarButtonSystemItem::Bookmarks:
        return "Bookmarks";
    case BarButtonSystemItem::Search:
        return "Search";
    case BarButtonSystemItem::Refresh:
        return "Refresh";
    case BarButtonSystemItem::Stop:
        return "Stop";
    case BarButtonSystemItem::Camera:
        return "Camera";
    case BarButtonSystemItem::Trash:
        return "Trash";
    case BarButtonSystemItem::Play:
        return "Play";
    case BarButtonSystemItem::Pause:
        return "Pause";
    case BarButtonSystemItem::Rewind:
        return "Rewind";
    case BarButtonSystemItem::FastForward:
        return "FastForward";
    case BarButtonSystemItem::Undo:
        return "Undo";
    case BarButtonSystemItem::Redo:
        return "Redo";
    }
    return {};
}

ns::Ref<BarButtonItem> BarButtonItem::withSystemItem(BarButtonSystemItem item, ns::Id target,
                                                     TargetAction::Operation action)
{
    auto result = BarButtonItem::create();
    result->m_systemItem = item;
    result->m_style =
        item == BarButtonSystemItem::Done ? BarButtonItemStyle::Done : BarButtonItemStyle::Bordered;
    result->m_action = {std::move(target), std::move(action)};
    return result;
}

ns::Ref<BarButtonItem> BarButtonItem::withTitle(std::string title, BarButtonItemStyle style, ns::Id target,
                                                TargetAction::Operation action)
{
    auto result = BarButtonItem::create();
    result->m_title = std::move(title);
    result->m_style = style;
    result->m_action = {std::move(target), std::move(action)};
    return result;
}

ns::Ref<BarButtonItem> BarButtonItem::withImage(ns::Ref<Image> image, BarButtonItemStyle style, ns::Id target,
                                                TargetAction::Operation action)
{
    auto result = BarButtonItem::create();
    result->m_image = std::move(image);
    result->m_style = style;
    result->m_action = {std::move(target), std::move(action)};
    return result;
}

ns::Ref<BarButtonItem> BarButtonItem::withCustomView(ns::Ref<View> view)
{
    auto result = BarButtonItem::create();
    result->m_customView = std::move(view);
    return result;
}

bool BarButtonItem::press()
{
    if (!m_enabled || isSpace())
        return false;
    // The item may be released by its own action (a screen closing): keep it to the end of the call.
    auto keep = self<BarButtonItem>();
    return m_action.send(keep);
}

std::string BarButtonItem::displayTitle() const
{
    if (m_customView || isSpace())
        return {};
    if (m_title)
        return *m_title;
    if (m_systemItem)
        return systemItemName(*m_systemItem);
    return m_image ? m_image->name() : std::string();
}

} // namespace ui
