#include "uikit/StringDrawing.h"

#include "uikit/GraphicsContext.h"
#include "uikit/TextEngine.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

float up(int pangoUnits)
{
    return std::ceil(float(pangoUnits) / PANGO_SCALE - 1e-3f);
}

bool usable(float value)
{
    return std::isfinite(value) && value > 0 && value < 1e6f;
}

PangoEllipsizeMode ellipsis(LineBreakMode mode)
{
    switch (mode) {
    case LineBreakMode::HeadTruncation:
        return PANGO_ELLIPSIZE_START;
    case LineBreakMode::TailTruncation:
        return PANGO_ELLIPSIZE_END;
    case LineBreakMode::MiddleTruncation:
        return PANGO_ELLIPSIZE_MIDDLE;
    default:
        return PANGO_ELLIPSIZE_NONE;
    }
}

// Lays the text out within `size` as the mode says.
void constrain(PangoLayout* layout, cg::Size size, LineBreakMode mode)
{
    if (usable(size.width)) {
        pango_layout_set_width(layout, int(size.width * PANGO_SCALE));
        pango_layout_set_wrap(layout,
                              mode == LineBreakMode::CharacterWrap ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
    }
    PangoEllipsizeMode e = ellipsis(mode);
    if (e != PANGO_ELLIPSIZE_NONE && usable(size.width)) {
        pango_layout_set_ellipsize(layout, e);
        // The last line that fits is the one cut short.
        if (usable(size.height))
            pango_layout_set_height(layout, int(std::min(size.height, 1e5f) * PANGO_SCALE));
    }
}

// The extent of the whole lines that fit in `height` (at least the first line).
cg::Size fittingExtent(PangoLayout* layout, float height)
{
    ns::CHandle<PangoLayoutIter, pango_layout_iter_free> lines(pango_layout_get_iter(layout));
    PangoLayoutIter* iter = lines.get();
    int width = 0, bottom = 0;
    bool first = true;
    do {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        int lineBottom = logical.y + logical.height;
        if (!first && usable(height) && float(lineBottom) / PANGO_SCALE > height + 1e-3f)
            break;
        width = std::max(width, logical.x + logical.width);
        bottom = lineBottom;
        first = false;
    } while (pango_layout_iter_next_line(iter));
    return cg::makeSize(up(width), up(bottom));
}

cg::Size singleLine(PangoLayout* layout)
{
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return cg::makeSize(up(logical.width), up(logical.height));
}

void singleLineWithin(PangoLayout* layout, float width, LineBreakMode mode)
{
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    if (!usable(width))
        return;
    PangoEllipsizeMode e = ellipsis(mode);
    if (e == PANGO_ELLIPSIZE_NONE)
        return; // clipped by the caller
    pango_layout_set_width(layout, int(width * PANGO_SCALE));
    pango_layout_set_ellipsize(layout, e);
    pango_layout_set_height(layout, -1);
}

void show(cg::Context& context, PangoLayout* layout, const cg::Rect& clip, cg::Point at)
{
    context.saveGState();
    context.clipToRect(clip);
    context.useFillAsSource();
    cairo_t* cr = context.cairo();
    cairo_new_path(cr);
    cairo_move_to(cr, at.x, at.y);
    pango_cairo_show_layout(cr, layout);
    cairo_new_path(cr);
    context.restoreGState();
}

// The byte offset after the first `characters` code points (the whole text when it has fewer).
std::size_t prefixBytes(const std::string& text, std::size_t characters)
{
    std::size_t i = 0;
    for (std::size_t n = 0; i < text.size() && n < characters; ++n) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
    }
    return i;
}

// The byte offset where the last `characters` code points start.
std::size_t suffixStart(const std::string& text, std::size_t characters)
{
    std::size_t i = text.size();
    for (std::size_t n = 0; i > 0 && n < characters; ++n) {
        --i;
        while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            --i;
    }
    return i;
}

} // namespace

