#pragma once

#include "foundation/IndexPath.h"
#include "uikit/ScrollView.h"
#include "uikit/TableViewCell.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class TableView;
class TableViewIndex;

enum class TableViewStyle { Plain = 0, Grouped = 1 };
enum class TableViewScrollPosition { None = 0, Top = 1, Middle = 2, Bottom = 3 };
enum class TableViewRowAnimation { Fade = 0, Right = 1, Left = 2, Top = 3, Bottom = 4, None = 5, Middle = 6 };

// What a table asks for its content. Counts, cells and titles; optional questions answer "not given".
class TableViewDataSource
{
public:
    virtual ~TableViewDataSource() = default;
    virtual long numberOfSectionsInTableView(TableView&) { return 1; }
    virtual long tableViewNumberOfRowsInSection(TableView& tableView, std::size_t section) = 0;
    virtual ns::Ref<TableViewCell> tableViewCellForRowAtIndexPath(TableView& tableView,
                                                                  const ns::IndexPath& indexPath) = 0;
    virtual std::optional<std::string> tableViewTitleForHeaderInSection(TableView&, std::size_t)
    {
        return std::nullopt;
    }
    virtual std::optional<std::string> tableViewTitleForFooterInSection(TableView&, std::size_t)
    {
        return std::nullopt;
    }
    virtual std::optional<std::vector<std::string>> sectionIndexTitlesForTableView(TableView&)
    {
        return std::nullopt;
    }
    virtual long tableViewSectionForSectionIndexTitle(TableView&, const std::string&, long index)
    {
        return index;
    }
    virtual bool tableViewCanEditRowAtIndexPath(TableView&, const ns::IndexPath&) { return true; }
    virtual void tableViewCommitEditingStyle(TableView&, TableViewCellEditingStyle, const ns::IndexPath&) {}
    virtual bool tableViewCanMoveRowAtIndexPath(TableView&, const ns::IndexPath&) { return false; }
    virtual void tableViewMoveRowAtIndexPath(TableView&, const ns::IndexPath&, const ns::IndexPath&) {}
};

// What a table tells and asks about rows. Every operation is optional.
class TableViewDelegate : public ScrollViewDelegate
{
public:
    // Nothing: the table's rowHeight (or section header and footer heights).
    virtual std::optional<cg::Float> tableViewHeightForRowAtIndexPath(TableView&, const ns::IndexPath&)
    {
        return std::nullopt;
    }
    virtual std::optional<cg::Float> tableViewHeightForHeaderInSection(TableView&, std::size_t)
    {
        return std::nullopt;
    }
    virtual std::optional<cg::Float> tableViewHeightForFooterInSection(TableView&, std::size_t)
    {
        return std::nullopt;
    }
    virtual ns::Ref<View> tableViewViewForHeaderInSection(TableView&, std::size_t) { return nullptr; }
    virtual ns::Ref<View> tableViewViewForFooterInSection(TableView&, std::size_t) { return nullptr; }
    virtual void tableViewWillDisplayCell(TableView&, TableViewCell&, const ns::IndexPath&) {}
    // The row to select instead, or nothing to select none; the default keeps the row.
    virtual std::optional<ns::IndexPath> tableViewWillSelectRowAtIndexPath(TableView&,
                                                                           const ns::IndexPath& indexPath)
    {
        return indexPath;
    }
    virtual void tableViewDidSelectRowAtIndexPath(TableView&, const ns::IndexPath&) {}
    virtual void tableViewDidDeselectRowAtIndexPath(TableView&, const ns::IndexPath&) {}
    virtual void tableViewAccessoryButtonTappedForRowWithIndexPath(TableView&, const ns::IndexPath&) {}
    // Nothing: Delete while editing.
    virtual std::optional<TableViewCellEditingStyle>
    tableViewEditingStyleForRowAtIndexPath(TableView&, const ns::IndexPath&)
    {
        return std::nullopt;
    }
    virtual long tableViewIndentationLevelForRowAtIndexPath(TableView&, const ns::IndexPath&) { return 0; }
    virtual bool tableViewShouldIndentWhileEditingRowAtIndexPath(TableView&, const ns::IndexPath&)
    {
        return true;
    }
};

// Rows in sections, asked of the data source as the platform asks: counts and heights at each reload,
// cells only for the rows inside the visible window (the bounds over the content), reusing cells that
// scrolled out by their identifier. Rows off screen have no cell. Insertions and deletions are checked
// against the data source's new counts when the updates end.
class TableView : public ScrollView
{
public:
    static ns::Ref<TableView> create() { return ns::Factory<TableView>::make(); }
    static ns::Ref<TableView> create(cg::Rect frame, TableViewStyle style = TableViewStyle::Plain)
    {
        return ns::Factory<TableView>::make(frame, style);
    }
    ~TableView() override;

