#pragma once

#include "graphics/Context.h"
#include "graphics/Geometry.h"
#include "uikit/Font.h"

#include <string>

namespace ui {

// The platform's line break modes.
enum class LineBreakMode {
    WordWrap = 0,
    CharacterWrap = 1,
    Clip = 2,
    HeadTruncation = 3,
    TailTruncation = 4,
    MiddleTruncation = 5,
};

enum class TextAlignment {
    Left = 0,
    Center = 1,
    Right = 2,
};

// Text measuring and drawing with pango. Sizes are in points and rounded up to whole points, as the
// platform answers; measuring never depends on a screen or a context, so it is the same everywhere.

// What one line is laid out from. Laying text out costs about 70 bytes a character (pango's glyph, cluster
// and break records, and harfbuzz's buffers), and no line shows more than this many characters, so the
// single-line operations lay out only the part a line can show: the start (the end for head truncation,
// both ends for middle truncation), at most MaxLineCharacters characters.
inline constexpr std::size_t MaxLineCharacters = 16384;
std::string textForOneLine(const std::string& text, LineBreakMode mode);

// One line, however long (measured up to MaxLineCharacters characters).
cg::Size sizeWithFont(const std::string& text, const Font& font);
// Wrapped within `size.width` (word wrap and character wrap break lines; the truncating and clipping
// modes break at words too and cut the last line that fits), no taller than the whole lines that fit
// in `size.height`.
cg::Size sizeWithFont(const std::string& text, const Font& font, cg::Size constrainedToSize,
                      LineBreakMode mode = LineBreakMode::WordWrap);
// One line no wider than `width` (truncated or clipped by `mode`).
cg::Size sizeWithFont(const std::string& text, const Font& font, float forWidth, LineBreakMode mode);

// Drawing into the current drawing context (ui::currentContext) with its fill colour; nothing is drawn
// without one. The answer is the size the text took, as measured above.
cg::Size drawInRect(const std::string& text, const cg::Rect& rect, const Font& font,
                    LineBreakMode mode = LineBreakMode::WordWrap,
                    TextAlignment alignment = TextAlignment::Left);
cg::Size drawAtPoint(const std::string& text, const cg::Point& point, const Font& font);
cg::Size drawAtPoint(const std::string& text, const cg::Point& point, float forWidth, const Font& font,
                     LineBreakMode mode);

// The same into a given context whose user space is y-down (TopLeft), clipped to `rect`.
cg::Size drawText(cg::Context& context, const std::string& text, const cg::Rect& rect, const Font& font,
                  LineBreakMode mode = LineBreakMode::WordWrap,
                  TextAlignment alignment = TextAlignment::Left);

} // namespace ui