std::string textForOneLine(const std::string& text, LineBreakMode mode)
{
    // Bytes bound characters from above: a text no longer in bytes is short enough as it is.
    if (text.size() <= MaxLineCharacters)
        return text;
    switch (mode) {
    case LineBreakMode::HeadTruncation:
        return text.substr(suffixStart(text, MaxLineCharacters));
    case LineBreakMode::MiddleTruncation: {
        std::size_t head = prefixBytes(text, MaxLineCharacters / 2);
        std::size_t tail = suffixStart(text, MaxLineCharacters / 2);
        return tail <= head ? text : text.substr(0, head) + text.substr(tail);
    }
    default:
        return text.substr(0, prefixBytes(text, MaxLineCharacters));
    }
}

cg::Size sizeWithFont(const std::string& text, const Font& font)
{
    auto layout = TextEngine::layout(textForOneLine(text, LineBreakMode::Clip), font);
    return singleLine(layout.get());
}

cg::Size sizeWithFont(const std::string& text, const Font& font, cg::Size constrainedToSize,
                      LineBreakMode mode)
{
    auto layout = TextEngine::layout(text, font);
    constrain(layout.get(), constrainedToSize, mode);
    return fittingExtent(layout.get(), constrainedToSize.height);
}

cg::Size sizeWithFont(const std::string& text, const Font& font, float forWidth, LineBreakMode mode)
{
    auto layout = TextEngine::layout(textForOneLine(text, mode), font);
    singleLineWithin(layout.get(), forWidth, mode);
    cg::Size size = singleLine(layout.get());
    if (usable(forWidth))
        size.width = std::min(size.width, std::ceil(forWidth));
    return size;
}

cg::Size drawText(cg::Context& context, const std::string& text, const cg::Rect& rect, const Font& font,
                  LineBreakMode mode, TextAlignment alignment)
{
    cg::Rect box = cg::standardize(rect);
    auto layout = TextEngine::layout(text, font);
    constrain(layout.get(), box.size, mode);
    // Alignment needs a width to align within, even where the mode does not wrap.
    if (pango_layout_get_width(layout.get()) < 0 && usable(box.size.width))
        pango_layout_set_width(layout.get(), int(box.size.width * PANGO_SCALE));
    pango_layout_set_alignment(layout.get(), alignment == TextAlignment::Center  ? PANGO_ALIGN_CENTER
                                             : alignment == TextAlignment::Right ? PANGO_ALIGN_RIGHT
                                                                                 : PANGO_ALIGN_LEFT);
    cg::Size size = fittingExtent(layout.get(), box.size.height);
    // Lines below the last whole one that fits are not drawn.
    cg::Rect clip =
        cg::makeRect(box.origin.x, box.origin.y, box.size.width, std::min(box.size.height, size.height));
    show(context, layout.get(), clip, box.origin);
    return size;
}

cg::Size drawInRect(const std::string& text, const cg::Rect& rect, const Font& font, LineBreakMode mode,
                    TextAlignment alignment)
{
    auto context = currentContext();
    if (!context)
        return sizeWithFont(text, font, rect.size, mode);
    return drawText(*context, text, rect, font, mode, alignment);
}

cg::Size drawAtPoint(const std::string& text, const cg::Point& point, const Font& font)
{
    auto layout = TextEngine::layout(textForOneLine(text, LineBreakMode::Clip), font);
    cg::Size size = singleLine(layout.get());
    if (auto context = currentContext())
        show(*context, layout.get(), cg::makeRect(point.x, point.y, size.width, size.height), point);
    return size;
}

cg::Size drawAtPoint(const std::string& text, const cg::Point& point, float forWidth, const Font& font,
                     LineBreakMode mode)
{
    auto layout = TextEngine::layout(textForOneLine(text, mode), font);
    singleLineWithin(layout.get(), forWidth, mode);
    cg::Size size = singleLine(layout.get());
    if (usable(forWidth))
        size.width = std::min(size.width, std::ceil(forWidth));
    if (auto context = currentContext())
        show(*context, layout.get(), cg::makeRect(point.x, point.y, size.width, size.height), point);
    return size;
}

} // namespace ui
