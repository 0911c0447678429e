#include "UIFixture.h"

#include "uikit/Label.h"
#include "uikit/SearchBar.h"
#include "uikit/SearchDisplayController.h"
#include "uikit/TableViewController.h"
#include "uikit/TableViewIndex.h"
#include "uikit/TextField.h"

#include <string>
#include <vector>

namespace {

// A list searched the way the people list is: the same object answers both tables.
class Names : public ui::TableViewController, public ui::SearchDisplayDelegate, public ui::SearchBarDelegate
{
public:
    Names() : TableViewController(ui::TableViewStyle::Grouped) {}
    std::vector<std::string> all{"Anna", "Bob", "Joanne", "Zed"};
    std::vector<std::string> shown = all;
    std::vector<std::string> calls;
    ns::Ref<ui::SearchBar> bar;
    ns::Ref<ui::SearchDisplayController> search;

    void viewDidLoad() override
    {
        auto me = self<Names>();
        bar = ui::SearchBar::create();
        bar->setDelegate(me);
        bar->sizeToFit();
        tableView()->setTableHeaderView(bar);
        search = ui::SearchDisplayController::create(bar, me);
        search->setDelegate(me);
        search->setSearchResultsDataSource(me);
        search->setSearchResultsDelegate(me);
    }
    long tableViewNumberOfRowsInSection(ui::TableView& table, std::size_t) override
    {
        return long(&table == tableView().get() ? all.size() : shown.size());
    }
    ns::Ref<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& table,
                                                              const ns::IndexPath& path) override
    {
        auto cell = table.dequeueReusableCellWithIdentifier("Name");
        if (!cell)
            cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, "Name");
        const auto& list = &table == tableView().get() ? all : shown;
        cell->textLabel()->setText(list[path.row()]);
        return cell;
    }
    void searchDisplayControllerDidBeginSearch(ui::SearchDisplayController&) override
    {
        calls.push_back("begin");
    }
    void searchDisplayControllerDidEndSearch(ui::SearchDisplayController&) override
    {
        calls.push_back("end");
    }
    bool searchDisplayControllerShouldReloadTableForSearchString(ui::SearchDisplayController&,
                                                                 const std::string& text) override
    {
        calls.push_back("filter " + text);
        shown.clear();
        for (auto& name : all)
            if (!text.empty() && name.find(text) != std::string::npos)
                shown.push_back(name);
        return true;
    }
    void searchBar(ui::SearchBar&, const std::string& text) override { calls.push_back("bar " + text); }
    std::optional<std::vector<std::string>> sectionIndexTitlesForTableView(ui::TableView&) override
    {
        if (!withIndex)
            return std::nullopt;
        return std::vector<std::string>{"A", "B", "J", "Z"};
    }
    bool withIndex = false;
};

} // namespace

using Search = UIFixture;

TEST_F(Search, TheResultsTableShowsWhileThereIsSearchText)
{
    auto names = ns::make<Names>();
    window->setRootViewController(names);
    window->layoutIfNeeded();
    EXPECT_EQ(names->tableView()->rectForRowAtIndexPath(ns::IndexPath(0, 0)).origin.y, 44 + 10);
    EXPECT_FALSE(names->search->isActive());

    // A tap in the search field starts the search.
    driver.tap(cg::makePoint(100, 20 + 22));
    EXPECT_TRUE(names->search->isActive());
    EXPECT_TRUE(names->bar->showsCancelButton());
    ASSERT_TRUE(driver.type("nn"));
    EXPECT_TRUE(names->search->isShowingResults());
    auto results = names->search->searchResultsTableView();
    EXPECT_NE(results, names->tableView());
    EXPECT_EQ(results->numberOfRowsInSection(0), 2);
    EXPECT_EQ(results->cellForRowAtIndexPath(ns::IndexPath(0, 1))->textLabel()->text(), "Joanne");
    EXPECT_EQ(results->superview(), window.get());

    ASSERT_TRUE(driver.press("Cancel"));
    EXPECT_FALSE(names->search->isActive());
    EXPECT_FALSE(names->search->isShowingResults());
    EXPECT_EQ(names->bar->text(), "");
    EXPECT_EQ(names->calls,
              (std::vector<std::string>{"begin", "bar n", "filter n", "bar nn", "filter nn", "bar ", "end"}));
}

TEST_F(Search, BothTablesKeepTheirIndexClearOfTheSearchBarAndTheRows)
{
    auto names = ns::make<Names>();
    names->withIndex = true;
    window->setRootViewController(names);
    window->layoutIfNeeded();
    driver.tap(cg::makePoint(100, 20 + 22));
    ASSERT_TRUE(driver.type("n"));
    auto results = names->search->searchResultsTableView();
    results->layoutIfNeeded();

    struct Case
    {
        const char* name;
        ns::Ref<ui::TableView> table;
        cg::Float indexTop;  // below the table's header view, if any
        cg::Float bandInset; // a grouped table's rows are bands inset from its edges
    } cases[] = {{"the list", names->tableView(), 44, 10}, {"the search results", results, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto& table = *c.table;
        EXPECT_EQ(table.sectionIndexWidth(), ui::TableViewIndex::Width);
        auto index = table.sectionIndexView();
        ASSERT_TRUE(index);
        EXPECT_EQ(index->titles(), (std::vector<std::string>{"A", "B", "J", "Z"}));
        EXPECT_EQ(index->frame(),
                  cg::makeRect(320 - ui::TableViewIndex::Width, c.indexTop, ui::TableViewIndex::Width,
                               table.bounds().size.height - c.indexTop));
        // Above every row, so no row covers it.
        EXPECT_EQ(table.subviews().back(), index);
        auto cells = table.visibleCells();
        ASSERT_FALSE(cells.empty());
        for (const auto& cell : cells) {
            cell->layoutIfNeeded();
            cg::Rect content = cell->contentView()->frame();
            EXPECT_EQ(content.maxX(), 320 - c.bandInset - ui::TableViewIndex::Width);
        }
    }
}
