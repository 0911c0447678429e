#include "uikit/TableViewIndex.h"

#include "graphics/Context.h"
#include "uikit/Event.h"
#include "uikit/Font.h"
#include "uikit/StringDrawing.h"
#include "uikit/Touch.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {

// Room above the first title and below the last, and the most a title may take.
constexpr cg::Float Margin = 5;
constexpr cg::Float MaxStep = 16;

} // namespace

TableViewIndex::TableViewIndex() : View(cg::makeRect(0, 0, Width, 0))
{
    setBackgroundColor(nullptr);
    setOpaque(false);
}

void TableViewIndex::setTitles(std::vector<std::string> titles)
{
    if (titles == m_titles)
        return;
    m_titles = std::move(titles);
    setNeedsDisplay();
}

cg::Float TableViewIndex::step() const
{
    if (m_titles.empty())
        return 0;
    cg::Float room = std::max<cg::Float>(0, bounds().size.height - 2 * Margin);
    return std::min<cg::Float>(MaxStep, room / cg::Float(m_titles.size()));
}

cg::Rect TableViewIndex::rectForTitleAtIndex(std::size_t index) const
{
    cg::Float s = step();
    return cg::makeRect(0, Margin + s * cg::Float(index), bounds().size.width, s);
}

void TableViewIndex::drawRect(cg::Context& context, cg::Rect)
{
    auto font = Font::boldSystemFontOfSize(11);
    context.setRGBFillColor(0.4f, 0.45f, 0.5f, 1);
    for (std::size_t i = 0; i < m_titles.size(); ++i)
        drawText(context, m_titles[i], rectForTitleAtIndex(i), *font, LineBreakMode::Clip,
                 TextAlignment::Center);
}

void TableViewIndex::select(const TouchSet& touches)
{
    auto touch = touches.anyObject();
    cg::Float s = step();
    if (!touch || s <= 0 || !m_selectAction)
        return;
    cg::Float y = touch->locationInView(this).y - Margin;
    // A finger above the first title or below the last one stays on it.
    long index = long(std::floor(y / s));
    index = std::clamp<long>(index, 0, long(m_titles.size()) - 1);
    if (std::size_t(index) == m_lastSelected)
        return;
    m_lastSelected = std::size_t(index);
    m_selectAction(m_lastSelected);
}

void TableViewIndex::touchesBegan(const TouchSet& touches, Event*)
{
    m_lastSelected = SIZE_MAX;
    select(touches);
}

void TableViewIndex::touchesMoved(const TouchSet& touches, Event*)
{
    select(touches);
}

} // namespace ui
