#include "uikit/ActivityIndicatorView.h"

#include "graphics/Context.h"
#include "uikit/Color.h"

#include <cmath>
#include <numbers>

namespace ui {

ActivityIndicatorView::ActivityIndicatorView(ActivityIndicatorViewStyle style) : m_style(style)
{
    setOpaque(false);
    setUserInteractionEnabled(false);
    setFrame(cg::Rect{{0, 0}, sizeThatFits({})});
    setHidden(true);
}

void ActivityIndicatorView::setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style)
{
    m_style = style;
    cg::Rect f = frame();
    setFrame(cg::Rect{f.origin, sizeThatFits({})});
}

void ActivityIndicatorView::startAnimating()
{
    m_animating = true;
    setHidden(false);
}

void ActivityIndicatorView::stopAnimating()
{
    m_animating = false;
    if (m_hidesWhenStopped)
        setHidden(true);
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides)
{
    m_hidesWhenStopped = hides;
    setHidden(hides && !m_animating);
}

cg::Size ActivityIndicatorView::sizeThatFits(cg::Size) const
{
    return m_style == ActivityIndicatorViewStyle::WhiteLarge ? cg::Size{37, 37} : cg::Size{20, 20};
}

void ActivityIndicatorView::drawRect(cg::Context& context, cg::Rect)
{
    cg::Rect b = bounds();
    cg::Color tone = m_color ? m_color->CGColor()
                             : (m_style == ActivityIndicatorViewStyle::Gray ? cg::Color{0.5f, 0.5f, 0.5f, 1}
                                                                            : cg::Color{1, 1, 1, 1});
    cg::Float r = std::min(b.size.width, b.size.height) / 2;
    context.setLineWidth(std::max<cg::Float>(2, r / 4));
    context.setLineCap(cg::LineCap::Round);
    // Twelve spokes, fading round the circle.
    for (int i = 0; i < 12; ++i) {
        cg::Float angle = cg::Float(i) * std::numbers::pi_v<cg::Float> / 6;
        cg::Color spoke = tone;
        spoke.alpha *= 0.25f + 0.75f * cg::Float(i) / 11;
        context.setStrokeColor(spoke);
        context.beginPath();
        context.moveToPoint(b.midX() + std::cos(angle) * r * 0.5f, b.midY() + std::sin(angle) * r * 0.5f);
        context.addLineToPoint(b.midX() + std::cos(angle) * r * 0.9f, b.midY() + std::sin(angle) * r * 0.9f);
        context.strokePath();
    }
}

} // namespace ui
