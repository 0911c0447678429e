#include "uikit/TableView.h"

#include "foundation/Exception.h"
#include "foundation/Format.h"
#include "uikit/Color.h"
#include "uikit/Event.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/TableViewIndex.h"

#include <algorithm>
#include <set>

namespace ui {
namespace {

ns::Ref<Font> footerFont()
{
    return Font::systemFontOfSize(15);
}

// Reused cells kept per identifier; more than a screenful is never needed.
constexpr std::size_t MaxReusablePerIdentifier = 32;

std::size_t toCount(long count)
{
    return count > 0 ? std::size_t(count) : 0;
}

} // namespace

TableView::TableView() : TableView(cg::makeRect(0, 0, 320, 460))
{
}

TableView::TableView(cg::Rect frame, TableViewStyle style) : ScrollView(frame), m_style(style)
{
    if (style == TableViewStyle::Grouped) {
        setBackgroundColor(Color::groupTableViewBackgroundColor());
        m_sectionHeaderHeight = 10;
        m_sectionFooterHeight = 10;
    } else {
        setBackgroundColor(Color::whiteColor());
    }
}

TableView::~TableView() = default;

cg::Float TableView::sectionIndexWidth()
{
    reloadIfNeeded();
    return m_indexTitles.empty() ? 0 : TableViewIndex::Width;
}

void TableView::scrollToSectionForIndexTitleAtIndex(std::size_t index)
{
    reloadIfNeeded();
    auto source = m_dataSource.lock();
    if (!source || index >= m_indexTitles.size())
        return;
    auto keep = self<TableView>();
    long section = source->tableViewSectionForSectionIndexTitle(*this, m_indexTitles[index], long(index));
    if (section < 0 || std::size_t(section) >= m_sections.size())
        return;
    setContentOffset(clampedOffset(cg::makePoint(contentOffset().x, m_sections[std::size_t(section)].top)),
                     false);
    updateVisibleCells();
}

// The index lies over the rows at the right edge of what shows, below the table header view while that
// is in sight, and above every row and header.
void TableView::placeIndex()
{
    if (m_indexTitles.empty()) {
        if (m_index && m_index->superview() == this)
            m_index->removeFromSuperview();
        return;
    }
    if (!m_index) {
        m_index = TableViewIndex::create();
        m_index->setSelectAction([weak = weakSelf<TableView>()](std::size_t index) {
            if (auto table = weak.lock())
                table->scrollToSectionForIndexTitleAtIndex(index);
        });
    }
    cg::Rect visible = bounds();
    cg::Float top = visible.minY();
    if (m_tableHeaderView)
        top = std::max(top, m_tableHeaderView->frame().maxY());
    m_index->setTitles(m_indexTitles);
    m_index->setFrame(cg::makeRect(visible.maxX() - TableViewIndex::Width, top, TableViewIndex::Width,
                                   std::max<cg::Float>(0, visible.maxY() - top)));
    if (m_index->superview() != this || subviews().back() != m_index)
        addSubview(m_index);
}

void TableView::setDataSource(const ns::Ref<TableViewDataSource>& dataSource)
{
    m_dataSource = dataSource;
    m_needsReload = true;
    setNeedsLayout();
}

void TableView::setDelegate(const ns::Ref<TableViewDelegate>& delegate)
{
    m_delegate = delegate;
    setScrollDelegate(delegate);
    m_needsReload = true;
    setNeedsLayout();
}

void TableView::setRowHeight(cg::Float height)
{
    m_rowHeight = height;
    m_needsReload = true;
    setNeedsLayout();
}

void TableView::setTableHeaderView(ns::Ref<View> view)
{
    if (m_tableHeaderView && m_tableHeaderView->superview() == this)
        m_tableHeaderView->removeFromSuperview();
    m_tableHeaderView = std::move(view);
    if (m_tableHeaderView)
        addSubview(m_tableHeaderView);
    if (!m_needsReload)
        placeSections(m_sections);
    setNeedsLayout();
}

void TableView::setTableFooterView(ns::Ref<View> view)
{
    if (m_tableFooterView && m_tableFooterView->superview() == this)
        m_tableFooterView->removeFromSuperview();
    m_tableFooterView = std::move(view);
    if (m_tableFooterView)
        addSubview(m_tableFooterView);
    if (!m_needsReload)
        placeSections(m_sections);
    setNeedsLayout();
}

cg::Float TableView::groupedFooterHeight(const std::string& title) const
{
    // The lines the footer's text takes across the table's width within its insets, with room around.
    cg::Float width = std::max<cg::Float>(1, bounds().size.width - 2 * 19);
    cg::Float text =
        sizeWithFont(title, *footerFont(), cg::Size{width, 100000}, LineBreakMode::WordWrap).height;
    return std::max<cg::Float>(36, std::ceil(text) + 18);
}

ns::Ref<View> TableView::makeHeaderView(const std::string& title, bool footer)
{
    auto label = Label::create();
    label->setText(title);
    if (m_style == TableViewStyle::Grouped) {
        label->setBackgroundColor(nullptr);
        label->setFont(footer ? footerFont() : Font::boldSystemFontOfSize(17));
        label->setTextColor(Color::colorWithRed(0.3f, 0.34f, 0.42f, 1));
        if (footer) {
            // A footer says as much as it holds, on as many lines as it takes.
            label->setTextAlignment(TextAlignment::Center);
            label->setNumberOfLines(0);
            label->setLineBreakMode(LineBreakMode::WordWrap);
        }
    } else {
        label->setBackgroundColor(Color::colorWithRed(0.6f, 0.65f, 0.7f, 0.9f));
        label->setFont(Font::boldSystemFontOfSize(18));
        label->setTextColor(Color::whiteColor());
    }
    return label;
}

std::vector<TableView::Section> TableView::readSections()
{
    std::vector<Section> sections;
    auto source = m_dataSource.lock();
    if (!source)
        return sections;
    auto delegate = m_delegate.lock();
    std::size_t count = toCount(source->numberOfSectionsInTableView(*this));
    sections.resize(count);
    bool grouped = m_style == TableViewStyle::Grouped;
    for (std::size_t s = 0; s < count; ++s) {
        Section& section = sections[s];
        section.rows = long(toCount(source->tableViewNumberOfRowsInSection(*this, s)));
        section.header = source->tableViewTitleForHeaderInSection(*this, s);
        section.footer = source->tableViewTitleForFooterInSection(*this, s);
        if (delegate) {
            section.headerView = delegate->tableViewViewForHeaderInSection(*this, s);
            section.footerView = delegate->tableViewViewForFooterInSection(*this, s);
        }
        if (!section.headerView && section.header && !section.header->empty())
            section.headerView = makeHeaderView(*section.header, false);
        if (!section.footerView && section.footer && !section.footer->empty())
            section.footerView = makeHeaderView(*section.footer, true);
        std::optional<cg::Float> height =
            delegate ? delegate->tableViewHeightForHeaderInSection(*this, s) : std::nullopt;
        if (height)
            section.headerHeight = std::max<cg::Float>(0, *height);
        else if (section.headerView && !(section.header && !section.header->empty()))
            section.headerHeight = section.headerView->frame().size.height;
        else if (section.header && !section.header->empty())
            section.headerHeight = grouped ? 46 : m_sectionHeaderHeight;
        else
            section.headerHeight = grouped ? m_sectionHeaderHeight : 0;
        height = delegate ? delegate->tableViewHeightForFooterInSection(*this, s) : std::nullopt;
        if (height)
            section.footerHeight = std::max<cg::Float>(0, *height);
        else if (section.footerView && !(section.footer && !section.footer->empty()))
            section.footerHeight = section.footerView->frame().size.height;
        else if (section.footer && !section.footer->empty())
            section.footerHeight = grouped ? groupedFooterHeight(*section.footer) : m_sectionFooterHeight;
        else
            section.footerHeight = grouped ? m_sectionFooterHeight : 0;
        std::size_t rows = std::size_t(section.rows);
        section.rowHeights.resize(rows, m_rowHeight);
        if (delegate)
            for (std::size_t r = 0; r < rows; ++r)
                if (auto h = delegate->tableViewHeightForRowAtIndexPath(*this, ns::IndexPath(s, r)))
                    section.rowHeights[r] = std::max<cg::Float>(0, *h);
    }
    if (auto titles = source->sectionIndexTitlesForTableView(*this))
        m_indexTitles = *titles;
    else
        m_indexTitles.clear();
    return sections;
}

void TableView::placeSections(std::vector<Section>& sections)
{
    cg::Float y = m_tableHeaderView ? m_tableHeaderView->frame().size.height : 0;
    for (auto& section : sections) {
        section.top = y;
        y += section.headerHeight;
        section.rowTops.resize(section.rowHeights.size());
        for (std::size_t r = 0; r < section.rowHeights.size(); ++r) {
            section.rowTops[r] = y;
            y += section.rowHeights[r];
        }
        y += section.footerHeight;
        section.bottom = y;
    }
    cg::Float footer = m_tableFooterView ? m_tableFooterView->frame().size.height : 0;
    setContentSize(cg::Size{bounds().size.width, y + footer});
}

void TableView::recycle(const ns::Ref<TableViewCell>& cell)
{
    if (cell->superview() == this)
        cell->removeFromSuperview();
    cell->setHighlighted(false, false);
    if (!cell->reuseIdentifier())
        return;
    auto& queue = m_reusable[*cell->reuseIdentifier()];
    if (queue.size() < MaxReusablePerIdentifier)
        queue.push_back(cell);
}

void TableView::reloadData()
{
    if (m_reloading)
        return;
    m_reloading = true;
    m_needsReload = false;
    for (auto& [key, cell] : m_visible)
        recycle(cell);
    m_visible.clear();
    for (auto& section : m_sections) {
        if (section.headerView && section.headerView->superview() == this)
            section.headerView->removeFromSuperview();
        if (section.footerView && section.footerView->superview() == this)
            section.footerView->removeFromSuperview();
    }
    m_selected.reset();
    try {
        m_sections = readSections();
    } catch (...) {
        m_reloading = false;
        throw;
    }
    placeSections(m_sections);
    m_reloading = false;
    setNeedsLayout();
    updateVisibleCells();
}

void TableView::reloadIfNeeded()
{
    if (m_needsReload && !m_reloading)
        reloadData();
}

long TableView::numberOfSections()
{
    reloadIfNeeded();
    return long(m_sections.size());
}

long TableView::numberOfRowsInSection(std::size_t section)
{
    reloadIfNeeded();
    return section < m_sections.size() ? m_sections[section].rows : 0;
}

const std::vector<std::string>& TableView::sectionIndexTitles()
{
    reloadIfNeeded();
    return m_indexTitles;
}

TableViewCellEditingStyle TableView::editingStyleFor(const ns::IndexPath& indexPath)
{
    if (!m_editing)
        return TableViewCellEditingStyle::None;
    if (auto source = m_dataSource.lock();
        source && !source->tableViewCanEditRowAtIndexPath(*this, indexPath))
        return TableViewCellEditingStyle::None;
    if (auto delegate = m_delegate.lock())
        if (auto style = delegate->tableViewEditingStyleForRowAtIndexPath(*this, indexPath))
            return *style;
    return TableViewCellEditingStyle::Delete;
}

void TableView::configureCell(TableViewCell& cell, const ns::IndexPath& indexPath)
{
    cell.setGrouped(m_style == TableViewStyle::Grouped);
    cell.setTableEditingStyle(editingStyleFor(indexPath));
    if (cell.isEditing() != m_editing)
        cell.setEditing(m_editing, false);
    bool selected = m_selected && m_selected->isEqual(indexPath);
    if (cell.isSelected() != selected)
        cell.setSelected(selected, false);
    if (auto delegate = m_delegate.lock()) {
        cell.setIndentationLevel(delegate->tableViewIndentationLevelForRowAtIndexPath(*this, indexPath));
        cell.setShouldIndentWhileEditing(
            delegate->tableViewShouldIndentWhileEditingRowAtIndexPath(*this, indexPath));
    }
}

void TableView::updateVisibleCells()
{
    reloadIfNeeded();
    if (m_reloading)
        return;
    auto source = m_dataSource.lock();
    cg::Rect visible = bounds();
    cg::Float width = visible.size.width;
    // The index takes the right edge: cells narrow their content, and grouped headers their text, by it.
    cg::Float indexWidth = m_indexTitles.empty() ? 0 : TableViewIndex::Width;
    if (m_tableHeaderView)
        m_tableHeaderView->setFrame(cg::makeRect(0, 0, width, m_tableHeaderView->frame().size.height));
    if (m_tableFooterView) {
        cg::Float y = m_sections.empty() ? (m_tableHeaderView ? m_tableHeaderView->frame().size.height : 0)
                                         : m_sections.back().bottom;
        m_tableFooterView->setFrame(cg::makeRect(0, y, width, m_tableFooterView->frame().size.height));
    }
    // First the rows now in the window and the header and footer views; rows that left give back their
    // cells before any new row asks for one, so scrolling reuses them.
    std::vector<std::pair<Key, cg::Rect>> wanted;
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
        Section& section = m_sections[s];
        auto place = [&](const ns::Ref<View>& view, cg::Rect frame) {
            if (!view)
                return;
            if (frame.size.height > 0 && cg::intersects(frame, visible)) {
                view->setFrame(frame);
                if (view->superview() != this)
                    addSubview(view);
            } else if (view->superview() == this) {
                view->removeFromSuperview();
            }
        };
        cg::Float inset = m_style == TableViewStyle::Grouped ? 19 : 0;
        cg::Float headerTextHeight = std::min<cg::Float>(section.headerHeight, 22);
        cg::Float textWidth = std::max<cg::Float>(0, width - 2 * inset - indexWidth);
        place(section.headerView,
              section.header && !section.header->empty() && m_style == TableViewStyle::Grouped
                  ? cg::makeRect(inset, section.top + section.headerHeight - headerTextHeight - 6, textWidth,
                                 headerTextHeight)
                  : cg::makeRect(0, section.top, width, section.headerHeight));
        place(section.footerView,
              cg::makeRect(inset, section.bottom - section.footerHeight, textWidth, section.footerHeight));
        if (section.bottom <= visible.minY() || section.top >= visible.maxY())
            continue;
        for (std::size_t r = 0; r < section.rowTops.size(); ++r) {
            cg::Rect frame = cg::makeRect(0, section.rowTops[r], width, section.rowHeights[r]);
            if (frame.size.height > 0 && cg::intersects(frame, visible))
                wanted.emplace_back(Key{s, r}, frame);
        }
    }
    std::map<Key, ns::Ref<TableViewCell>> shown;
    for (auto& [key, frame] : wanted)
        if (auto found = m_visible.find(key); found != m_visible.end()) {
            shown[key] = found->second;
            m_visible.erase(found);
        }
    for (auto& [key, cell] : m_visible)
        recycle(cell);
    m_visible.clear();
    std::vector<std::pair<ns::Ref<TableViewCell>, ns::IndexPath>> fresh;
    std::size_t position = 0;
    for (auto& [key, frame] : wanted) {
        ns::Ref<TableViewCell> cell;
        if (auto found = shown.find(key); found != shown.end()) {
            cell = found->second;
        } else if (source) {
            ns::IndexPath indexPath(key.first, key.second);
            cell = source->tableViewCellForRowAtIndexPath(*this, indexPath);
            if (!cell)
                ns::raise(ns::InternalInconsistencyException,
                          "UITableView dataSource must return a cell from tableView:cellForRowAtIndexPath:");
            fresh.emplace_back(cell, indexPath);
        }
        if (!cell)
            continue;
        cell->setFrame(frame);
        cell->setSectionIndexWidth(indexWidth);
        // Cells sit at the back, in row order, under headers and footers.
        if (cell->superview() != this || position >= subviews().size() || subviews()[position] != cell)
            insertSubviewAtIndex(cell, position);
        ++position;
        shown[key] = cell;
    }
    m_visible = std::move(shown);
    auto delegate = m_delegate.lock();
    for (auto& [cell, indexPath] : fresh) {
        configureCell(*cell, indexPath);
        // A reused cell's labels have new texts: lay it out again.
        cell->setNeedsLayout();
        if (delegate)
            delegate->tableViewWillDisplayCell(*this, *cell, indexPath);
    }
    placeIndex();
}

