#include "sharing/ui/SHKShareMenu.h"

#include "foundation/Number.h"
#include "foundation/URL.h"
#include "uikit/BarButtonItem.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/Switch.h"
#include "uikit/TableView.h"

#include "ShareScreenFixture.h"

namespace {

using Names = std::vector<std::string>;

class ShareMenu : public ShareScreenFixture
{
protected:
    ShareMenu()
    {
        registerFake("FakeMail", {"email"});
        registerFake("FakeCopy", {"Copy"});
        registerFake("FakePrint", {"Print", true, {SHKShareTypeImage}});
        registerFake("FakeOff", {"Off", false});
        registerFake("FakeBook", {"bookmarks"});
        registerFake("FakeNotes", {"Notes"});
        useSharerList({"FakeMail", "FakeCopy", "FakePrint", "FakeOff", "FakeGone"},
                      {"FakeNotes", "FakeBook"});
        item = SHKItem::URL(ns::URL::withString("http://example.com/"), std::string("A page"));
    }

    // Shows a menu for the item through the facade, as the action sheet does.
    ns::Ref<SHKShareMenu> showMenu()
    {
        auto menu = SHKShareMenu::create(ui::TableViewStyle::Grouped);
        menu->setItem(item);
        SHK::currentHelper()->showViewController(menu);
        settle();
        return menu;
    }

    // What the table shows: each section's titles, as the table asks its data source.
    static std::vector<Names> shown(SHKShareMenu& menu)
    {
        std::vector<Names> out;
        auto table = menu.tableView();
        for (long s = 0; s < table->numberOfSections(); ++s) {
            Names rows;
            for (long r = 0; r < table->numberOfRowsInSection(std::size_t(s)); ++r)
                rows.push_back(menu.rowDataAtIndexPath(ns::IndexPath(std::size_t(s), std::size_t(r)))->name);
            out.push_back(rows);
        }
        return out;
    }

    ns::Ref<SHKItem> item;
};

TEST_F(ShareMenu, ListsWhatCanShareTheTypeInTwoSections)
{
    auto menu = showMenu();
    EXPECT_EQ(menu->className(), "SHKCustomShareMenu");
    EXPECT_EQ(menu->title(), "Share");
    EXPECT_EQ(shown(*menu), (std::vector<Names>{{"email", "Copy"}, {"Notes", "bookmarks"}}));
    auto table = menu->tableView();
    EXPECT_EQ(menu->tableViewTitleForHeaderInSection(*table, 0), "Actions");
    EXPECT_EQ(menu->tableViewTitleForHeaderInSection(*table, 1), "Services");
    auto cell = table->cellForRowAtIndexPath(ns::IndexPath(0, 0));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->className(), "SHKCustomShareMenuCell");
    EXPECT_EQ(cell->accessoryType(), ui::TableViewCellAccessoryType::DisclosureIndicator);

    // An image item: only the image sharer, and an empty section has no header.
    auto image = SHKItem::create();
    image->setShareType(SHKShareTypeImage);
    menu->setItem(image);
    EXPECT_EQ(shown(*menu), (std::vector<Names>{{"Print"}, {}}));
    EXPECT_EQ(menu->tableViewTitleForHeaderInSection(*table, 1), std::nullopt);
}

TEST_F(ShareMenu, SortsByTitleIgnoringCaseWhenAsked)
{
    configure("shareMenuAlphabeticalOrder", ns::Number::numberWithBool(true));
    auto menu = showMenu();
    EXPECT_EQ(shown(*menu), (std::vector<Names>{{"Copy", "email"}, {"bookmarks", "Notes"}}));
}