    TableViewStyle style() const { return m_style; }
    ns::Ref<TableViewDataSource> dataSource() const { return m_dataSource.lock(); }
    void setDataSource(const ns::Ref<TableViewDataSource>& dataSource);
    ns::Ref<TableViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const ns::Ref<TableViewDelegate>& delegate);

    cg::Float rowHeight() const { return m_rowHeight; }
    void setRowHeight(cg::Float height);
    cg::Float sectionHeaderHeight() const { return m_sectionHeaderHeight; }
    void setSectionHeaderHeight(cg::Float height)
    {
        m_sectionHeaderHeight = height;
        m_needsReload = true;
    }
    cg::Float sectionFooterHeight() const { return m_sectionFooterHeight; }
    void setSectionFooterHeight(cg::Float height)
    {
        m_sectionFooterHeight = height;
        m_needsReload = true;
    }
    const ns::Ref<View>& tableHeaderView() const { return m_tableHeaderView; }
    void setTableHeaderView(ns::Ref<View> view);
    const ns::Ref<View>& tableFooterView() const { return m_tableFooterView; }
    void setTableFooterView(ns::Ref<View> view);
    int separatorStyle() const { return m_separatorStyle; }
    void setSeparatorStyle(int style) { m_separatorStyle = style; }
    const ns::Ref<Color>& separatorColor() const { return m_separatorColor; }
    void setSeparatorColor(ns::Ref<Color> color) { m_separatorColor = std::move(color); }
    const ns::Ref<View>& backgroundView() const { return m_backgroundView; }
    void setBackgroundView(ns::Ref<View> view) { m_backgroundView = std::move(view); }

    // Data.
    void reloadData();
    long numberOfSections();
    long numberOfRowsInSection(std::size_t section);
    // The section index shown at the right edge (from the last reload), below the table header view.
    const std::vector<std::string>& sectionIndexTitles();
    // The index's view while the table has index titles, else nothing; and its width (0 without one), by
    // which every cell's content is narrowed.
    const ns::Ref<TableViewIndex>& sectionIndexView() const { return m_index; }
    cg::Float sectionIndexWidth();
    // What a touch on index title `index` does: shows the section the data source gives for it.
    void scrollToSectionForIndexTitleAtIndex(std::size_t index);

    // Cells: the visible row's cell, else nothing.
    ns::Ref<TableViewCell> cellForRowAtIndexPath(const ns::IndexPath& indexPath);
    ns::Ref<TableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);
    std::vector<ns::Ref<TableViewCell>> visibleCells();
    std::vector<ns::IndexPath> indexPathsForVisibleRows();
    std::optional<ns::IndexPath> indexPathForCell(const TableViewCell* cell);
    std::optional<ns::IndexPath> indexPathForRowAtPoint(cg::Point point);

    // Geometry in content coordinates.
    cg::Rect rectForSection(std::size_t section);
    cg::Rect rectForHeaderInSection(std::size_t section);
    cg::Rect rectForFooterInSection(std::size_t section);
    cg::Rect rectForRowAtIndexPath(const ns::IndexPath& indexPath);
    void scrollToRowAtIndexPath(const ns::IndexPath& indexPath, TableViewScrollPosition position,
                                bool animated);

    // Updates: between begin and end, or each alone.
    void beginUpdates();
    void endUpdates();
    void insertRowsAtIndexPaths(const std::vector<ns::IndexPath>& indexPaths,
                                TableViewRowAnimation animation);
    void deleteRowsAtIndexPaths(const std::vector<ns::IndexPath>& indexPaths,
                                TableViewRowAnimation animation);
    void reloadRowsAtIndexPaths(const std::vector<ns::IndexPath>& indexPaths,
                                TableViewRowAnimation animation);
    void insertSections(const ns::IndexSet& sections, TableViewRowAnimation animation);
    void deleteSections(const ns::IndexSet& sections, TableViewRowAnimation animation);
    void reloadSections(const ns::IndexSet& sections, TableViewRowAnimation animation);

    // Selection: the calls select and deselect without telling the delegate.
    std::optional<ns::IndexPath> indexPathForSelectedRow() const { return m_selected; }
    void selectRowAtIndexPath(const std::optional<ns::IndexPath>& indexPath, bool animated,
                              TableViewScrollPosition position);
    void deselectRowAtIndexPath(const ns::IndexPath& indexPath, bool animated);
    bool allowsSelection() const { return m_allowsSelection; }
    void setAllowsSelection(bool allows) { m_allowsSelection = allows; }
    bool allowsSelectionDuringEditing() const { return m_allowsSelectionDuringEditing; }
    void setAllowsSelectionDuringEditing(bool allows) { m_allowsSelectionDuringEditing = allows; }
    // A user's tap on the row: will-select, select, did-select, as a touch does.
    void tapRowAtIndexPath(const ns::IndexPath& indexPath);

    bool isEditing() const { return m_editing; }
    void setEditing(bool editing) { setEditing(editing, false); }
    virtual void setEditing(bool editing, bool animated);
    // A cell's editing control or delete button was used.
    void commitEditingForCell(TableViewCell* cell, TableViewCellEditingStyle style);

    void layoutSubviews() override;
    void touchesBegan(const TouchSet& touches, Event* event) override;
    void touchesEnded(const TouchSet& touches, Event* event) override;
    void touchesCancelled(const TouchSet& touches, Event* event) override;

    std::string className() const override { return "UITableView"; }

