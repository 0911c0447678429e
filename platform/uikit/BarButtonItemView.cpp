#include "uikit/BarButtonItemView.h"

#include "graphics/Context.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Image.h"
#include "uikit/ImageView.h"
#include "uikit/Label.h"
#include "uikit/StringDrawing.h"

#include <algorithm>

namespace ui {

BarButtonItemView::BarButtonItemView(const ns::Ref<BarButtonItem>& item) : m_item(item)
{
    titleLabel()->setFont(Font::boldSystemFontOfSize(12));
    layoutSubviews();
}

void BarButtonItemView::layoutSubviews()
{
    if (auto barItem = item()) {
        if (barItem->image() != imageForState(ControlStateNormal))
            setImage(barItem->image());
        std::optional<std::string> title;
        if (!barItem->image())
            title = barItem->displayTitle();
        if (title != titleForState(ControlStateNormal))
            setTitle(title);
    }
    Button::layoutSubviews();
    // Items change without telling their bar: look again next pass.
    setNeedsLayout();
}

cg::Float BarButtonItemView::preferredWidth(const BarButtonItem& item)
{
    if (item.width() > 0)
        return item.width();
    if (item.customView())
        return item.customView()->frame().size.width;
    if (item.isSpace())
        return 0;
    if (item.image())
        return item.image()->size().width + (item.style() == BarButtonItemStyle::Plain ? 8 : 16);
    auto font = Font::boldSystemFontOfSize(12);
    return std::max<cg::Float>(sizeWithFont(item.displayTitle(), *font).width + 20, 32);
}

void BarButtonItemView::drawRect(cg::Context& context, cg::Rect)
{
    auto barItem = item();
    bool enabled = barItem && barItem->isEnabled();
    titleLabel()->setAlpha(enabled ? 1 : 0.4f);
    imageView()->setAlpha(enabled ? 1 : 0.4f);
    if (!barItem || barItem->style() == BarButtonItemStyle::Plain || barItem->image())
        return;
    // Bordered and Done items: a rounded box, blue for Done.
    cg::Rect box = cg::inset(bounds(), 1.5f, 7.5f);
    cg::Float r = 5;
    context.beginPath();
    context.moveToPoint(box.minX() + r, box.minY());
    context.addArcToPoint(box.maxX(), box.minY(), box.maxX(), box.maxY(), r);
    context.addArcToPoint(box.maxX(), box.maxY(), box.minX(), box.maxY(), r);
    context.addArcToPoint(box.minX(), box.maxY(), box.minX(), box.minY(), r);
    context.addArcToPoint(box.minX(), box.minY(), box.maxX(), box.minY(), r);
    context.closePath();
    if (barItem->style() == BarButtonItemStyle::Done)
        context.setRGBFillColor(0.15f, 0.4f, 0.85f, isHighlighted() ? 0.6f : 1);
    else
        context.setRGBFillColor(1, 1, 1, isHighlighted() ? 0.35f : 0.18f);
    context.fillPath();
}

void BarButtonItemView::didTapInside()
{
    if (auto barItem = item())
        barItem->press();
}

} // namespace ui
