#include "uikit/NavigationItem.h"

#include "uikit/BarButtonItem.h"
#include "uikit/NavigationBar.h"
#include "uikit/View.h"

namespace ui {

void NavigationItem::changed() const
{
    if (auto bar = m_bar.lock())
        bar->setNeedsLayout();
}

void NavigationItem::setTitle(std::optional<std::string> title)
{
    m_title = std::move(title);
    changed();
}

void NavigationItem::setTitleView(ns::Ref<View> view)
{
    m_titleView = std::move(view);
    changed();
}

void NavigationItem::setLeftBarButtonItem(ns::Ref<BarButtonItem> item, bool)
{
    m_left = std::move(item);
    changed();
}

void NavigationItem::setRightBarButtonItem(ns::Ref<BarButtonItem> item, bool)
{
    m_right = std::move(item);
    changed();
}

void NavigationItem::setBackBarButtonItem(ns::Ref<BarButtonItem> item)
{
    m_back = std::move(item);
    changed();
}

void NavigationItem::setHidesBackButton(bool hides, bool)
{
    m_hidesBackButton = hides;
    changed();
}

} // namespace ui
