#include "uikit/Label.h"

#include "uikit/Color.h"
#include "uikit/Font.h"

#include <cmath>

namespace ui {

Label::Label() : Label(cg::Rect{})
{
}

Label::Label(cg::Rect frame)
    : View(frame), m_font(Font::systemFontOfSize(17)), m_textColor(Color::blackColor())
{
    setUserInteractionEnabled(false);
    setBackgroundColor(Color::whiteColor());
}

void Label::setText(std::optional<std::string> text)
{
    m_text = std::move(text);
    setNeedsDisplay();
}

void Label::setFont(ns::Ref<Font> font)
{
    m_font = font ? std::move(font) : Font::systemFontOfSize(17);
    setNeedsDisplay();
}

cg::Size Label::sizeThatFits(cg::Size size) const
{
    if (!m_text || m_text->empty())
        return {0, 0};
    if (m_numberOfLines == 1)
        return sizeWithFont(*m_text, *m_font);
    cg::Float width = size.width > 0 ? size.width : 100000;
    cg::Float height = 100000;
    if (m_numberOfLines > 1)
        height = m_font->lineHeight() * cg::Float(m_numberOfLines);
    return sizeWithFont(*m_text, *m_font, cg::Size{width, std::ceil(height)}, m_lineBreakMode);
}

void Label::drawRect(cg::Context& context, cg::Rect)
{
    drawTextInRect(context, bounds());
}

void Label::drawTextInRect(cg::Context& context, cg::Rect rect)
{
    if (!m_text || m_text->empty())
        return;
    ns::Ref<Color> color = m_highlighted && m_highlightedTextColor ? m_highlightedTextColor : m_textColor;
    if (!color)
        color = Color::blackColor();
    // One line shows only what a line can hold: the rest is never laid out.
    std::string oneLine;
    if (m_numberOfLines == 1)
        oneLine = textForOneLine(*m_text, LineBreakMode::TailTruncation);
    const std::string& text = m_numberOfLines == 1 ? oneLine : *m_text;
    cg::Size needed = m_numberOfLines == 1 ? sizeWithFont(text, *m_font)
                                           : sizeWithFont(text, *m_font, rect.size, m_lineBreakMode);
    // Text sits in the middle of the label's height, as on the device.
    cg::Float top = rect.origin.y + std::max<cg::Float>(0, (rect.size.height - needed.height) / 2);
    // Measured sizes are rounded to whole points: text measured to fit is given that last fraction of a
    // point so that it is never cut short when drawn.
    cg::Float slack = needed.width <= rect.size.width ? 1 : 0;
    cg::Rect box =
        cg::makeRect(rect.origin.x, top, rect.size.width + slack, std::min(needed.height, rect.size.height));
    context.saveGState();
    if (!m_enabled)
        context.setAlpha(0.5f);
    if (m_shadowColor && m_shadowColor->alpha() > 0) {
        context.setFillColor(m_shadowColor->CGColor());
        drawText(context, text, cg::offset(box, m_shadowOffset.width, m_shadowOffset.height), *m_font,
                 m_numberOfLines == 1 ? LineBreakMode::TailTruncation : m_lineBreakMode, m_alignment);
    }
    context.setFillColor(color->CGColor());
    drawText(context, text, box, *m_font,
             m_numberOfLines == 1 ? LineBreakMode::TailTruncation : m_lineBreakMode, m_alignment);
    context.restoreGState();
}

} // namespace ui