// Browse, edit, toggle, then save or cancel: the rows shown, the switches, what is stored and who is
// signed out.
TEST_F(ShareMenu, ExclusionsGoThroughEditToggleAndSave)
{
    struct Case
    {
        const char* name;
        Names storedBefore;
        std::vector<ns::IndexPath> toggles; // taps in editing mode
        bool save;
        Names storedAfter;
        Names events;
        std::vector<Names> rowsAfter; // as browsed after saving, or in the next menu after cancel
    };
    const Case cases[] = {
        {"switch one off and save",
         {},
         {{0, 1}},
         true,
         {"FakeCopy"},
         {"logout FakeCopy"},
         {{"email"}, {"Notes", "bookmarks"}}},
        {"switch off and on again",
         {},
         {{1, 0}, {1, 0}},
         true,
         {},
         {},
         {{"email", "Copy"}, {"Notes", "bookmarks"}}},
        {"switch back on a stored one",
         {"FakeMail"},
         {{0, 0}},
         true,
         {},
         {},
         {{"email", "Copy"}, {"Notes", "bookmarks"}}},
        {"cancel undoes",
         {"FakeNotes"},
         {{0, 0}, {1, 0}},
         false,
         {"FakeNotes"},
         {},
         {{"email", "Copy"}, {"bookmarks"}}},
        {"unknown names stay harmless",
         {"Nobody"},
         {},
         true,
         {"Nobody"},
         {},
         {{"email", "Copy"}, {"Notes", "bookmarks"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        shareLog() = ShareLog();
        setExcluded(c.storedBefore);
        auto menu = showMenu();
        auto table = menu->tableView();
        menu->edit();
        EXPECT_TRUE(table->isEditing());
        EXPECT_EQ(menu->navigationItem()->rightBarButtonItem()->systemItem(), ui::BarButtonSystemItem::Done);
        // Every row shows while editing, the switched-off ones with their switch off.
        EXPECT_EQ(shown(*menu), (std::vector<Names>{{"email", "Copy"}, {"Notes", "bookmarks"}}));
        for (std::size_t s = 0; s < 2; ++s)
            for (std::size_t r = 0; r < 2; ++r) {
                auto row = *menu->rowDataAtIndexPath(ns::IndexPath(s, r));
                auto cell = table->cellForRowAtIndexPath(ns::IndexPath(s, r));
                ASSERT_TRUE(cell);
                auto toggle = ns::cast<ui::Switch>(cell->editingAccessoryView());
                ASSERT_TRUE(toggle);
                EXPECT_FALSE(toggle->isUserInteractionEnabled());
                bool stored = std::find(c.storedBefore.begin(), c.storedBefore.end(), row.className) !=
                              c.storedBefore.end();
                EXPECT_EQ(toggle->isOn(), !stored) << row.className;
            }
        for (const auto& path : c.toggles)
            table->tapRowAtIndexPath(path);
        EXPECT_TRUE(shareLog().events.empty()); // nobody is signed out before the save
        EXPECT_EQ(storedExcluded(), c.storedBefore);
        if (c.save) {
            menu->save();
            EXPECT_FALSE(table->isEditing());
            EXPECT_EQ(menu->navigationItem()->rightBarButtonItem()->systemItem(),
                      ui::BarButtonSystemItem::Edit);
            EXPECT_EQ(shown(*menu), c.rowsAfter);
            menu->cancel();
            settle();
        } else {
            menu->cancel();
            settle();
            EXPECT_EQ(shown(*showMenu()), c.rowsAfter);
            SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
            settle();
        }
        EXPECT_FALSE(SHK::currentHelper()->currentView());
        EXPECT_EQ(storedExcluded(), c.storedAfter);
        EXPECT_EQ(shareLog().events, c.events);
    }
}

TEST_F(ShareMenu, ARowSharesAndTheMenuClosesEvenWhenVetoed)
{
    struct Veto : SHKShareItemDelegate
    {
        std::optional<bool> aboutToShareItem(const ns::Ref<SHKItem>&, const ns::Ref<SHKSharer>&) override
        {
            return false;
        }
    };
    for (bool vetoed : {false, true}) {
        SCOPED_TRACE(vetoed ? "vetoed" : "shared");
        shareLog() = ShareLog();
        auto menu = showMenu();
        if (vetoed)
            menu->setShareDelegate(std::make_shared<Veto>());
        menu->tableView()->tapRowAtIndexPath(ns::IndexPath(1, 1));
        settle();
        EXPECT_EQ(shareLog().events, vetoed ? Names{} : Names{"share FakeBook"});
        if (!vetoed) {
            ASSERT_EQ(shareLog().sharedItems.size(), 1u);
            EXPECT_EQ(shareLog().sharedItems.front(), item);
        }
        EXPECT_FALSE(SHK::currentHelper()->currentView());
        EXPECT_FALSE(root->presentedViewController());
    }
}

} // namespace