ns::Ref<TableViewCell> TableView::cellForRowAtIndexPath(const ns::IndexPath& indexPath)
{
    updateVisibleCells();
    auto found = m_visible.find(Key{indexPath.section(), indexPath.row()});
    return found == m_visible.end() ? nullptr : found->second;
}

ns::Ref<TableViewCell> TableView::dequeueReusableCellWithIdentifier(const std::string& identifier)
{
    auto found = m_reusable.find(identifier);
    if (found == m_reusable.end() || found->second.empty())
        return nullptr;
    auto cell = found->second.back();
    found->second.pop_back();
    cell->prepareForReuse();
    return cell;
}

std::vector<ns::Ref<TableViewCell>> TableView::visibleCells()
{
    updateVisibleCells();
    std::vector<ns::Ref<TableViewCell>> cells;
    for (auto& [key, cell] : m_visible)
        cells.push_back(cell);
    return cells;
}

std::vector<ns::IndexPath> TableView::indexPathsForVisibleRows()
{
    updateVisibleCells();
    std::vector<ns::IndexPath> paths;
    for (auto& [key, cell] : m_visible)
        paths.emplace_back(key.first, key.second);
    return paths;
}

std::optional<ns::IndexPath> TableView::indexPathForCell(const TableViewCell* cell)
{
    for (auto& [key, visible] : m_visible)
        if (visible.get() == cell)
            return ns::IndexPath(key.first, key.second);
    return std::nullopt;
}

