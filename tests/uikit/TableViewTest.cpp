#include "UIFixture.h"

#include "foundation/Exception.h"
#include "uikit/Button.h"
#include "uikit/Label.h"
#include "uikit/TableView.h"
#include "uikit/TableViewCell.h"
#include "uikit/TableViewIndex.h"

#include <set>
#include <string>
#include <vector>

namespace {

class Rows : public ns::Object, public ui::TableViewDataSource, public ui::TableViewDelegate
{
public:
    std::vector<long> counts{100};
    std::vector<std::string> indexTitles;
    std::optional<std::vector<std::string>> sectionIndexTitlesForTableView(ui::TableView&) override
    {
        if (indexTitles.empty())
            return std::nullopt;
        return indexTitles;
    }
    std::vector<std::string> asked;
    std::vector<std::string> selected;
    int created = 0;

    long numberOfSectionsInTableView(ui::TableView&) override { return long(counts.size()); }
    long tableViewNumberOfRowsInSection(ui::TableView&, std::size_t section) override
    {
        return counts[section];
    }
    ns::Ref<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& table,
                                                              const ns::IndexPath& path) override
    {
        asked.push_back(std::to_string(path.section()) + "." + std::to_string(path.row()));
        auto cell = table.dequeueReusableCellWithIdentifier("Cell");
        if (!cell) {
            cell = ui::TableViewCell::create(ui::TableViewCellStyle::Subtitle, "Cell");
            ++created;
        }
        cell->textLabel()->setText("Row " + std::to_string(path.row()));
        cell->detailTextLabel()->setText("detail " + std::to_string(path.row()));
        return cell;
    }
    std::optional<std::string> tableViewTitleForHeaderInSection(ui::TableView&, std::size_t section) override
    {
        if (counts.size() < 2)
            return std::nullopt;
        return "Section " + std::to_string(section);
    }
    void tableViewDidSelectRowAtIndexPath(ui::TableView&, const ns::IndexPath& path) override
    {
        selected.push_back(std::to_string(path.section()) + "." + std::to_string(path.row()));
    }
};

class Tables : public UIFixture
{
protected:
    Tables()
    {
        table = ui::TableView::create(cg::makeRect(0, 0, 320, 440), ui::TableViewStyle::Plain);
        rows = ns::make<Rows>();
        table->setDataSource(rows);
        table->setDelegate(rows);
        window->addSubview(table);
    }
    ns::Ref<ui::TableView> table;
    ns::Ref<Rows> rows;
};

} // namespace

TEST_F(Tables, AHundredRowsShowTenAndReuseCellsWhenScrolled)
{
    rows->counts = {100};
    table->reloadData();
    EXPECT_EQ(rows->asked.size(), 10u);
    EXPECT_EQ(rows->asked.front(), "0.0");
    EXPECT_EQ(rows->asked.back(), "0.9");
    EXPECT_EQ(rows->created, 10);
    EXPECT_TRUE(table->cellForRowAtIndexPath(ns::IndexPath(0, 9)));
    EXPECT_FALSE(table->cellForRowAtIndexPath(ns::IndexPath(0, 10)));
    EXPECT_FALSE(table->cellForRowAtIndexPath(ns::IndexPath(0, 50)));
    EXPECT_EQ(table->contentSize().height, 4400);

    std::set<ui::TableViewCell*> first;
    for (auto& cell : table->visibleCells())
        first.insert(cell.get());
    rows->asked.clear();
    table->setContentOffset(cg::makePoint(0, 440));
    table->layoutIfNeeded();
    EXPECT_EQ(rows->asked.size(), 10u);
    EXPECT_EQ(rows->asked.front(), "0.10");
    EXPECT_EQ(rows->created, 10); // every new row took a cell that scrolled out
    for (auto& cell : table->visibleCells())
        EXPECT_TRUE(first.count(cell.get()));
    EXPECT_FALSE(table->cellForRowAtIndexPath(ns::IndexPath(0, 0)));
    EXPECT_EQ(table->cellForRowAtIndexPath(ns::IndexPath(0, 12))->textLabel()->text(), "Row 12");
}

TEST_F(Tables, AnInconsistentDeleteIsRefused)
{
    rows->counts = {5};
    table->reloadData();
    // The data source still says five rows after one is deleted.
    try {
        table->deleteRowsAtIndexPaths({ns::IndexPath(0, 1)}, ui::TableViewRowAnimation::Fade);
        FAIL() << "the update was accepted";
    } catch (const ns::Exception& e) {
        EXPECT_EQ(e.name(), ns::InternalInconsistencyException);
        EXPECT_NE(e.reason().find("Invalid update: invalid number of rows in section 0"), std::string::npos);
    }
    EXPECT_EQ(table->numberOfRowsInSection(0), 5);

    rows->counts = {4};
    auto third = table->cellForRowAtIndexPath(ns::IndexPath(0, 3));
    table->beginUpdates();
    table->deleteRowsAtIndexPaths({ns::IndexPath(0, 1)}, ui::TableViewRowAnimation::Fade);
    table->endUpdates();
    EXPECT_EQ(table->numberOfRowsInSection(0), 4);
    EXPECT_EQ(table->cellForRowAtIndexPath(ns::IndexPath(0, 2)), third); // the cells below moved up

    EXPECT_THROW(table->deleteRowsAtIndexPaths({ns::IndexPath(0, 9)}, ui::TableViewRowAnimation::Fade),
                 ns::Exception);
    rows->counts = {4, 2};
    table->insertSections(ns::IndexSet(1), ui::TableViewRowAnimation::Fade);
    EXPECT_EQ(table->numberOfSections(), 2);
    rows->counts = {4, 2, 1};
    EXPECT_THROW(table->deleteSections(ns::IndexSet(1), ui::TableViewRowAnimation::Fade), ns::Exception);
}

