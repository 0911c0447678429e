#include "BoardFixture.h"

#include "board/EditTouchImageViewController.h"
#include "board/KPhoneNumber.h"
#include "board/MultipartLabel.h"
#include "board/PeopleListViewController.h"
#include "board/TDBadgeCell.h"
#include "board/TouchImageBadgeView.h"
#include "board/VelmoAppDelegate.h"
#include "foundation/FileManager.h"
#include "foundation/Sandbox.h"
#include "foundation/Unicode.h"
#include "uikit/Color.h"
#include "uikit/Image.h"
#include "uikit/Label.h"
#include "uikit/NavigationController.h"
#include "uikit/TabBarController.h"
#include "uikit/TableView.h"

namespace {

ns::Ref<KPhoneNumber> contact(std::optional<std::string> first, std::optional<std::string> last,
                              std::string phone, std::string type, int32_t id)
{
    ab::Person::Fields fields;
    fields.recordID = id;
    fields.firstName = first;
    fields.lastName = last;
    auto entry = KPhoneNumber::create();
    entry->setContact(ab::Person::create(fields));
    entry->setFirstName(first);
    entry->setLastName(last);
    entry->setPhone(std::move(phone));
    entry->setType(std::move(type));
    return entry;
}

ns::Ref<ns::Array> arrayOf(const std::vector<ns::Ref<KPhoneNumber>>& entries)
{
    std::vector<ns::Id> ids(entries.begin(), entries.end());
    return ns::Array::make(ids);
}

struct Recorder : PeopleListViewControllerDelegate
{
    int calls = 0;
    ns::Ref<ui::Image> photo;
    std::string phone;
    std::string reference;
    int selectedIndex = 0;
    void peopleListViewController(PeopleListViewController*, const ns::Ref<ui::Image>& p, int index,
                                  const std::string&, const std::string& number,
                                  const std::string& ref) override
    {
        ++calls;
        photo = p;
        phone = number;
        reference = ref;
        selectedIndex = index;
    }
};

std::vector<std::string> namesIn(PeopleListViewController& list, std::size_t section)
{
    std::vector<std::string> names;
    auto table = list.tableView();
    for (long row = 0; row < list.tableViewNumberOfRowsInSection(*table, section); ++row)
        names.push_back(
            list.entryAtIndexPath(ns::IndexPath(section, static_cast<std::size_t>(row)))->compositeName());
    return names;
}

} // namespace

class PeopleListTest : public BoardFixture
{
protected:
    PeopleListTest()
    {
        app = VelmoAppDelegate::create();
        ui::Application::sharedApplication().setDelegate(app);
        showBoard();
        app->setViewController(board);
    }

    ns::Ref<PeopleListViewController>
    openList(const ns::Ref<TouchImageView>& tile,
             const ns::Ref<PeopleListViewControllerDelegate>& delegate = nullptr)
    {
        auto list = PeopleListViewController::create(ui::TableViewStyle::Grouped);
        list->setSelectedIndex(-1);
        list->setReference("1");
        list->setTouchImage(tile);
        list->setDelegate(delegate);
        board->presentModalViewController(ui::NavigationController::create(list), false);
        list->view()->layoutIfNeeded();
        return list;
    }

    ns::Ref<VelmoAppDelegate> app;
};

TEST_F(PeopleListTest, SectionsHoldEachLettersPeopleWhateverTheScanOrder)
{
    app->setAllContact(arrayOf({contact("Zed", {}, "1", "mobile", 1), contact("Anna", {}, "2", "home", 2),
                                contact("Zoe", {}, "3", "work", 3), contact("bob", {}, "4", "iPhone", 4),
                                contact("Ångström", {}, "5", "x", 5), contact("Bea", {}, "6", "x", 6),
                                contact("7even", {}, "7", "x", 7)}));
    auto list = openList(tiles().front());
    auto table = list->tableView();
    EXPECT_EQ(list->indexLetters(), (std::vector<std::string>{"Z", "A", "B", "-"}));
    EXPECT_EQ(list->numberOfSectionsInTableView(*table), 4);
    EXPECT_EQ(table->sectionIndexTitles(), (std::vector<std::string>{"Z", "A", "B", "-"}));
    EXPECT_EQ(namesIn(*list, 0), (std::vector<std::string>{"Zed", "Zoe"}));
    EXPECT_EQ(namesIn(*list, 1), (std::vector<std::string>{"Anna"}));
    EXPECT_EQ(namesIn(*list, 2), (std::vector<std::string>{"bob", "Bea"}));
    EXPECT_EQ(namesIn(*list, 3), (std::vector<std::string>{"Ångström", "7even"}));
    EXPECT_EQ(*list->tableViewTitleForHeaderInSection(*table, 2), "B");
}