std::optional<ns::IndexPath> TableView::indexPathForRowAtPoint(cg::Point point)
{
    reloadIfNeeded();
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
        const Section& section = m_sections[s];
        if (point.y < section.top || point.y >= section.bottom)
            continue;
        for (std::size_t r = 0; r < section.rowTops.size(); ++r)
            if (point.y >= section.rowTops[r] && point.y < section.rowTops[r] + section.rowHeights[r])
                return ns::IndexPath(s, r);
    }
    return std::nullopt;
}

cg::Rect TableView::rectForSection(std::size_t section)
{
    reloadIfNeeded();
    if (section >= m_sections.size())
        return {};
    const Section& s = m_sections[section];
    return cg::makeRect(0, s.top, bounds().size.width, s.bottom - s.top);
}

cg::Rect TableView::rectForHeaderInSection(std::size_t section)
{
    reloadIfNeeded();
    if (section >= m_sections.size())
        return {};
    const Section& s = m_sections[section];
    return cg::makeRect(0, s.top, bounds().size.width, s.headerHeight);
}

cg::Rect TableView::rectForFooterInSection(std::size_t section)
{
    reloadIfNeeded();
    if (section >= m_sections.size())
        return {};
    const Section& s = m_sections[section];
    return cg::makeRect(0, s.bottom - s.footerHeight, bounds().size.width, s.footerHeight);
}

