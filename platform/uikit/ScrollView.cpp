#include "uikit/ScrollView.h"

#include "uikit/Event.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {
// How far a finger moves before a touch becomes a scroll.
constexpr cg::Float ScrollThreshold = 10;
} // namespace

ScrollView::ScrollView() : ScrollView(cg::Rect{})
{
}

ScrollView::ScrollView(cg::Rect frame) : View(frame)
{
    setClipsToBounds(true);
}

cg::Point ScrollView::clampedOffset(cg::Point offset) const
{
    cg::Size size = bounds().size;
    cg::Float minX = -m_contentInset.left, minY = -m_contentInset.top;
    cg::Float maxX = std::max(minX, m_contentSize.width + m_contentInset.right - size.width);
    cg::Float maxY = std::max(minY, m_contentSize.height + m_contentInset.bottom - size.height);
    return cg::makePoint(std::clamp(offset.x, minX, maxX), std::clamp(offset.y, minY, maxY));
}

void ScrollView::setContentOffset(cg::Point offset, bool)
{
    cg::Rect b = bounds();
    if (b.origin == offset)
        return;
    b.origin = offset;
    setBounds(b);
    setNeedsLayout();
    if (auto delegate = m_scrollDelegate.lock())
        delegate->scrollViewDidScroll(*this);
}

void ScrollView::scrollRectToVisible(cg::Rect rect, bool animated)
{
    cg::Point offset = contentOffset();
    cg::Size size = bounds().size;
    if (rect.minY() < offset.y)
        offset.y = rect.minY();
    else if (rect.maxY() > offset.y + size.height)
        offset.y = rect.maxY() - size.height;
    if (rect.minX() < offset.x)
        offset.x = rect.minX();
    else if (rect.maxX() > offset.x + size.width)
        offset.x = rect.maxX() - size.width;
    setContentOffset(clampedOffset(offset), animated);
}

void ScrollView::touchesBegan(const TouchSet& touches, Event*)
{
    auto touch = touches.anyObject();
    m_scrolledDuringTouch = false;
    m_touchStart = touch ? touch->locationInView(nullptr) : cg::Point{};
    m_offsetAtStart = contentOffset();
}

void ScrollView::touchesMoved(const TouchSet& touches, Event*)
{
    auto touch = touches.anyObject();
    if (!touch || !m_scrollEnabled)
        return;
    cg::Point now = touch->locationInView(nullptr);
    cg::Float dx = now.x - m_touchStart.x, dy = now.y - m_touchStart.y;
    if (!m_scrolledDuringTouch && std::hypot(dx, dy) < ScrollThreshold)
        return;
    if (!m_scrolledDuringTouch) {
        m_scrolledDuringTouch = true;
        m_dragging = true;
        if (auto delegate = m_scrollDelegate.lock())
            delegate->scrollViewWillBeginDragging(*this);
    }
    setContentOffset(clampedOffset(cg::makePoint(m_offsetAtStart.x - dx, m_offsetAtStart.y - dy)));
}

void ScrollView::touchesEnded(const TouchSet&, Event*)
{
    if (m_dragging) {
        m_dragging = false;
        if (auto delegate = m_scrollDelegate.lock())
            delegate->scrollViewDidEndDragging(*this, false);
    }
}

void ScrollView::touchesCancelled(const TouchSet& touches, Event* event)
{
    touchesEnded(touches, event);
    m_scrolledDuringTouch = false;
}

} // namespace ui