protected:
    TableView();
    explicit TableView(cg::Rect frame, TableViewStyle style = TableViewStyle::Plain);
    friend ns::Factory<TableView>;

private:
    struct Section
    {
        long rows = 0;
        std::optional<std::string> header;
        std::optional<std::string> footer;
        ns::Ref<View> headerView;
        ns::Ref<View> footerView;
        cg::Float top = 0; // where the header begins
        cg::Float headerHeight = 0;
        cg::Float footerHeight = 0;
        std::vector<cg::Float> rowTops; // content y of each row
        std::vector<cg::Float> rowHeights;
        cg::Float bottom = 0; // after the footer
    };
    struct Update
    {
        std::vector<ns::IndexPath> insertedRows;
        std::vector<ns::IndexPath> deletedRows;
        std::vector<ns::IndexPath> reloadedRows;
        ns::IndexSet insertedSections;
        ns::IndexSet deletedSections;
        ns::IndexSet reloadedSections;
    };
    using Key = std::pair<std::size_t, std::size_t>;

    void reloadIfNeeded();
    // Asks the data source and the delegate for counts, titles and heights.
    std::vector<Section> readSections();
    void placeSections(std::vector<Section>& sections);
    void recycle(const ns::Ref<TableViewCell>& cell);
    struct UpdatePlan;
    void recordUpdate(const std::function<void(Update&)>& change);
    void planSections(const Update& update, std::size_t newCount, UpdatePlan& plan) const;
    void planRows(const Update& update, const std::vector<Section>& next, UpdatePlan& plan) const;
    void applyUpdate(const Update& update);
    void updateVisibleCells();
    void configureCell(TableViewCell& cell, const ns::IndexPath& indexPath);
    TableViewCellEditingStyle editingStyleFor(const ns::IndexPath& indexPath);
    ns::Ref<View> makeHeaderView(const std::string& title, bool footer);
    // A grouped section's footer height for its title.
    cg::Float groupedFooterHeight(const std::string& title) const;
    void placeIndex();

    TableViewStyle m_style = TableViewStyle::Plain;
    ns::Weak<TableViewDataSource> m_dataSource;
    ns::Weak<TableViewDelegate> m_delegate;
    cg::Float m_rowHeight = 44;
    cg::Float m_sectionHeaderHeight = 22;
    cg::Float m_sectionFooterHeight = 22;
    ns::Ref<View> m_tableHeaderView;
    ns::Ref<View> m_tableFooterView;
    ns::Ref<View> m_backgroundView;
    ns::Ref<Color> m_separatorColor;
    int m_separatorStyle = 1;
    bool m_needsReload = true;
    bool m_reloading = false;
    std::vector<Section> m_sections;
    std::vector<std::string> m_indexTitles;
    ns::Ref<TableViewIndex> m_index;
    std::map<Key, ns::Ref<TableViewCell>> m_visible;
    std::map<std::string, std::vector<ns::Ref<TableViewCell>>> m_reusable;
    std::optional<ns::IndexPath> m_selected;
    bool m_allowsSelection = true;
    bool m_allowsSelectionDuringEditing = false;
    bool m_editing = false;
    int m_updateDepth = 0;
    Update m_update;
    std::optional<ns::IndexPath> m_touchedRow;
};

} // namespace ui