cg::Rect TableView::rectForRowAtIndexPath(const ns::IndexPath& indexPath)
{
    reloadIfNeeded();
    if (indexPath.section() >= m_sections.size())
        return {};
    const Section& s = m_sections[indexPath.section()];
    if (indexPath.row() >= s.rowTops.size())
        return {};
    return cg::makeRect(0, s.rowTops[indexPath.row()], bounds().size.width, s.rowHeights[indexPath.row()]);
}

void TableView::scrollToRowAtIndexPath(const ns::IndexPath& indexPath, TableViewScrollPosition position,
                                       bool animated)
{
    cg::Rect row = rectForRowAtIndexPath(indexPath);
    if (row.isEmpty())
        return;
    cg::Point offset = contentOffset();
    cg::Float height = bounds().size.height;
    switch (position) {
    case TableViewScrollPosition::Top:
        offset.y = row.minY();
        break;
    case TableViewScrollPosition::Middle:
        offset.y = row.midY() - height / 2;
        break;
    case TableViewScrollPosition::Bottom:
        offset.y = row.maxY() - height;
        break;
    case TableViewScrollPosition::None:
        scrollRectToVisible(row, animated);
        return;
    }
    setContentOffset(clampedOffset(offset), animated);
    updateVisibleCells();
}

void TableView::selectRowAtIndexPath(const std::optional<ns::IndexPath>& indexPath, bool animated,
                                     TableViewScrollPosition position)
{
    reloadIfNeeded();
    if (m_selected) {
        if (auto cell = cellForRowAtIndexPath(*m_selected))
            cell->setSelected(false, animated);
    }
    m_selected.reset();
    if (!indexPath || indexPath->section() >= m_sections.size() ||
        indexPath->row() >= std::size_t(m_sections[indexPath->section()].rows))
        return;
    m_selected = *indexPath;
    if (position != TableViewScrollPosition::None)
        scrollToRowAtIndexPath(*indexPath, position, animated);
    if (auto cell = cellForRowAtIndexPath(*indexPath))
        cell->setSelected(true, animated);
}