TEST_F(PeopleListTest, NoPeopleGiveNoSections)
{
    app->setAllContact(arrayOf({}));
    auto list = openList(tiles().front());
    EXPECT_EQ(list->numberOfSectionsInTableView(*list->tableView()), 0);
    EXPECT_TRUE(list->sectionIndexTitlesForTableView(*list->tableView())->empty());
}

TEST_F(PeopleListTest, SearchIgnoresCaseAndAccents)
{
    app->setAllContact(arrayOf({contact("Anna", {}, "1", "x", 1), contact("Bert", {}, "2", "x", 2),
                                contact("Ånnå", {}, "3", "x", 3), contact("Joanne", {}, "4", "x", 4)}));
    auto list = openList(tiles().front());
    list->filterEntriesForSearchText("ANN");
    std::vector<std::string> found;
    for (const auto& entry : list->currentEntries())
        found.push_back(entry->compositeName());
    EXPECT_EQ(found, (std::vector<std::string>{"Anna", "Ånnå", "Joanne"}));
    EXPECT_EQ(list->indexLetters(), (std::vector<std::string>{"A", "-", "J"}));

    list->filterEntriesForSearchText("");
    EXPECT_TRUE(list->currentEntries().empty());
    EXPECT_EQ(list->numberOfSectionsInTableView(*list->tableView()), 0);
}

TEST_F(PeopleListTest, SearchFindsWhatTheCaseAndAccentBlindComparisonFinds)
{
    const char* names[] = {"Anna",       "Ånnå",  "Joanne", "Straße", "Dvořák",        "José Núñez",
                           "Zoë Öztürk", "İlkay", "ﬁona",   "Émile",  "e\xcc\x81mile", "7even"};
    std::vector<ns::Ref<KPhoneNumber>> people;
    for (int i = 0; i < int(std::size(names)); ++i)
        people.push_back(contact(names[i], {}, std::to_string(i), "x", i + 1));
    app->setAllContact(arrayOf(people));
    auto list = openList(tiles().front());
    const char* typed[] = {"a",  "AN", "ann", "strasse", "SS", "vor",      "nu", "ñ", "oe",
                           "zo", "il", "fi",  "emi",     "É",  "\xcc\x81", "7",  "",  "x"};
    for (const char* text : typed) {
        SCOPED_TRACE(text);
        list->filterEntriesForSearchText(text);
        std::vector<std::string> found, expected;
        for (const auto& entry : list->currentEntries())
            found.push_back(entry->compositeName());
        for (const char* name : names)
            if (ns::containsIgnoringCaseAndDiacritics(name, text))
                expected.push_back(name);
        EXPECT_EQ(found, expected);
    }
}

TEST_F(PeopleListTest, PickFillsTheTileAndSaves)
{
    app->setAllContact(arrayOf(
        {contact("Zed", {}, "1", "mobile", 1), contact("Anna", "Berg", "+46 70 123 45", "mobile", 42)}));
    auto tile = tiles().front();
    auto list = openList(tile);
    ASSERT_EQ(list->indexLetters(), (std::vector<std::string>{"Z", "B"}));
    list->tableViewDidSelectRowAtIndexPath(*list->tableView(), ns::IndexPath(1, 0));

    EXPECT_EQ(tile->imageName(), std::optional<std::string>("image001.png"));
    EXPECT_TRUE(ns::FileManager::fileExistsAtPath(ns::Sandbox::documentsPath() + "/image001.png"));
    EXPECT_EQ(tile->type(), std::optional<std::string>("tel"));
    EXPECT_EQ(tile->parameters(), std::optional<std::string>("tel:+467012345"));
    EXPECT_EQ(tile->title(), std::optional<std::string>("Berg Anna"));
    EXPECT_EQ(tile->badgeString(), std::optional<std::string>("mobile"));
    ASSERT_TRUE(tile->badgeColor());
    EXPECT_NEAR(tile->badgeColor()->CGColor().green, 242 / 255.0, 1e-6);
    EXPECT_EQ(tile->id(), 42);
    ASSERT_TRUE(tile->image());
    EXPECT_TRUE(ns::FileManager::fileExistsAtPath(VelmoViewController::boardFilePath()));
    clock.advance(0.5); // the dismissal's transition
    EXPECT_EQ(board->modalViewController(), nullptr);
}