TEST_F(Tables, ATapSelectsTheRowAndTellsTheDelegate)
{
    rows->counts = {3, 3};
    table->reloadData();
    cg::Rect row = table->rectForRowAtIndexPath(ns::IndexPath(1, 2));
    EXPECT_EQ(row.origin.y, 22 + 3 * 44 + 22 + 2 * 44); // each section under its header
    driver.tap(cg::makePoint(100, row.midY()));
    EXPECT_EQ(rows->selected, (std::vector<std::string>{"1.2"}));
    ASSERT_TRUE(table->indexPathForSelectedRow());
    EXPECT_TRUE(table->cellForRowAtIndexPath(ns::IndexPath(1, 2))->isSelected());
    table->deselectRowAtIndexPath(ns::IndexPath(1, 2), true);
    EXPECT_FALSE(table->indexPathForSelectedRow());
    rows->counts = {3, 1};
    table->reloadData();
    ASSERT_TRUE(driver.press("detail 2"));
    EXPECT_EQ(rows->selected.back(), "0.2");
    // A drag scrolls instead of selecting.
    rows->counts = {100};
    table->reloadData();
    rows->selected.clear();
    driver.drag(cg::makePoint(100, 300), cg::makePoint(100, 100), 5);
    EXPECT_TRUE(rows->selected.empty());
    EXPECT_EQ(table->contentOffset().y, 200);
}

TEST_F(Tables, CellsLayOutTheirLabelsByStyle)
{
    auto cell = ui::TableViewCell::create(ui::TableViewCellStyle::Value1, "v");
    cell->setFrame(cg::makeRect(0, 0, 320, 44));
    cell->textLabel()->setText("Name");
    cell->detailTextLabel()->setText("Value");
    cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    cell->layoutIfNeeded();
    cg::Rect content = cell->contentView()->frame();
    EXPECT_EQ(content, cg::makeRect(0, 0, 320 - 30, 43));
    EXPECT_EQ(cell->textLabel()->frame().origin.x, 10);
    cg::Rect detail = cell->detailTextLabel()->frame();
    EXPECT_FLOAT_EQ(detail.origin.x + detail.size.width, content.size.width - 10);
    EXPECT_EQ(ui::TableViewCell::create()->detailTextLabel(), nullptr);
}

namespace {

class Deletable : public Rows
{
public:
    void tableViewCommitEditingStyle(ui::TableView& table, ui::TableViewCellEditingStyle style,
                                     const ns::IndexPath& path) override
    {
        if (style != ui::TableViewCellEditingStyle::Delete)
            return;
        --counts[path.section()];
        table.deleteRowsAtIndexPaths({path}, ui::TableViewRowAnimation::Fade);
    }
};

} // namespace

TEST_F(Tables, EditingShowsDeleteControlsThatCommitTheDeletion)
{
    auto source = ns::make<Deletable>();
    source->counts = {3};
    table->setDataSource(source);
    table->setDelegate(source);
    table->reloadData();
    table->setEditing(true, true);
    auto cell = table->cellForRowAtIndexPath(ns::IndexPath(0, 1));
    ASSERT_TRUE(cell);
    EXPECT_TRUE(cell->isEditing());
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->contentView()->frame().origin.x, 32);
    ASSERT_TRUE(cell->editingControl());
    cg::Rect control = cell->editingControl()->convertRectToView(cell->editingControl()->bounds(), nullptr);
    driver.tap(cg::makePoint(control.midX(), control.midY()));
    EXPECT_TRUE(cell->showingDeleteConfirmation());
    ASSERT_TRUE(driver.press("Delete"));
    EXPECT_EQ(table->numberOfRowsInSection(0), 2);
    // The row below moved up with its cell: it is not asked for again.
    EXPECT_EQ(table->cellForRowAtIndexPath(ns::IndexPath(0, 1))->textLabel()->text(), "Row 2");
    // No selection while editing unless allowed.
    driver.tap(cg::makePoint(200, 22));
    EXPECT_TRUE(source->selected.empty());
}

TEST_F(Tables, ATouchOnTheIndexShowsThatSection)
{
    rows->counts = {10, 10, 10, 10};
    rows->indexTitles = {"A", "B", "C", "D"};
    table->reloadData();
    auto index = table->sectionIndexView();
    ASSERT_TRUE(index);
    EXPECT_EQ(index->frame(),
              cg::makeRect(320 - ui::TableViewIndex::Width, 0, ui::TableViewIndex::Width, 440));
    cg::Rect c = index->convertRectToView(index->rectForTitleAtIndex(2), nullptr);
    driver.tap(cg::makePoint(c.midX(), c.midY()));
    EXPECT_EQ(table->contentOffset().y, table->rectForSection(2).origin.y);
    // The index stays in sight, at the top of what shows.
    EXPECT_EQ(index->frame().origin.y, table->contentOffset().y);
    EXPECT_TRUE(rows->selected.empty());

    // Without index titles there is no index, and rows take the whole width again.
    rows->indexTitles.clear();
    table->reloadData();
    EXPECT_EQ(table->sectionIndexWidth(), 0);
    EXPECT_EQ(index->superview(), nullptr);
    auto cell = table->visibleCells().front();
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->contentView()->frame().maxX(), 320);
}