void TableView::deselectRowAtIndexPath(const ns::IndexPath& indexPath, bool animated)
{
    if (m_selected && m_selected->isEqual(indexPath))
        m_selected.reset();
    if (auto cell = cellForRowAtIndexPath(indexPath))
        cell->setSelected(false, animated);
}

void TableView::tapRowAtIndexPath(const ns::IndexPath& indexPath)
{
    if (!m_allowsSelection || (m_editing && !m_allowsSelectionDuringEditing))
        return;
    auto keep = self<TableView>();
    auto delegate = m_delegate.lock();
    std::optional<ns::IndexPath> target = indexPath;
    if (delegate)
        target = delegate->tableViewWillSelectRowAtIndexPath(*this, indexPath);
    if (!target)
        return;
    if (m_selected && !m_selected->isEqual(*target)) {
        ns::IndexPath previous = *m_selected;
        deselectRowAtIndexPath(previous, false);
        if (delegate)
            delegate->tableViewDidDeselectRowAtIndexPath(*this, previous);
    }
    selectRowAtIndexPath(*target, false, TableViewScrollPosition::None);
    if (delegate)
        delegate->tableViewDidSelectRowAtIndexPath(*this, *target);
}

void TableView::setEditing(bool editing, bool animated)
{
    m_editing = editing;
    for (auto& [key, cell] : m_visible) {
        cell->setTableEditingStyle(editingStyleFor(ns::IndexPath(key.first, key.second)));
        cell->setEditing(editing, animated);
    }
    setNeedsLayout();
}

