#pragma once

#include "uikit/View.h"

namespace ui {

class ScrollView;

struct EdgeInsets
{
    cg::Float top = 0, left = 0, bottom = 0, right = 0;
    bool operator==(const EdgeInsets&) const = default;
};

class ScrollViewDelegate
{
public:
    virtual ~ScrollViewDelegate() = default;
    virtual void scrollViewDidScroll(ScrollView&) {}
    virtual void scrollViewWillBeginDragging(ScrollView&) {}
    virtual void scrollViewDidEndDragging(ScrollView&, bool /*willDecelerate*/) {}
};

// A view whose content is larger than itself; the content offset is the bounds' origin, and dragging
// moves it (without momentum) within the content size and insets.
class ScrollView : public View
{
public:
    static ns::Ref<ScrollView> create() { return ns::Factory<ScrollView>::make(); }
    static ns::Ref<ScrollView> create(cg::Rect frame) { return ns::Factory<ScrollView>::make(frame); }

    cg::Point contentOffset() const { return bounds().origin; }
    void setContentOffset(cg::Point offset, bool animated = false);
    cg::Size contentSize() const { return m_contentSize; }
    void setContentSize(cg::Size size) { m_contentSize = size; }
    EdgeInsets contentInset() const { return m_contentInset; }
    void setContentInset(EdgeInsets insets) { m_contentInset = insets; }
    EdgeInsets scrollIndicatorInsets() const { return m_indicatorInsets; }
    void setScrollIndicatorInsets(EdgeInsets insets) { m_indicatorInsets = insets; }
    bool isScrollEnabled() const { return m_scrollEnabled; }
    void setScrollEnabled(bool enabled) { m_scrollEnabled = enabled; }
    bool bounces() const { return m_bounces; }
    void setBounces(bool bounces) { m_bounces = bounces; }
    bool showsVerticalScrollIndicator() const { return m_showsVertical; }
    void setShowsVerticalScrollIndicator(bool shows) { m_showsVertical = shows; }
    bool showsHorizontalScrollIndicator() const { return m_showsHorizontal; }
    void setShowsHorizontalScrollIndicator(bool shows) { m_showsHorizontal = shows; }
    bool scrollsToTop() const { return m_scrollsToTop; }
    void setScrollsToTop(bool scrolls) { m_scrollsToTop = scrolls; }
    bool isDragging() const { return m_dragging; }
    // Moves the content so that `rect` (content coordinates) shows.
    void scrollRectToVisible(cg::Rect rect, bool animated = false);

    ns::Ref<ScrollViewDelegate> scrollDelegate() const { return m_scrollDelegate.lock(); }
    void setScrollDelegate(const ns::Ref<ScrollViewDelegate>& delegate) { m_scrollDelegate = delegate; }

    // The offset kept within the content (and insets).
    cg::Point clampedOffset(cg::Point offset) const;

    void touchesBegan(const TouchSet& touches, Event* event) override;
    void touchesMoved(const TouchSet& touches, Event* event) override;
    void touchesEnded(const TouchSet& touches, Event* event) override;
    void touchesCancelled(const TouchSet& touches, Event* event) override;

    std::string className() const override { return "UIScrollView"; }

protected:
    ScrollView();
    explicit ScrollView(cg::Rect frame);
    friend ns::Factory<ScrollView>;

    // Whether the touch has moved far enough to scroll instead of tap.
    bool hasScrolledDuringTouch() const { return m_scrolledDuringTouch; }

private:
    cg::Size m_contentSize;
    EdgeInsets m_contentInset;
    EdgeInsets m_indicatorInsets;
    bool m_scrollEnabled = true;
    bool m_bounces = true;
    bool m_showsVertical = true;
    bool m_showsHorizontal = true;
    bool m_scrollsToTop = true;
    bool m_dragging = false;
    bool m_scrolledDuringTouch = false;
    cg::Point m_touchStart;
    cg::Point m_offsetAtStart;
    ns::Weak<ScrollViewDelegate> m_scrollDelegate;
};

} // namespace ui
