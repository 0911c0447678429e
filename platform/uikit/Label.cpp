#include "uikit/Label.h"

#include "uikit/Color.h"
#include "uikit/Font.h"

#include <algorithm>
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

ns::Ref<Font> Label::fontForWidth(cg::Float width) const
{
    if (!m_adjustsFontSizeToFitWidth || m_numberOfLines != 1 || !m_text || m_text->empty())
        return m_font;
    std::string line = textForOneLine(*m_text, LineBreakMode::TailTruncation);
    cg::Float full = sizeWithFont(line, *m_font).width;
    if (full <= width || full <= 0)
        return m_font;
    // No smaller than the minimum size, nor than one point when none is set.
    float lowest = std::max<float>(1, std::min<float>(m_minimumFontSize, m_font->pointSize()));
    // Widths grow about in proportion to the size: start there and step to the largest whole size.
    float size = std::max(lowest, std::floor(m_font->pointSize() * float(width / full)));
    while (size + 1 < m_font->pointSize() &&
           sizeWithFont(line, *m_font->fontWithSize(size + 1)).width <= width)
        ++size;
    while (size > lowest && sizeWithFont(line, *m_font->fontWithSize(size)).width > width)
        size = std::max(lowest, size - 1);
    return m_font->fontWithSize(size);
}

cg::Size Label::measure(const std::string& text, const Font& font, cg::Size size) const
{
    if (m_numberOfLines == 1)
        return sizeWithFont(text, font);
    if (m_numberOfLines > 1)
        size.height = std::min(size.height, std::ceil(font.lineHeight() * cg::Float(m_numberOfLines)));
    return sizeWithFont(text, font, size, m_lineBreakMode);
}

bool Label::isTruncated() const
{
    if (!m_text || m_text->empty())
        return false;
    cg::Size size = bounds().size;
    auto font = fontForWidth(size.width);
    if (m_numberOfLines == 1)
        return sizeWithFont(textForOneLine(*m_text, LineBreakMode::TailTruncation), *font).width > size.width;
    // Lines beyond the height, or beyond the lines allowed, are not drawn.
    cg::Size all = sizeWithFont(*m_text, *font, cg::Size{size.width, 100000}, m_lineBreakMode);
    return all.height > measure(*m_text, *font, size).height;
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
    auto font = fontForWidth(rect.size.width);
    cg::Size needed = measure(text, *font, rect.size);
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
        drawText(context, text, cg::offset(box, m_shadowOffset.width, m_shadowOffset.height), *font,
                 drawingMode(), m_alignment);
    }
    context.setFillColor(color->CGColor());
    drawText(context, text, box, *font, drawingMode(), m_alignment);
    context.restoreGState();
}

} // namespace ui