void TableView::commitEditingForCell(TableViewCell* cell, TableViewCellEditingStyle style)
{
    auto path = indexPathForCell(cell);
    auto source = m_dataSource.lock();
    if (!path || !source)
        return;
    auto keep = self<TableView>();
    cell->setShowingDeleteConfirmation(false);
    source->tableViewCommitEditingStyle(*this, style, *path);
}

void TableView::layoutSubviews()
{
    updateVisibleCells();
}

void TableView::touchesBegan(const TouchSet& touches, Event* event)
{
    ScrollView::touchesBegan(touches, event);
    m_touchedRow.reset();
    auto touch = touches.anyObject();
    if (!touch || touches.count() != 1)
        return;
    m_touchedRow = indexPathForRowAtPoint(touch->locationInView(this));
    if (m_touchedRow && m_allowsSelection && (!m_editing || m_allowsSelectionDuringEditing))
        if (auto cell = cellForRowAtIndexPath(*m_touchedRow))
            cell->setHighlighted(true, false);
}

void TableView::touchesEnded(const TouchSet& touches, Event* event)
{
    bool scrolled = hasScrolledDuringTouch();
    ScrollView::touchesEnded(touches, event);
    auto row = std::move(m_touchedRow);
    m_touchedRow.reset();
    if (!row)
        return;
    if (auto cell = cellForRowAtIndexPath(*row))
        cell->setHighlighted(false, false);
    if (!scrolled)
        tapRowAtIndexPath(*row);
}

void TableView::touchesCancelled(const TouchSet& touches, Event* event)
{
    ScrollView::touchesCancelled(touches, event);
    if (m_touchedRow)
        if (auto cell = cellForRowAtIndexPath(*m_touchedRow))
            cell->setHighlighted(false, false);
    m_touchedRow.reset();
}

} // namespace ui
