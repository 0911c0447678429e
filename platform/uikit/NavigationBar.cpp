#include "uikit/NavigationBar.h"

#include "graphics/Context.h"
#include "uikit/BarButtonItem.h"
#include "uikit/BarButtonItemView.h"
#include "uikit/Button.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/NavigationItem.h"
#include "uikit/StringDrawing.h"

#include <algorithm>
#include <cmath>

namespace ui {

ns::Ref<NavigationBar> NavigationBar::create()
{
    return create(cg::makeRect(0, 0, 320, 44));
}

ns::Ref<NavigationBar> NavigationBar::create(cg::Rect frame)
{
    auto bar = ns::Factory<NavigationBar>::make(frame);
    bar->m_backButton->addTarget(
        nullptr,
        [weak = bar->weakSelf<NavigationBar>()](const ns::Id&) {
            auto bar = weak.lock();
            if (!bar)
                return;
            if (bar->m_backAction)
                bar->m_backAction();
            else
                bar->popNavigationItemAnimated(true);
        },
        ControlEventTouchUpInside);
    return bar;
}

NavigationBar::NavigationBar(cg::Rect frame)
    : View(frame), m_titleLabel(Label::create()), m_backButton(Button::create())
{
    m_titleLabel->setBackgroundColor(nullptr);
    m_titleLabel->setTextColor(Color::whiteColor());
    m_titleLabel->setFont(Font::boldSystemFontOfSize(20));
    m_titleLabel->setTextAlignment(TextAlignment::Center);
    addSubview(m_titleLabel);
    m_backButton->titleLabel()->setFont(Font::boldSystemFontOfSize(12));
    m_backButton->setBackgroundColor(Color::colorWithWhite(1, 0.18f));
    m_backButton->layer()->setCornerRadius(5);
    m_backButton->layer()->setBorderWidth(1);
    m_backButton->layer()->setBorderColor(Color::colorWithWhite(0, 0.25f));
    addSubview(m_backButton);
}

void NavigationBar::adopt(const ns::Ref<NavigationItem>& item)
{
    if (item)
        item->setNavigationBar(self<NavigationBar>());
}

void NavigationBar::release(const ns::Ref<NavigationItem>& item)
{
    if (item && item->navigationBar().get() == this &&
        std::find(m_items.begin(), m_items.end(), item) == m_items.end())
        item->setNavigationBar(nullptr);
}

void NavigationBar::setItems(std::vector<ns::Ref<NavigationItem>> items, bool)
{
    std::vector<ns::Ref<NavigationItem>> old = std::move(m_items);
    m_items = std::move(items);
    for (auto& item : m_items)
        adopt(item);
    for (auto& item : old)
        release(item);
    setNeedsLayout();
}

void NavigationBar::pushNavigationItem(ns::Ref<NavigationItem> item, bool)
{
    if (item) {
        adopt(item);
        m_items.push_back(std::move(item));
    }
    setNeedsLayout();
}

ns::Ref<NavigationItem> NavigationBar::popNavigationItemAnimated(bool)
{
    if (m_items.empty())
        return nullptr;
    auto top = m_items.back();
    m_items.pop_back();
    release(top);
    setNeedsLayout();
    return top;
}

void NavigationBar::layoutSubviews()
{
    cg::Rect b = bounds();
    auto top = topItem();
    auto back = backItem();
    std::vector<ns::Ref<BarButtonItem>> left, right;
    bool showBack = false;
    if (top) {
        if (top->leftBarButtonItem())
            left.push_back(top->leftBarButtonItem());
        else if (back && !top->hidesBackButton())
            showBack = true;
        if (top->rightBarButtonItem())
            right.push_back(top->rightBarButtonItem());
    }
    cg::Float leftEdge = 0, rightEdge = b.size.width;
    if (showBack) {
        std::string title = back->backBarButtonItem() && back->backBarButtonItem()->title()
                                ? *back->backBarButtonItem()->title()
                                : back->title().value_or("Back");
        m_backButton->setTitle(title);
        cg::Float width =
            std::min<cg::Float>(sizeWithFont(title, *m_backButton->titleLabel()->font()).width + 24, 110);
        m_backButton->setFrame(cg::makeRect(5, 7, width, std::max<cg::Float>(0, b.size.height - 14)));
        m_backButton->setHidden(false);
        leftEdge = 5 + width;
    } else {
        m_backButton->setHidden(true);
    }
    cg::Float leftWidth = 0;
    for (auto& item : left)
        leftWidth += BarButtonItemView::preferredWidth(*item) + 12;
    Toolbar::layoutItems(*this, left, m_leftViews, cg::makeRect(0, 0, leftWidth, b.size.height));
    if (!left.empty())
        leftEdge = leftWidth;
    cg::Float rightWidth = 0;
    for (auto& item : right)
        rightWidth += BarButtonItemView::preferredWidth(*item) + 12;
    Toolbar::layoutItems(*this, right, m_rightViews,
                         cg::makeRect(b.size.width - rightWidth, 0, rightWidth, b.size.height));
    if (!right.empty())
        rightEdge = b.size.width - rightWidth;

    ns::Ref<View> titleView = top ? top->titleView() : nullptr;
    if (m_shownTitleView && m_shownTitleView != titleView && m_shownTitleView->superview() == this)
        m_shownTitleView->removeFromSuperview();
    m_shownTitleView = titleView;
    if (titleView) {
        m_titleLabel->setHidden(true);
        auto view = titleView;
        if (view->superview() != this)
            addSubview(view);
        view->setCenter(cg::makePoint(std::round(b.size.width / 2), std::round(b.size.height / 2)));
    } else {
        m_titleLabel->setHidden(!top);
        m_titleLabel->setText(top ? top->title() : std::nullopt);
        cg::Float margin = std::max(leftEdge, b.size.width - rightEdge) + 4;
        m_titleLabel->setFrame(
            cg::makeRect(margin, 0, std::max<cg::Float>(0, b.size.width - 2 * margin), b.size.height));
    }
}

void NavigationBar::drawRect(cg::Context& context, cg::Rect)
{
    drawBarBackground(context, bounds(), m_barStyle, m_translucent, m_tintColor);
}

} // namespace ui
