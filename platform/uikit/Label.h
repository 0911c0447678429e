#pragma once

#include "uikit/StringDrawing.h"
#include "uikit/View.h"

#include <optional>
#include <string>

namespace ui {

class Color;
class Font;

// A read-only text. It takes no touches unless told to.
class Label : public View
{
public:
    static ns::Ref<Label> create() { return ns::Factory<Label>::make(); }
    static ns::Ref<Label> create(cg::Rect frame) { return ns::Factory<Label>::make(frame); }

    const std::optional<std::string>& text() const { return m_text; }
    void setText(std::optional<std::string> text);
    const ns::Ref<Font>& font() const { return m_font; }
    void setFont(ns::Ref<Font> font);
    const ns::Ref<Color>& textColor() const { return m_textColor; }
    void setTextColor(ns::Ref<Color> color) { m_textColor = std::move(color); }
    const ns::Ref<Color>& highlightedTextColor() const { return m_highlightedTextColor; }
    void setHighlightedTextColor(ns::Ref<Color> color) { m_highlightedTextColor = std::move(color); }
    const ns::Ref<Color>& shadowColor() const { return m_shadowColor; }
    void setShadowColor(ns::Ref<Color> color) { m_shadowColor = std::move(color); }
    cg::Size shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(cg::Size offset) { m_shadowOffset = offset; }
    TextAlignment textAlignment() const { return m_alignment; }
    void setTextAlignment(TextAlignment alignment) { m_alignment = alignment; }
    LineBreakMode lineBreakMode() const { return m_lineBreakMode; }
    void setLineBreakMode(LineBreakMode mode) { m_lineBreakMode = mode; }
    // 0 means as many as fit.
    int numberOfLines() const { return m_numberOfLines; }
    void setNumberOfLines(int lines) { m_numberOfLines = lines; }
    bool adjustsFontSizeToFitWidth() const { return m_adjustsFontSizeToFitWidth; }
    void setAdjustsFontSizeToFitWidth(bool adjusts) { m_adjustsFontSizeToFitWidth = adjusts; }
    cg::Float minimumFontSize() const { return m_minimumFontSize; }
    void setMinimumFontSize(cg::Float size) { m_minimumFontSize = size; }
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted) { m_highlighted = highlighted; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }

    // One line measured in the font, or the lines that fit the width when several are allowed.
    cg::Size sizeThatFits(cg::Size size) const override;
    // The font the text is drawn in within `width`: on one line that adjusts its font size to fit, the
    // largest whole size down to minimumFontSize at which the text fits, else the label's font.
    ns::Ref<Font> fontForWidth(cg::Float width) const;
    // Whether the text drawn in the bounds is cut short (an ellipsis, or lines beyond the height).
    bool isTruncated() const;
    void drawRect(cg::Context& context, cg::Rect rect) override;
    virtual void drawTextInRect(cg::Context& context, cg::Rect rect);

    std::string className() const override { return "UILabel"; }

protected:
    Label();
    explicit Label(cg::Rect frame);
    friend ns::Factory<Label>;

private:
    // The size the text takes in `rect` with `font`, and the mode it is drawn with.
    cg::Size measure(const std::string& text, const Font& font, cg::Size size) const;
    LineBreakMode drawingMode() const
    {
        return m_numberOfLines == 1 ? LineBreakMode::TailTruncation : m_lineBreakMode;
    }

    std::optional<std::string> m_text;
    ns::Ref<Font> m_font;
    ns::Ref<Color> m_textColor;
    ns::Ref<Color> m_highlightedTextColor;
    ns::Ref<Color> m_shadowColor;
    cg::Size m_shadowOffset{0, -1};
    TextAlignment m_alignment = TextAlignment::Left;
    LineBreakMode m_lineBreakMode = LineBreakMode::TailTruncation;
    int m_numberOfLines = 1;
    bool m_adjustsFontSizeToFitWidth = false;
    cg::Float m_minimumFontSize = 0;
    bool m_highlighted = false;
    bool m_enabled = true;
};

} // namespace ui
