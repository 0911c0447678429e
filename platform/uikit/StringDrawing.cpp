#include "uikit/StringDrawing.h"

namespace ui {

cg::Size sizeWithFont(const std::string&, const Font&) { return {}; }
cg::Size sizeWithFont(const std::string&, const Font&, cg::Size, LineBreakMode) { return {}; }
cg::Size sizeWithFont(const std::string&, const Font&, float, LineBreakMode) { return {}; }
cg::Size drawInRect(const std::string&, const cg::Rect&, const Font&, LineBreakMode, TextAlignment) { return {}; }
cg::Size drawAtPoint(const std::string&, const cg::Point&, const Font&) { return {}; }
cg::Size drawAtPoint(const std::string&, const cg::Point&, float, const Font&, LineBreakMode) { return {}; }
cg::Size drawText(cg::Context&, const std::string&, const cg::Rect&, const Font&, LineBreakMode, TextAlignment)
{
    return {};
}

} // namespace ui
