#include "sharing/ui/SHKActionSheet.h"

#include "foundation/Number.h"
#include "foundation/URL.h"
#include "sharing/ui/SHKShareMenu.h"
#include "uikit/NavigationController.h"

#include "ShareScreenFixture.h"

namespace {

using Names = std::vector<std::string>;

Names buttonTitles(const ui::ActionSheet& sheet)
{
    Names titles;
    for (long i = 0; i < sheet.numberOfButtons(); ++i)
        titles.push_back(*sheet.buttonTitleAtIndex(i));
    return titles;
}

struct Veto : SHKShareItemDelegate
{
    std::optional<bool> answer;
    int asked = 0;
    ns::Ref<SHKItem> itemAsked;
    ns::Ref<SHKItem> sharerItem;
    std::optional<bool> aboutToShareItem(const ns::Ref<SHKItem>& item,
                                         const ns::Ref<SHKSharer>& sharer) override
    {
        ++asked;
        itemAsked = item;
        sharerItem = sharer->item();
        return answer;
    }
};

class ActionSheet : public ShareScreenFixture
{
protected:
    ActionSheet()
    {
        registerFake("FakeMail", {"Email", false});
        registerFake("FakeText", {"SMS"});
        registerFake("FakeCopy", {"Copy"});
        useSharerList({"FakeMail", "FakeText", "FakeCopy", "FakeGone"}, {});
        setFavorites({"FakeMail", "FakeGone", "FakeText", "FakeCopy"}, SHKShareTypeURL);
        item = SHKItem::URL(ns::URL::withString("http://example.com/a%20b"), std::string("A page"));
    }
    ns::Ref<SHKItem> item;
};

// Only favourites whose class exists and works here get a button; the indexes close up behind the others.
TEST_F(ActionSheet, ListsTheWorkingFavouritesThenMoreAndCancel)
{
    struct Case
    {
        const char* name;
        bool more;
        Names titles;
    };
    const Case cases[] = {
        {"more on", true, {"SMS", "Copy", "More...", "Cancel"}},
        {"more off", false, {"SMS", "Copy", "Cancel"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        configure("showActionSheetMoreButton", ns::Number::numberWithBool(c.more));
        auto sheet = SHKActionSheet::actionSheetForItem(item);
        EXPECT_EQ(sheet->className(), "SHKCustomActionSheet");
        EXPECT_EQ(sheet->title(), "Share");
        EXPECT_EQ(buttonTitles(*sheet), c.titles);
        EXPECT_EQ(sheet->sharers(), (Names{"FakeText", "FakeCopy"}));
        EXPECT_EQ(sheet->cancelButtonIndex(), sheet->numberOfButtons() - 1);
        EXPECT_EQ(sheet->delegate(), std::static_pointer_cast<ui::ActionSheetDelegate>(sheet));
        EXPECT_EQ(sheet->item(), item);
    }
}

TEST_F(ActionSheet, WithNoWorkingFavouriteOnlyMoreAndCancelRemain)
{
    configure("showActionSheetMoreButton", ns::Number::numberWithBool(true));
    auto sheet = SHKActionSheet::actionSheetForType(SHKShareTypeImage);
    EXPECT_EQ(buttonTitles(*sheet), (Names{"More...", "Cancel"}));
    EXPECT_EQ(sheet->item()->shareType(), SHKShareTypeImage);
    configure("showActionSheetMoreButton", ns::Number::numberWithBool(false));
    EXPECT_EQ(buttonTitles(*SHKActionSheet::actionSheetForType(SHKShareTypeImage)), (Names{"Cancel"}));
}

// Each button index leads to its own sharer, the menu or nothing; the More setting is read again at the pick.
TEST_F(ActionSheet, ThePickMapsTheIndexToItsSharer)
{
    struct Case
    {
        const char* name;
        bool moreWhenBuilt;
        bool moreWhenPicked;
        long index;
        Names events;
        bool menu;
    };
    const Case cases[] = {
        {"first sharer", true, true, 0, {"share FakeText"}, false},
        {"second sharer", true, true, 1, {"share FakeCopy"}, false},
        {"more", true, true, 2, {}, true},
        {"more turned off since", true, false, 2, {}, false},
        {"cancel with more", true, true, 3, {}, false},
        {"cancel without more", false, false, 2, {}, false},
        {"beyond the buttons", false, false, 7, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        shareLog() = ShareLog();
        // A share reorders the favourites by use: each case starts from the same list.
        setFavorites({"FakeMail", "FakeGone", "FakeText", "FakeCopy"}, SHKShareTypeURL);
        configure("showActionSheetMoreButton", ns::Number::numberWithBool(c.moreWhenBuilt));
        auto sheet = SHKActionSheet::actionSheetForItem(item);
        sheet->showFromToolbar(nullptr);
        ASSERT_TRUE(sheet->isVisible());
        ASSERT_EQ(sheet->sharers(), (Names{"FakeText", "FakeCopy"}));
        configure("showActionSheetMoreButton", ns::Number::numberWithBool(c.moreWhenPicked));
        sheet->tapButtonAtIndex(c.index);
        EXPECT_FALSE(sheet->isVisible());
        EXPECT_EQ(shareLog().events, c.events);
        if (!c.events.empty()) {
            ASSERT_EQ(shareLog().sharedItems.size(), 1u);
            EXPECT_EQ(shareLog().sharedItems.front(), item); // the given item, not the empty one built first
        }
        settle();
        auto shown = ns::cast<ui::NavigationController>(SHK::currentHelper()->currentView());
        EXPECT_EQ(shown != nullptr, c.menu);
        if (shown) {
            auto menu = ns::cast<SHKShareMenu>(shown->topViewController());
            ASSERT_TRUE(menu);
            EXPECT_EQ(menu->className(), "SHKCustomShareMenu");
            EXPECT_EQ(menu->item(), item);
            SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
            settle();
        }
    }
}

TEST_F(ActionSheet, TheDelegateCanStopTheShare)
{
    struct Case
    {
        const char* name;
        std::optional<bool> answer;
        bool shared;
    };
    const Case cases[] = {{"yes", true, true}, {"no", false, false}, {"does not answer", std::nullopt, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        shareLog() = ShareLog();
        auto veto = std::make_shared<Veto>();
        veto->answer = c.answer;
        auto sheet = SHKActionSheet::actionSheetForItem(item);
        sheet->setShareDelegate(veto);
        sheet->dismissWithClickedButtonIndex(0, true);
        EXPECT_EQ(veto->asked, 1);
        EXPECT_EQ(veto->itemAsked, item);
        EXPECT_EQ(veto->sharerItem, item); // made and loaded before it is asked
        EXPECT_EQ(shareLog().events.size(), c.shared ? 1u : 0u);
    }
}

TEST_F(ActionSheet, TheMenuFromMoreKeepsTheDelegate)
{
    configure("showActionSheetMoreButton", ns::Number::numberWithBool(true));
    auto veto = std::make_shared<Veto>();
    auto sheet = SHKActionSheet::actionSheetForItem(item);
    sheet->setShareDelegate(veto);
    sheet->dismissWithClickedButtonIndex(2, false);
    settle();
    auto shown = ns::cast<ui::NavigationController>(SHK::currentHelper()->currentView());
    ASSERT_TRUE(shown);
    auto menu = ns::cast<SHKShareMenu>(shown->topViewController());
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->shareDelegate(), veto);
    EXPECT_EQ(menu->tableView()->style(), ui::TableViewStyle::Grouped);
}

} // namespace
