#include "BoardFixture.h"

#include "board/ChoiceCell.h"
#include "board/EditTouchImageViewController.h"
#include "board/KPhoneNumber.h"
#include "board/KTextFieldCell.h"
#include "board/PeopleListViewController.h"
#include "board/SelectionListViewController.h"
#include "board/SwitchCell.h"
#include "board/VelmoAppDelegate.h"
#include "foundation/FileManager.h"
#include "foundation/Sandbox.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Label.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/TabBarController.h"
#include "uikit/TableView.h"

class TileEditorTest : public BoardFixture
{
protected:
    TileEditorTest()
    {
        app = VelmoAppDelegate::create();
        ui::Application::sharedApplication().setDelegate(app);
        showBoard();
        app->setViewController(board);
        tile = tiles().front();
    }

    ns::Ref<EditTouchImageViewController> openEditor()
    {
        board->presentTileEditor(tile);
        clock.advance(0.5); // the presentation's transition
        auto tabs = ns::cast<ui::TabBarController>(board->modalViewController());
        EXPECT_TRUE(tabs);
        if (!tabs)
            return nullptr;
        navigation = ns::cast<ui::NavigationController>(tabs->viewControllers().at(0));
        auto editor = ns::cast<EditTouchImageViewController>(navigation->viewControllers().at(0));
        editor->view()->layoutIfNeeded();
        return editor;
    }

    // Picks a type the way the user does: the type row, then a row of the list.
    void chooseType(EditTouchImageViewController& editor, std::size_t row)
    {
        editor.tableViewDidSelectRowAtIndexPath(*editor.tableView(), ns::IndexPath(0, 0));
        auto list = ns::cast<SelectionListViewController>(navigation->topViewController());
        ASSERT_TRUE(list);
        list->view()->layoutIfNeeded();
        list->tableViewDidSelectRowAtIndexPath(*list->tableView(), ns::IndexPath(0, row));
    }

    ns::Ref<VelmoAppDelegate> app;
    ns::Ref<TouchImageView> tile;
    ns::Ref<ui::NavigationController> navigation;
};

