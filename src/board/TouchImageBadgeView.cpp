#include "board/TouchImageBadgeView.h"

#include "graphics/Context.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Screen.h"
#include "uikit/StringDrawing.h"

#include <cmath>

TouchImageBadgeView::TouchImageBadgeView(cg::Rect frame) : ui::View(frame)
{
    setBackgroundColor(ui::Color::clearColor());
    setOpaque(false);
}

void TouchImageBadgeView::drawRect(cg::Context& context, cg::Rect rect)
{
    std::string text = m_badgeString.value_or("");
    auto font = ui::Font::boldSystemFontOfSize(11);
    float textWidth = text.empty() ? 0 : ui::sizeWithFont(text, *font).width;
    float badgeWidth = textWidth + 6;
    m_width = static_cast<unsigned>(badgeWidth);
    float radius = m_radius == 0 ? 4.0f : m_radius;
    float red = 0.53f, green = 0.6f, blue = 0.738f, alpha = 1;
    if (m_badgeColor)
        m_badgeColor->getRed(&red, &green, &blue, &alpha);

    // The drawing is done in points; the renderer scales it for a 2x screen, so the doubled bitmap of the
    // device comes out the same.
    cg::Float x0 = rect.origin.x, y0 = rect.origin.y, x1 = rect.origin.x + rect.size.width,
              y1 = rect.origin.y + rect.size.height;
    radius = std::fmin(radius, std::fmin(rect.size.width, rect.size.height) / 2);
    context.saveGState();
    context.beginPath();
    context.moveToPoint(x0 + radius, y0);
    context.addArcToPoint(x1, y0, x1, y1, radius);
    context.addArcToPoint(x1, y1, x0, y1, radius);
    context.addArcToPoint(x0, y1, x0, y0, radius);
    context.addArcToPoint(x0, y0, x1, y0, radius);
    context.closePath();
    context.setRGBFillColor(red, green, blue, alpha);
    context.fillPath();
    context.setRGBFillColor(1, 1, 1, 1);
    cg::Float textX = (badgeWidth - textWidth) * 0.5f + 0.5f;
    context.clipToRect(rect);
    ui::drawText(context, text, cg::makeRect(rect.origin.x + textX, rect.origin.y, badgeWidth, 12), *font,
                 ui::LineBreakMode::Clip, ui::TextAlignment::Left);
    context.restoreGState();

    layer()->setCornerRadius(radius);
}
