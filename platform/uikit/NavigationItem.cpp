#include "uikit/NavigationItem.h"

#include "uikit/BarButtonItem.h"
#include "uikit/View.h"

namespace ui {

void NavigationItem::setLeftBarButtonItem(ns::Ref<BarButtonItem> item, bool)
{
    m_left = std::move(item);
}

void NavigationItem::setRightBarButtonItem(ns::Ref<BarButtonItem> item, bool)
{
    m_right = std::move(item);
}

void NavigationItem::setHidesBackButton(bool hides, bool)
{
    m_hidesBackButton = hides;
}

} // namespace ui
