#include "uikit/Layer.h"

#include "graphics/Context.h"
#include "uikit/Color.h"
#include "uikit/GraphicsContext.h"
#include "uikit/Render.h"
#include "uikit/View.h"

#include <algorithm>

namespace ui {

cg::Rect Layer::frame() const
{
    return m_view ? m_view->frame() : m_frame;
}

void Layer::setFrame(cg::Rect frame)
{
    if (m_view)
        m_view->setFrame(frame);
    else
        m_frame = frame;
}

ns::Ref<Color> Layer::backgroundColor() const
{
    return m_view ? m_view->backgroundColor() : m_backgroundColor;
}

void Layer::setBackgroundColor(ns::Ref<Color> color)
{
    if (m_view)
        m_view->setBackgroundColor(std::move(color));
    else
        m_backgroundColor = std::move(color);
}

void Layer::renderInContext(cg::Context& context)
{
    if (m_view) {
        // The view tree is drawn in its own coordinates, its bounds at the origin.
        context.saveGState();
        cg::Rect b = m_view->bounds();
        context.translateCTM(-b.origin.x, -b.origin.y);
        drawViewContent(context, *m_view);
        context.restoreGState();
        return;
    }
    cg::Rect b = bounds();
    cg::Float radius = std::min({m_cornerRadius, b.size.width / 2, b.size.height / 2});
    auto path = [&](cg::Rect r, cg::Float rr) {
        context.beginPath();
        if (rr <= 0) {
            context.addRect(r);
            return;
        }
        context.moveToPoint(r.minX() + rr, r.minY());
        context.addArcToPoint(r.maxX(), r.minY(), r.maxX(), r.maxY(), rr);
        context.addArcToPoint(r.maxX(), r.maxY(), r.minX(), r.maxY(), rr);
        context.addArcToPoint(r.minX(), r.maxY(), r.minX(), r.minY(), rr);
        context.addArcToPoint(r.minX(), r.minY(), r.maxX(), r.minY(), rr);
        context.closePath();
    };
    context.saveGState();
    context.setAlpha(context.alpha() * m_opacity);
    if (m_backgroundColor && m_backgroundColor->alpha() > 0) {
        context.setFillColor(m_backgroundColor->CGColor());
        path(b, radius);
        context.fillPath();
    }
    if (m_borderWidth > 0) {
        context.setStrokeColor(m_borderColor ? m_borderColor->CGColor() : cg::Color{0, 0, 0, 1});
        context.setLineWidth(m_borderWidth);
        path(cg::inset(b, m_borderWidth / 2, m_borderWidth / 2),
             std::max<cg::Float>(0, radius - m_borderWidth / 2));
        context.strokePath();
    }
    context.restoreGState();
}

} // namespace ui