TEST_F(TileEditorTest, TableFollowsTheTileType)
{
    struct Case
    {
        const char* type;
        long sections;
        long parameterRows;
        const char* typeRow;
    } cases[] = {{"unknown", 2, 0, "Type: None"},
                 {"none", 1, 0, "Type: None"},
                 {"http", 2, 1, "Type: Webrequest"},
                 {"tel", 2, 1, "Type: Phone Call"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        tile->setType(std::string(c.type));
        auto editor = openEditor();
        auto table = editor->tableView();
        EXPECT_EQ(editor->numberOfSectionsInTableView(*table), c.sections);
        EXPECT_EQ(editor->tableViewNumberOfRowsInSection(*table, 1), c.parameterRows);
        EXPECT_EQ(editor->typeCell()->textLabel()->text(), std::optional<std::string>(c.typeRow));
        EXPECT_EQ(*editor->tableViewTitleForHeaderInSection(*table, 0), "Type");
        board->dismissSettingsView();
        clock.advance(0.5);
    }
}

TEST_F(TileEditorTest, ChoosingATypeKeepsTheParametersAndPops)
{
    tile->setType(std::string("unknown"));
    tile->setParameters(std::string("http://example.org/"));
    auto editor = openEditor();
    chooseType(*editor, 1);
    EXPECT_EQ(tile->type(), std::optional<std::string>("http"));
    EXPECT_EQ(tile->parameters(), std::optional<std::string>("http://example.org/"));
    EXPECT_EQ(editor->urlCell()->textField()->text(), "http://example.org/");
    EXPECT_EQ(navigation->topViewController(), editor);
    EXPECT_EQ(editor->tableViewCellForRowAtIndexPath(*editor->tableView(), ns::IndexPath(1, 0)),
              editor->urlCell());

    chooseType(*editor, 0);
    EXPECT_EQ(tile->type(), std::optional<std::string>("none"));
    EXPECT_EQ(editor->numberOfSectionsInTableView(*editor->tableView()), 1);
    EXPECT_EQ(tile->parameters(), std::optional<std::string>("http://example.org/"));
}

TEST_F(TileEditorTest, TypedAddressIsKeptOnReturnOnEndEditingAndOnClose)
{
    struct Case
    {
        const char* how;
    } cases[] = {{"return"}, {"end editing"}, {"close"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        tile->setType(std::string("http"));
        tile->setParameters(std::string("old"));
        auto editor = openEditor();
        auto field = editor->urlCell()->textField();
        field->setText(std::string());
        field->becomeFirstResponder();
        field->insertText("http://typed.example/");
        std::string how = c.how;
        if (how == "return")
            field->returnKey();
        else if (how == "end editing")
            field->resignFirstResponder();
        else
            editor->navigationItem()->leftBarButtonItem()->press();
        EXPECT_EQ(tile->parameters(), std::optional<std::string>("http://typed.example/"));
        clock.advance(0.5);
        if (board->modalViewController())
            board->dismissSettingsView();
        clock.advance(0.5);
    }
}

TEST_F(TileEditorTest, ContactPickSetsTheWholeTile)
{
    ab::Person::Fields fields;
    fields.recordID = 31;
    fields.firstName = "Anna";
    fields.lastName = "Berg";
    auto entry = KPhoneNumber::create();
    entry->setContact(ab::Person::create(fields));
    entry->setFirstName(std::string("Anna"));
    entry->setLastName(std::string("Berg"));
    entry->setPhone("+46 70 11 22");
    entry->setType(std::string("work"));
    app->setAllContact(ns::Array::make({entry}));

    tile->setType(std::string("tel"));
    tile->setTitle(std::string("Old name"));
    auto editor = openEditor();
    editor->tableViewDidSelectRowAtIndexPath(*editor->tableView(), ns::IndexPath(1, 0));
    auto list = ns::cast<PeopleListViewController>(navigation->topViewController());
    ASSERT_TRUE(list);
    list->view()->layoutIfNeeded();
    list->tableViewDidSelectRowAtIndexPath(*list->tableView(), ns::IndexPath(0, 0));

    EXPECT_EQ(tile->parameters(), std::optional<std::string>("tel:+46701122"));
    EXPECT_EQ(tile->imageName(), std::optional<std::string>("image001.png"));
    EXPECT_TRUE(ns::FileManager::fileExistsAtPath(ns::Sandbox::documentsPath() + "/image001.png"));
    EXPECT_EQ(tile->title(), std::optional<std::string>("Berg Anna"));
    EXPECT_EQ(tile->badgeString(), std::optional<std::string>("work"));
    ASSERT_TRUE(tile->badgeColor());
    EXPECT_NEAR(tile->badgeColor()->CGColor().red, 0.792, 1e-6);
    EXPECT_EQ(tile->id(), 31);
}

TEST_F(TileEditorTest, DoneClosesTheEditor)
{
    auto editor = openEditor();
    auto done = editor->navigationItem()->leftBarButtonItem();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->systemItem(), std::optional<ui::BarButtonSystemItem>(ui::BarButtonSystemItem::Done));
    done->press();
    EXPECT_TRUE(board->modalViewController()); // until the transition ends
    clock.advance(0.5);
    EXPECT_EQ(board->modalViewController(), nullptr);
}

TEST(SelectionList, ChecksTheChosenRowAndTellsOnlyOfChanges)
{
    struct Recorder : SelectionListViewControllerDelegate
    {
        std::vector<int32_t> chosen;
        void selectionListViewController(SelectionListViewController&, int32_t index, const ns::Id&) override
        {
            chosen.push_back(index);
        }
    };
    auto recorder = std::make_shared<Recorder>();
    auto list = SelectionListViewController::create(ui::TableViewStyle::Grouped);
    list->setItems({"a", "b", "c"});
    list->setSelectedIndex(1);
    list->setDelegate(recorder);
    auto table = list->tableView();
    table->setFrame(cg::makeRect(0, 0, 320, 480));
    table->layoutIfNeeded();
    auto checked = list->tableViewCellForRowAtIndexPath(*table, ns::IndexPath(0, 1));
    EXPECT_EQ(checked->accessoryType(), ui::TableViewCellAccessoryType::Checkmark);
    EXPECT_NEAR(checked->textLabel()->textColor()->CGColor().blue, 0.435, 1e-6);

    list->tableViewDidSelectRowAtIndexPath(*table, ns::IndexPath(0, 1));
    EXPECT_TRUE(recorder->chosen.empty());
    list->tableViewDidSelectRowAtIndexPath(*table, ns::IndexPath(0, 2));
    EXPECT_EQ(recorder->chosen, (std::vector<int32_t>{2}));
    EXPECT_EQ(list->selectedIndex(), 2);
}

TEST(SettingsCells, LayoutAndLabels)
{
    auto choiceCell = ChoiceCell::create("Type", {"None", "Webrequest"}, 1);
    ChoiceCell& choice = *choiceCell;
    EXPECT_EQ(choice.textLabel()->text(), std::optional<std::string>("Type: Webrequest"));
    choice.setEnabled(false);
    EXPECT_EQ(choice.selectionStyle(), ui::TableViewCellSelectionStyle::None);

    auto field = KTextFieldCell::create();
    field->setFrame(cg::makeRect(0, 0, 320, 44));
    field->layoutSubviews();
    cg::Rect content = field->contentView()->frame();
    cg::Rect f = field->textField()->frame();
    EXPECT_DOUBLE_EQ(f.origin.x, content.origin.x + 110);
    EXPECT_DOUBLE_EQ(f.size.width, content.size.width - 120);
    EXPECT_EQ(field->textField()->returnKeyType(), 4);

    auto toggleCell = SwitchCell::create("Sound", std::string("Switch"));
    SwitchCell& toggle = *toggleCell;
    toggle.setFrame(cg::makeRect(0, 0, 320, 44));
    toggle.layoutSubviews();
    cg::Rect c = toggle.contentView()->frame();
    cg::Rect s = toggle.switchControl()->frame();
    EXPECT_DOUBLE_EQ(s.origin.x, c.origin.x + c.size.width - s.size.width - 10);
    EXPECT_DOUBLE_EQ(s.size.width, 79);
}
