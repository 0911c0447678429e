#include "uikit/View.h"

#include "foundation/Format.h"
#include "uikit/ViewController.h"
#include "uikit/Window.h"

#include <algorithm>
#include <cmath>

namespace ui {

View::View() : View(cg::Rect{})
{
}

View::View(cg::Rect frame) : m_layer(Layer::create())
{
    m_layer->setView(this);
    setFrame(frame);
}

View::~View()
{
    m_layer->setView(nullptr);
    for (auto& subview : m_subviews)
        subview->m_superview = nullptr;
}

cg::Rect View::frame() const
{
    cg::Rect box = cg::makeRect(-m_bounds.size.width / 2, -m_bounds.size.height / 2, m_bounds.size.width,
                                m_bounds.size.height);
    if (!m_transform.isIdentity())
        box = cg::apply(m_transform, box);
    return cg::offset(box, m_center.x, m_center.y);
}

void View::setFrame(cg::Rect frame)
{
    frame = cg::standardize(frame);
    cg::Size size = frame.size;
    if (!m_transform.isIdentity()) {
        cg::AffineTransform linear = m_transform;
        linear.tx = linear.ty = 0;
        size = cg::apply(cg::invert(linear), cg::makeRect(0, 0, frame.size.width, frame.size.height)).size;
    }
    m_center = cg::makePoint(frame.midX() - m_transform.tx, frame.midY() - m_transform.ty);
    setBounds(cg::Rect{m_bounds.origin, size});
}

void View::setBounds(cg::Rect bounds)
{
    if (bounds.size != m_bounds.size)
        setNeedsLayout();
    m_bounds = bounds;
}

void View::setAlpha(cg::Float alpha)
{
    m_alpha = std::clamp(alpha, cg::Float(0), cg::Float(1));
}

View* View::viewWithTag(int tag)
{
    if (m_tag == tag)
        return this;
    for (auto& subview : m_subviews)
        if (View* found = subview->viewWithTag(tag))
            return found;
    return nullptr;
}

Window* View::window() const
{
    const View* view = this;
    while (view->m_superview)
        view = view->m_superview;
    return dynamic_cast<Window*>(const_cast<View*>(view));
}

void View::addSubview(const ns::Ref<View>& view)
{
    insertSubviewAtIndex(view, m_subviews.size());
}

void View::insertSubviewAtIndex(const ns::Ref<View>& view, std::size_t index)
{
    if (!view || view.get() == this)
        return;
    ns::Ref<View> keep = view;
    Window* oldWindow = view->window();
    if (view->m_superview == this) {
        auto found = std::find(m_subviews.begin(), m_subviews.end(), view);
        std::size_t at = std::size_t(found - m_subviews.begin());
        m_subviews.erase(found);
        if (index > at)
            --index;
    } else if (view->m_superview) {
        view->detachFromSuperview();
    }
    index = std::min(index, m_subviews.size());
    bool moved = view->m_superview != this;
    m_subviews.insert(m_subviews.begin() + std::ptrdiff_t(index), view);
    view->m_superview = this;
    if (moved) {
        view->setNeedsLayout();
        setNeedsLayout();
        didAddSubview(view.get());
        view->didMoveToSuperview();
        if (view->window() != oldWindow)
            view->notifyMovedToWindow();
    }
}

void View::insertSubviewBelowSubview(const ns::Ref<View>& view, const View* sibling)
{
    auto found = std::find_if(m_subviews.begin(), m_subviews.end(),
                              [&](const ns::Ref<View>& v) { return v.get() == sibling; });
    insertSubviewAtIndex(view, std::size_t(found - m_subviews.begin()));
}

void View::insertSubviewAboveSubview(const ns::Ref<View>& view, const View* sibling)
{
    auto found = std::find_if(m_subviews.begin(), m_subviews.end(),
                              [&](const ns::Ref<View>& v) { return v.get() == sibling; });
    std::size_t index =
        found == m_subviews.end() ? m_subviews.size() : std::size_t(found - m_subviews.begin()) + 1;
    insertSubviewAtIndex(view, index);
}

void View::detachFromSuperview()
{
    View* parent = m_superview;
    parent->willRemoveSubview(this);
    auto found = std::find_if(parent->m_subviews.begin(), parent->m_subviews.end(),
                              [&](const ns::Ref<View>& v) { return v.get() == this; });
    if (found != parent->m_subviews.end())
        parent->m_subviews.erase(found);
    m_superview = nullptr;
    parent->setNeedsLayout();
}

void View::removeFromSuperview()
{
    if (!m_superview)
        return;
    // The superview may hold the only reference: keep this view alive to the end of the call.
    ns::Ref<View> keep;
    for (auto& subview : m_superview->m_subviews)
        if (subview.get() == this)
            keep = subview;
    Window* oldWindow = window();
    // What leaves the screen stops taking typed text.
    if (auto* responder = dynamic_cast<View*>(Responder::firstResponder());
        responder && responder->isDescendantOfView(this))
        responder->resignFirstResponder();
    detachFromSuperview();
    didMoveToSuperview();
    if (oldWindow)
        notifyMovedToWindow();
}

void View::notifyMovedToWindow()
{
    didMoveToWindow();
    auto subviews = m_subviews;
    for (auto& subview : subviews)
        subview->notifyMovedToWindow();
}

void View::bringSubviewToFront(const View* view)
{
    auto found = std::find_if(m_subviews.begin(), m_subviews.end(),
                              [&](const ns::Ref<View>& v) { return v.get() == view; });
    if (found == m_subviews.end())
        return;
    ns::Ref<View> keep = *found;
    m_subviews.erase(found);
    m_subviews.push_back(keep);
}

void View::sendSubviewToBack(const View* view)
{
    auto found = std::find_if(m_subviews.begin(), m_subviews.end(),
                              [&](const ns::Ref<View>& v) { return v.get() == view; });
    if (found == m_subviews.end())
        return;
    ns::Ref<View> keep = *found;
    m_subviews.erase(found);
    m_subviews.insert(m_subviews.begin(), keep);
}

bool View::isDescendantOfView(const View* view) const
{
    for (const View* v = this; v; v = v->m_superview)
        if (v == view)
            return true;
    return false;
}

void View::didAddSubview(View*)
{
}
void View::willRemoveSubview(View*)
{
}
void View::didMoveToSuperview()
{
}
void View::didMoveToWindow()
{
}

void View::layoutIfNeeded()
{
    if (m_needsLayout) {
        m_needsLayout = false;
        layoutSubviews();
    }
    // A copy: layout may add or remove subviews.
    auto subviews = m_subviews;
    for (auto& subview : subviews)
        subview->layoutIfNeeded();
}

void View::layoutSubviews()
{
}

cg::Size View::sizeThatFits(cg::Size) const
{
    return m_bounds.size;
}

void View::sizeToFit()
{
    cg::Size size = sizeThatFits(m_bounds.size);
    cg::Rect f = frame();
    setFrame(cg::Rect{f.origin, size});
}

void View::drawRect(cg::Context&, cg::Rect)
{
}

bool View::hasDrawableGeometry() const
{
    const cg::AffineTransform& t = m_transform;
    for (cg::Float v : {t.a, t.b, t.c, t.d, t.tx, t.ty, m_center.x, m_center.y, m_bounds.origin.x,
                        m_bounds.origin.y, m_bounds.size.width, m_bounds.size.height})
        if (!std::isfinite(v))
            return false;
    double determinant = double(t.a) * double(t.d) - double(t.b) * double(t.c);
    return determinant != 0 && std::isfinite(determinant);
}

ns::Ref<View> View::hitTest(cg::Point point, Event* event)
{
    if (m_hidden || !m_userInteractionEnabled || m_alpha < 0.01f || !hasDrawableGeometry())
        return nullptr;
    if (!pointInside(point, event))
        return nullptr;
    for (auto it = m_subviews.rbegin(); it != m_subviews.rend(); ++it) {
        ns::Ref<View> subview = *it;
        if (auto hit = subview->hitTest(subview->pointFromSuperview(point), event))
            return hit;
    }
    return self<View>();
}

bool View::pointInside(cg::Point point, Event*) const
{
    return m_bounds.contains(point);
}

cg::Point View::pointToSuperview(cg::Point point) const
{
    cg::Point local = cg::makePoint(point.x - m_bounds.midX(), point.y - m_bounds.midY());
    cg::Point moved = cg::apply(m_transform, local);
    return cg::makePoint(moved.x + m_center.x, moved.y + m_center.y);
}

cg::Point View::pointFromSuperview(cg::Point point) const
{
    cg::Point local = cg::makePoint(point.x - m_center.x, point.y - m_center.y);
    cg::Point back = cg::apply(cg::invert(m_transform), local);
    return cg::makePoint(back.x + m_bounds.midX(), back.y + m_bounds.midY());
}

cg::Point View::pointToRoot(cg::Point point, const View** root) const
{
    const View* view = this;
    while (view->m_superview) {
        point = view->pointToSuperview(point);
        view = view->m_superview;
    }
    if (root)
        *root = view;
    return point;
}

cg::Point View::pointFromRoot(cg::Point point) const
{
    if (!m_superview)
        return point;
    return pointFromSuperview(m_superview->pointFromRoot(point));
}

cg::Point View::convertPointToView(cg::Point point, const View* view) const
{
    cg::Point root = pointToRoot(point, nullptr);
    return view ? view->pointFromRoot(root) : root;
}

cg::Point View::convertPointFromView(cg::Point point, const View* view) const
{
    cg::Point root = view ? view->pointToRoot(point, nullptr) : point;
    return pointFromRoot(root);
}

namespace {

cg::Rect boxOfPoints(const cg::Point (&points)[4])
{
    cg::Float minX = points[0].x, maxX = points[0].x, minY = points[0].y, maxY = points[0].y;
    for (const auto& p : points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return cg::makeRect(minX, minY, maxX - minX, maxY - minY);
}

} // namespace

cg::Rect View::convertRectToView(cg::Rect rect, const View* view) const
{
    rect = cg::standardize(rect);
    cg::Point corners[4] = {{rect.minX(), rect.minY()},
                            {rect.maxX(), rect.minY()},
                            {rect.minX(), rect.maxY()},
                            {rect.maxX(), rect.maxY()}};
    for (auto& p : corners)
        p = convertPointToView(p, view);
    return boxOfPoints(corners);
}

cg::Rect View::convertRectFromView(cg::Rect rect, const View* view) const
{
    rect = cg::standardize(rect);
    cg::Point corners[4] = {{rect.minX(), rect.minY()},
                            {rect.maxX(), rect.minY()},
                            {rect.minX(), rect.maxY()},
                            {rect.maxX(), rect.maxY()}};
    for (auto& p : corners)
        p = convertPointFromView(p, view);
    return boxOfPoints(corners);
}

Responder* View::nextResponder() const
{
    if (m_viewController)
        return m_viewController;
    return m_superview;
}

std::string View::description() const
{
    cg::Rect f = frame();
    return ns::format("<%s frame = (%g %g; %g %g)>", className(), double(f.origin.x), double(f.origin.y),
                      double(f.size.width), double(f.size.height));
}

} // namespace ui