TEST_F(PeopleListTest, DelegateReceivesThePhotoAndTheNumber)
{
    app->setAllContact(arrayOf({contact("Anna", {}, "555 12 34", "work", 7)}));
    auto recorder = std::make_shared<Recorder>();
    auto list = openList(nullptr, recorder);
    list->tableViewDidSelectRowAtIndexPath(*list->tableView(), ns::IndexPath(0, 0));
    EXPECT_EQ(recorder->calls, 1);
    EXPECT_TRUE(recorder->photo);
    EXPECT_EQ(recorder->phone, "5551234");
    EXPECT_EQ(recorder->reference, "1");
    EXPECT_EQ(recorder->selectedIndex, -1);
    EXPECT_FALSE(ns::FileManager::fileExistsAtPath(ns::Sandbox::documentsPath() + "/image001.png"));
}

TEST_F(PeopleListTest, TrashResetsTheTileAndSaves)
{
    app->setAllContact(arrayOf({}));
    auto tile = tiles().front();
    tile->setType(std::string("tel"));
    tile->setTitle(std::string("Someone"));
    auto list = openList(tile);
    list->deleteButton(nullptr);
    EXPECT_EQ(tile->type(), std::optional<std::string>("unknown"));
    EXPECT_EQ(tile->title(), std::optional<std::string>(""));
    EXPECT_TRUE(ns::FileManager::fileExistsAtPath(VelmoViewController::boardFilePath()));
    clock.advance(0.5); // the dismissal's transition
    EXPECT_EQ(board->modalViewController(), nullptr);
}

TEST_F(PeopleListTest, ListOpenedBeforeTheScanShowsPeopleOnceTheyArePublished)
{
    auto list = openList(tiles().front());
    EXPECT_TRUE(list->isWaiting());
    EXPECT_EQ(list->numberOfSectionsInTableView(*list->tableView()), 0);
    clock.advance(0.5);
    EXPECT_TRUE(list->isWaiting());
    app->setAllContact(arrayOf({contact("Anna", {}, "1", "x", 1)}));
    clock.advance(0.2);
    EXPECT_FALSE(list->isWaiting());
    EXPECT_EQ(list->tableView()->numberOfSections(), 1);
    EXPECT_EQ(namesIn(*list, 0), (std::vector<std::string>{"Anna"}));
}

TEST_F(PeopleListTest, ListFreedWhileWaitingGoesQuietly)
{
    std::weak_ptr<PeopleListViewController> weak;
    {
        auto list = openList(tiles().front());
        weak = list;
        board->dismissModalViewControllerAnimated(false);
    }
    driver.settle();
    EXPECT_TRUE(weak.expired());
    app->setAllContact(arrayOf({contact("Anna", {}, "1", "x", 1)}));
    clock.advance(1);
}

