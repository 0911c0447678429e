#include "uikit/Toolbar.h"

#include "graphics/Context.h"
#include "uikit/BarButtonItem.h"
#include "uikit/BarButtonItemView.h"
#include "uikit/Color.h"

#include <algorithm>
#include <cmath>

namespace ui {

Toolbar::Toolbar() : Toolbar(cg::makeRect(0, 0, 320, 44))
{
}

Toolbar::Toolbar(cg::Rect frame) : View(frame)
{
}

void Toolbar::setItems(std::vector<ns::Ref<BarButtonItem>> items, bool)
{
    m_items = std::move(items);
    setNeedsLayout();
}

cg::Rect Toolbar::frameForItem(const BarButtonItem* item)
{
    layoutIfNeeded();
    for (std::size_t i = 0; i < m_items.size() && i < m_itemViews.size(); ++i)
        if (m_items[i].get() == item && m_itemViews[i])
            return m_itemViews[i]->frame();
    return {};
}

void Toolbar::layoutItems(View& bar, const std::vector<ns::Ref<BarButtonItem>>& items,
                          std::vector<ns::Ref<View>>& itemViews, cg::Rect area)
{
    // Views of items still present are kept (a touch in progress stays with its view).
    std::vector<ns::Ref<View>> old = std::move(itemViews);
    itemViews.clear();
    auto reuse = [&](const BarButtonItem* item) -> ns::Ref<View> {
        for (auto& view : old)
            if (auto* itemView = dynamic_cast<BarButtonItemView*>(view.get());
                itemView && itemView->item().get() == item) {
                ns::Ref<View> found = std::move(view);
                return found;
            }
        return nullptr;
    };
    const cg::Float gap = 6;
    cg::Float fixed = 0;
    int flexible = 0;
    for (const auto& item : items) {
        if (item->systemItem() == BarButtonSystemItem::FlexibleSpace)
            ++flexible;
        else
            fixed += BarButtonItemView::preferredWidth(*item) + gap;
    }
    cg::Float spare = std::max<cg::Float>(0, area.size.width - fixed - gap);
    cg::Float x = area.origin.x + gap;
    // Without flexible space, items sit together from the left.
    for (const auto& item : items) {
        ns::Ref<View> view;
        if (item->systemItem() == BarButtonSystemItem::FlexibleSpace) {
            x += spare / cg::Float(flexible);
            itemViews.push_back(nullptr);
            continue;
        }
        cg::Float width = BarButtonItemView::preferredWidth(*item);
        if (item->customView()) {
            view = item->customView();
            cg::Float height = view->frame().size.height;
            view->setFrame(cg::makeRect(
                std::round(x), area.origin.y + std::round((area.size.height - height) / 2), width, height));
        } else if (!item->isSpace()) {
            view = reuse(item.get());
            if (!view)
                view = BarButtonItemView::create(item);
            view->setFrame(cg::makeRect(std::round(x), area.origin.y, std::round(width), area.size.height));
        }
        if (view && view->superview() != &bar)
            bar.addSubview(view);
        itemViews.push_back(view);
        x += width + gap;
    }
    for (auto& view : old)
        if (view && view->superview() == &bar &&
            std::find(itemViews.begin(), itemViews.end(), view) == itemViews.end())
            view->removeFromSuperview();
}

void Toolbar::layoutSubviews()
{
    layoutItems(*this, m_items, m_itemViews, bounds());
}

void drawBarBackground(cg::Context& context, cg::Rect bounds, BarStyle style, bool translucent,
                       const ns::Ref<Color>& tint)
{
    cg::Color top, bottom;
    if (tint) {
        top = tint->CGColor();
        bottom = {top.red * 0.8f, top.green * 0.8f, top.blue * 0.8f, top.alpha};
    } else if (style == BarStyle::Default) {
        top = {0.69f, 0.74f, 0.8f, 1};
        bottom = {0.43f, 0.52f, 0.63f, 1};
    } else {
        top = {0.2f, 0.2f, 0.2f, translucent || style == BarStyle::BlackTranslucent ? 0.7f : 1};
        bottom = {0.05f, 0.05f, 0.05f, top.alpha};
    }
    cg::Float half = bounds.size.height / 2;
    context.setFillColor(top);
    context.fillRect(cg::makeRect(bounds.origin.x, bounds.origin.y, bounds.size.width, half));
    context.setFillColor(bottom);
    context.fillRect(
        cg::makeRect(bounds.origin.x, bounds.origin.y + half, bounds.size.width, bounds.size.height - half));
}

void Toolbar::drawRect(cg::Context& context, cg::Rect)
{
    drawBarBackground(context, bounds(), m_barStyle, m_translucent, m_tintColor);
}

} // namespace ui