TEST(PeopleListColors, LabelsGiveTheirBadgeColours)
{
    struct Case
    {
        const char* label;
        float red, green, blue;
    } cases[] = {{"iPhone", 1.0f, 0.8f, 10 / 255.0f},
                 {"mobile", 45 / 255.0f, 242 / 255.0f, 140 / 255.0f},
                 {"work", 0.792f, 0.197f, 0.219f},
                 {"cabin", 45 / 255.0f, 65 / 255.0f, 239 / 255.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        auto color = PeopleListViewController::colorForLabel(std::string(c.label))->CGColor();
        EXPECT_NEAR(color.red, c.red, 1e-6);
        EXPECT_NEAR(color.green, c.green, 1e-6);
        EXPECT_NEAR(color.blue, c.blue, 1e-6);
        EXPECT_EQ(color.alpha, 1.0f);
    }
}

TEST_F(PeopleListTest, RowsShowTheNameInPartsTheNumberAndTheBadge)
{
    auto withOrganisation = contact({}, {}, "3", "cabin", 3);
    withOrganisation->setOrganization(std::string("Acme"));
    app->setAllContact(arrayOf({contact("Anna", "Berg", "+46 70", "mobile", 1),
                                contact({}, "Carter", "2", "work", 2), withOrganisation}));
    auto list = openList(tiles().front());
    auto table = list->tableView();
    struct Case
    {
        ns::IndexPath path;
        std::vector<std::string> parts;
        const char* text;
        const char* badge;
    } cases[] = {{ns::IndexPath(0, 0), {"Anna", " ", "Berg"}, "Anna Berg", "mobile"},
                 {ns::IndexPath(1, 0), {"Carter"}, "Carter", "work"},
                 {ns::IndexPath(2, 0), {"Acme"}, "Acme", "cabin"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto cell = ns::cast<TDBadgeCell>(list->tableViewCellForRowAtIndexPath(*table, c.path));
        ASSERT_TRUE(cell);
        std::vector<std::string> parts;
        for (const auto& label : cell->multipartLabel()->labels())
            parts.push_back(label->text().value_or(""));
        EXPECT_EQ(parts, c.parts);
        EXPECT_EQ(cell->textLabel()->text(), std::optional<std::string>(c.text));
        EXPECT_EQ(cell->textLabel()->textColor()->CGColor().alpha, 0.0f);
        EXPECT_EQ(cell->badgeString(), std::optional<std::string>(c.badge));
        EXPECT_FALSE(cell->showShadow());
    }
    auto first = ns::cast<TDBadgeCell>(list->tableViewCellForRowAtIndexPath(*table, ns::IndexPath(0, 0)));
    EXPECT_EQ(first->detailTextLabel()->text(), std::optional<std::string>("+46 70"));
    EXPECT_EQ(first->multipartLabel()->labels().at(2)->textColor()->CGColor().blue, 1.0f);
    EXPECT_EQ(list->tableViewHeightForRowAtIndexPath(*table, ns::IndexPath(0, 0)),
              std::optional<cg::Float>(40));
}

TEST_F(PeopleListTest, SearchBarFiltersAndItsEndShowsEveryoneAgain)
{
    app->setAllContact(arrayOf({contact("Anna", {}, "1", "x", 1), contact("Bert", {}, "2", "x", 2)}));
    auto list = openList(tiles().front());
    auto search = list->searchDisplayController();
    EXPECT_TRUE(list->searchDisplayControllerShouldReloadTableForSearchString(*search, "ber"));
    ASSERT_EQ(list->currentEntries().size(), 1u);
    EXPECT_EQ(list->currentEntries()[0]->compositeName(), "Bert");
    list->searchDisplayControllerDidEndSearch(*search);
    EXPECT_EQ(list->currentEntries().size(), 2u);
    EXPECT_EQ(list->indexLetters(), (std::vector<std::string>{"A", "B"}));
}

// The three screens that put a contact on a tile: the list opened for a tile, the board's "+", and the
// tile editor's "Select". Each gives the tile the same fields, and none touches a tile when the photo
// cannot be written.
class ContactOnTile : public PeopleListTest
{
protected:
    enum class Path { TileList, BoardAdd, Editor };

    // Opens the list the way the path does and picks its first row; gives the tile that got the contact
    // (or should have).
    ns::Ref<TouchImageView> pick(Path path)
    {
        auto tile = tiles()[1];
        tile->setType(std::string("tel"));
        tile->setParameters(std::string("tel:000"));
        tile->setTitle(std::string("Old name"));
        tile->setBadgeString(std::string("home"));
        tile->setImageName(std::string("contact-placeholder.png"));
        tile->setId(5);
        ns::Ref<PeopleListViewController> list;
        if (path == Path::TileList) {
            list = openList(tile);
        } else if (path == Path::BoardAdd) {
            board->addContactButtonAction(nullptr);
            driver.advance(0.5); // the presentation's transition
            auto navigation = ns::cast<ui::NavigationController>(board->modalViewController());
            list = navigation ? ns::cast<PeopleListViewController>(navigation->topViewController()) : nullptr;
        } else {
            board->presentTileEditor(tile);
            driver.advance(0.5);
            auto tabs = ns::cast<ui::TabBarController>(board->modalViewController());
            auto navigation =
                tabs ? ns::cast<ui::NavigationController>(tabs->viewControllers().at(0)) : nullptr;
            auto editor = navigation ? ns::cast<EditTouchImageViewController>(navigation->topViewController())
                                     : nullptr;
            if (editor) {
                editor->view()->layoutIfNeeded();
                editor->tableViewDidSelectRowAtIndexPath(*editor->tableView(), ns::IndexPath(1, 0));
                list = ns::cast<PeopleListViewController>(navigation->topViewController());
            }
        }
        EXPECT_TRUE(list);
        if (!list)
            return nullptr;
        list->view()->layoutIfNeeded();
        list->tableViewDidSelectRowAtIndexPath(*list->tableView(), ns::IndexPath(0, 0));
        driver.advance(0.5); // the list's own dismissal, where it closes itself
        return path == Path::BoardAdd ? board->mainTouchImageView()->children().back() : tile;
    }

    struct Case
    {
        const char* name;
        Path path;
    };
    static constexpr Case cases[] = {{"the list for a tile", Path::TileList},
                                     {"the board's +", Path::BoardAdd},
                                     {"the tile editor", Path::Editor}};

    void givePeople() { app->setAllContact(arrayOf({contact("Anna", "Berg", "+46 70 11 22", "work", 31)})); }
};

TEST_F(ContactOnTile, EveryPathSetsTheNumberNameBadgeAndRecord)
{
    givePeople();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::size_t before = board->mainTouchImageView()->children().size();
        auto tile = pick(c.path);
        ASSERT_TRUE(tile);
        EXPECT_EQ(board->mainTouchImageView()->children().size(), before + (c.path == Path::BoardAdd));
        EXPECT_EQ(tile->type(), std::optional<std::string>("tel"));
        EXPECT_EQ(tile->parameters(), std::optional<std::string>("tel:+46701122"));
        EXPECT_EQ(tile->title(), std::optional<std::string>("Berg Anna"));
        EXPECT_EQ(tile->badgeString(), std::optional<std::string>("work"));
        ASSERT_TRUE(tile->badgeColor());
        EXPECT_NEAR(tile->badgeColor()->CGColor().red, 0.792, 1e-6);
        EXPECT_EQ(tile->id(), 31);
        ASSERT_TRUE(tile->imageName());
        EXPECT_TRUE(
            ns::FileManager::fileExistsAtPath(ns::Sandbox::documentsPath() + "/" + *tile->imageName()));
        // The badge and the title show at once.
        EXPECT_FALSE(tile->badge()->isHidden());
        EXPECT_FALSE(tile->labelView()->isHidden());
        board->dismissModalViewControllerAnimated(false);
        driver.settle();
    }
}

TEST_F(ContactOnTile, APhotoThatCannotBeWrittenAddsOrChangesNoTile)
{
    givePeople();
    // A plain file where the documents folder was: nothing can be written into it.
    std::string documents = ns::Sandbox::documentsPath();
    ASSERT_TRUE(ns::FileManager::removeItemAtPath(documents));
    ASSERT_TRUE(ns::FileManager::writeAtomically(documents, std::string("x")));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::size_t before = board->mainTouchImageView()->children().size();
        ns::LogCapture log;
        auto tile = pick(c.path);
        EXPECT_TRUE(log.contains("could not be written"));
        EXPECT_EQ(board->mainTouchImageView()->children().size(), before);
        tile = tiles()[1];
        EXPECT_EQ(tile->parameters(), std::optional<std::string>("tel:000"));
        EXPECT_EQ(tile->title(), std::optional<std::string>("Old name"));
        EXPECT_EQ(tile->badgeString(), std::optional<std::string>("home"));
        EXPECT_EQ(tile->imageName(), std::optional<std::string>("contact-placeholder.png"));
        EXPECT_EQ(tile->id(), 5);
        board->dismissModalViewControllerAnimated(false);
        driver.settle();
    }
    ASSERT_TRUE(ns::FileManager::removeItemAtPath(documents));
}
