#include "board/TouchImageView.h"
#include "board/VelmoViewController.h"
#include "foundation/Clock.h"
#include "foundation/FileManager.h"
#include "foundation/Log.h"
#include "foundation/Sandbox.h"
#include "foundation/Text.h"
#include "system/AddressBook.h"
#include "testing/BoundedChild.h"
#include "testing/TemporaryHome.h"
#include "testing/TestTools.h"
#include "uikit/Application.h"
#include "uikit/Color.h"
#include "uikit/Image.h"

#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <sstream>

namespace {

class BoardFileTest : public ::testing::Test
{
protected:
    BoardFileTest()
    {
        ui::Application::sharedApplication().reset();
        ui::Image::setResourcePath(VELMO_RESOURCES);
    }
    ~BoardFileTest() override
    {
        ui::Image::setResourcePath("");
        ui::Application::sharedApplication().reset();
    }

    // A board whose view is loaded: it has read "main.xml" (or built the default board) and saved it.
    ns::Ref<VelmoViewController> loadBoard()
    {
        auto board = VelmoViewController::create();
        board->view();
        return board;
    }
    std::string boardText() const
    {
        return ns::FileManager::stringWithContentsOfFile(VelmoViewController::boardFilePath())
            .value_or("<none>");
    }
    void writeBoard(const std::string& text) const
    {
        ASSERT_TRUE(ns::FileManager::writeAtomically(VelmoViewController::boardFilePath(), text));
    }

    ns::ManualClockScope clock;
    testkit::TemporaryHome home;
};

// One "floor" as the board writes it, with the parts given.
std::string floor(const std::string& background, const std::string& inner, const std::string& children = "")
{
    return "<floor><background>" + background + "</background>" + inner + children + "</floor>";
}

} // namespace

TEST_F(BoardFileTest, DefaultBoardSavesLoadsAndSavesTheSameBytes)
{
    loadBoard();
    std::string first = boardText();
    ASSERT_NE(first, "<none>");
    EXPECT_EQ(first.rfind("<floor>", 0), 0u) << "no declaration, nothing before the root";
    EXPECT_EQ(first.back(), '>');
    EXPECT_NE(first.find("\n  <background>defaultbackground.png</background>"), std::string::npos);
    EXPECT_NE(first.find("<title></title>"), std::string::npos) << "empty elements keep both tags";
    EXPECT_NE(first.find("<center x=\"160.000000\" y=\"230.000000\"></center>"), std::string::npos);
    EXPECT_EQ(first.find("color="), std::string::npos) << "no tile has a badge colour";

    auto board = loadBoard();
    EXPECT_EQ(boardText(), first);
    ASSERT_TRUE(board->mainTouchImageView());
    EXPECT_EQ(board->mainTouchImageView()->children().size(), 9u);
    for (auto& tile : board->mainTouchImageView()->children()) {
        EXPECT_FALSE(tile->badgeColor());
        EXPECT_EQ(tile->superview(), board->view().get());
        EXPECT_EQ(tile->parent(), board->mainTouchImageView());
    }

    VELMO_REQUIRE_TOOL(testkit::TestTools::hasLocale("de_DE.UTF-8"), testkit::TestTools::germanLocaleHint());
    testkit::LocaleScope german("de_DE.UTF-8");
    ASSERT_TRUE(german.active());
    loadBoard();
    EXPECT_EQ(boardText(), first);
}

TEST_F(BoardFileTest, ValuesAreWrittenAndReadBack)
{
    writeBoard(floor("defaultbackground.png",
                     "<type>background</type><center x=\"160\" y=\"230\"/>"
                     "<size width=\"320\" height=\"460\"/>",
                     floor("contact-withoutphoto.png",
                           "<type>tel</type><parameters>tel:0612</parameters><title>Anna &amp; Co</title>"
                           "<id>0</id><center x=\"160\" y=\"85\"/>"
                           "<badge string=\"mobile\" color=\"1.000000,0.800000,0.039216,1.000000\"/>"
                           "<size width=\"90\" height=\"90\"/>"
                           "<transform a=\"0.5\" b=\"0\" c=\"0\" d=\"0.5\" tx=\"3\" ty=\"-4\"/>")));
    auto board = loadBoard();
    auto background = board->mainTouchImageView();
    ASSERT_TRUE(background);
    ASSERT_EQ(background->children().size(), 1u);
    auto tile = background->children()[0];
    EXPECT_EQ(tile->type(), "tel");
    EXPECT_EQ(tile->parameters(), "tel:0612");
    EXPECT_EQ(tile->title(), "Anna & Co");
    EXPECT_EQ(tile->badgeString(), "mobile");
    ASSERT_TRUE(tile->badgeColor());
    EXPECT_NEAR(tile->badgeColor()->green(), 0.8f, 1e-6);
    EXPECT_EQ(tile->center(), cg::makePoint(160, 85));
    EXPECT_EQ(tile->origSize(), cg::makeRect(0, 0, 90, 90));
    EXPECT_EQ(tile->originalTransform(), (cg::AffineTransform{0.5f, 0, 0, 0.5f, 3, -4}));
    EXPECT_EQ(tile->transform(), tile->originalTransform());
    EXPECT_TRUE(tile->movable());

    std::string text = boardText();
    EXPECT_NE(text.find("<center x=\"160.000000\" y=\"85.000000\"></center>"), std::string::npos);
    EXPECT_NE(text.find("<badge string=\"mobile\" color=\"1.000000,0.800000,0.039216,1.000000\"></badge>"),
              std::string::npos);
    EXPECT_NE(text.find("<title>Anna &amp; Co</title>"), std::string::npos);
    EXPECT_NE(
        text.find("<transform a=\"0.500000\" b=\"0.000000\" c=\"0.000000\" d=\"0.500000\" tx=\"3.000000\" "
                  "ty=\"-4.000000\"></transform>"),
        std::string::npos);
    loadBoard();
    EXPECT_EQ(boardText(), text);
}

TEST_F(BoardFileTest, MissingValuesReadAsZeroAndUnset)
{
    writeBoard(floor("defaultbackground.png", "", floor("contact-placeholder.png", "")));
    auto board = loadBoard();
    ASSERT_TRUE(board->mainTouchImageView());
    ASSERT_EQ(board->mainTouchImageView()->children().size(), 1u);
    auto tile = board->mainTouchImageView()->children()[0];
    EXPECT_EQ(tile->type(), std::nullopt);
    EXPECT_EQ(tile->title(), std::nullopt);
    EXPECT_EQ(tile->parameters(), std::nullopt);
    EXPECT_EQ(tile->id(), 0);
    EXPECT_FALSE(tile->badgeColor());
    EXPECT_EQ(tile->center(), cg::makePoint(0, 0));
    EXPECT_EQ(tile->origSize(), cg::makeRect(0, 0, 0, 0));
    EXPECT_EQ(tile->originalTransform(), (cg::AffineTransform{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(tile->imageName(), "contact-placeholder.png");
}

TEST_F(BoardFileTest, ThirdLevelIsIgnoredAndTilesWithoutImagesAreKept)
{
    auto photo = ui::Image::imageNamed("contact-withoutphoto.png");
    ASSERT_TRUE(ns::FileManager::writeAtomically(ns::Sandbox::documentsPath() + "/image001.png",
                                                 *ui::ImagePNGRepresentation(photo)));
    writeBoard(floor("defaultbackground.png", "",
                     floor("contact-placeholder.png", "<title>second</title>",
                           floor("contact-placeholder.png", "<title>third</title>")) +
                         floor("nosuch.png", "<title>missing</title>") +
                         floor("image001.png", "<title>from documents</title>") +
                         floor("../resources/heart.png", "<title>outside</title>")));
    auto board = loadBoard();
    ASSERT_TRUE(board->mainTouchImageView());
    auto& children = board->mainTouchImageView()->children();
    ASSERT_EQ(children.size(), 4u);
    EXPECT_EQ(children[0]->title(), "second");
    EXPECT_TRUE(children[0]->children().empty());
    EXPECT_EQ(children[2]->title(), "from documents");
    EXPECT_TRUE(children[2]->image());
    // A tile whose image is missing, or named by a path, shows the placeholder and keeps its name.
    auto placeholder = ui::Image::imageNamed("contact-placeholder.png");
    EXPECT_EQ(children[1]->title(), "missing");
    EXPECT_EQ(children[1]->image(), placeholder);
    EXPECT_EQ(children[3]->title(), "outside");
    EXPECT_EQ(children[3]->image(), placeholder);
    std::string text = boardText();
    EXPECT_EQ(text.find("third"), std::string::npos);
    EXPECT_NE(text.find("<background>nosuch.png</background>"), std::string::npos);
    EXPECT_NE(text.find("<background>../resources/heart.png</background>"), std::string::npos);
}

TEST_F(BoardFileTest, TileOfARemovedContactBecomesTheDefaultTile)
{
    ASSERT_TRUE(ns::FileManager::writeAtomically(
        ab::AddressBook::defaultPath(), std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Anna;;;\r\n"
                                                    "FN:Anna Smith\r\nTEL;TYPE=CELL:0612\r\nEND:VCARD\r\n")));
    auto book = ab::AddressBook::create();
    ASSERT_TRUE(book);
    ASSERT_EQ(book->count(), 1u);
    int kept = book->allPeople()[0]->recordID();
    int gone = kept + 100;
    std::string contact = "<type>tel</type><parameters>tel:0612</parameters><badge string=\"mobile\"/>"
                          "<center x=\"160\" y=\"85\"/><size width=\"90\" height=\"120\"/>"
                          "<transform a=\"1\" b=\"0\" c=\"0\" d=\"1\" tx=\"0\" ty=\"0\"/>";
    writeBoard(floor("defaultbackground.png", "",
                     floor("contact-withoutphoto.png",
                           "<title>Anna</title><id>" + std::to_string(kept) + "</id>" + contact) +
                         floor("contact-withoutphoto.png",
                               "<title>Bob</title><id>" + std::to_string(gone) + "</id>" + contact) +
                         floor("contact-withoutphoto.png", "<title>Nobody</title><id>0</id>" + contact)));
    ns::LogCapture log;
    auto board = loadBoard();
    EXPECT_TRUE(log.contains("effacer Bob"));
    EXPECT_FALSE(log.contains("effacer Anna"));
    EXPECT_FALSE(log.contains("effacer Nobody"));
    auto& children = board->mainTouchImageView()->children();
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[0]->id(), kept);
    EXPECT_EQ(children[0]->title(), "Anna");
    auto reset = children[1];
    EXPECT_EQ(reset->id(), 0);
    EXPECT_EQ(reset->title(), "");
    EXPECT_EQ(reset->badgeString(), "");
    EXPECT_EQ(reset->type(), "unknown");
    EXPECT_EQ(reset->imageName(), "contact-placeholder.png");
    // Reset, it still moves in edit mode, as every tile on the board does.
    EXPECT_TRUE(reset->movable());
    EXPECT_EQ(reset->frame().size.width, 90);
    EXPECT_EQ(children[2]->title(), "Nobody");
    EXPECT_EQ(children[2]->type(), "tel");
}

TEST_F(BoardFileTest, ABadgeColourThatIsNotFourNumbersCountsAsAbsent)
{
    const char* colours[] = {"", "1,0.8", "1,0.8,0.039216", "a,b,c,d", "1,0.8,x,1", ",,,"};
    for (const char* colour : colours) {
        SCOPED_TRACE(colour);
        writeBoard(floor(
            "defaultbackground.png", "",
            floor("contact-placeholder.png", std::string("<badge string=\"b\" color=\"") + colour + "\"/>")));
        auto board = loadBoard();
        ASSERT_EQ(board->mainTouchImageView()->children().size(), 1u);
        EXPECT_FALSE(board->mainTouchImageView()->children()[0]->badgeColor());
        EXPECT_NE(boardText().find("<badge string=\"b\"></badge>"), std::string::npos);
    }
}

TEST_F(BoardFileTest, ATileWithoutColourRoundTrips)
{
    writeBoard(
        floor("defaultbackground.png", "", floor("contact-placeholder.png", "<badge string=\"home\"/>")));
    loadBoard();
    std::string first = boardText();
    EXPECT_NE(first.find("<badge string=\"home\"></badge>"), std::string::npos);
    auto board = loadBoard();
    EXPECT_FALSE(board->mainTouchImageView()->children()[0]->badgeColor());
    EXPECT_EQ(boardText(), first);
}

TEST_F(BoardFileTest, NextImageNameGoesPast999)
{
    auto board = loadBoard();
    std::string folder = ns::Sandbox::documentsPath() + "/";
    EXPECT_EQ(board->NextImageAvailable(), "image001.png");
    for (int n = 1; n <= 999; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "image%03d.png", n);
        std::ofstream(folder + name) << "x";
    }
    EXPECT_EQ(board->NextImageAvailable(), "image1000.png");
    std::ofstream(folder + "image1000.png") << "x";
    EXPECT_EQ(board->NextImageAvailable(), "image1001.png");
}

TEST_F(BoardFileTest, APhotoThatCannotBeWrittenAddsNoTile)
{
    auto board = loadBoard();
    std::size_t tiles = board->mainTouchImageView()->children().size();
    // A plain file where the documents folder was: nothing can be written into it.
    std::string documents = ns::Sandbox::documentsPath();
    ASSERT_TRUE(ns::FileManager::removeItemAtPath(documents));
    std::ofstream(documents) << "x";
    ns::LogCapture log;
    board->peopleListViewController(nullptr, ui::Image::imageNamed("contact-withoutphoto.png"), 0, "Anna",
                                    "06 12", "1");
    EXPECT_TRUE(log.contains("could not be written"));
    EXPECT_EQ(board->mainTouchImageView()->children().size(), tiles);
    std::remove(documents.c_str());
}

namespace {

std::string lines(const ns::LogCapture& log)
{
    return ::testing::PrintToString(log.lines());
}

std::string readBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string AnnaCard =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Anna;;;\r\nTEL;TYPE=CELL:0612\r\nEND:VCARD\r\n";
const std::string BobCard =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Jones;Bob;;;\r\nTEL;TYPE=CELL:0613\r\nEND:VCARD\r\n";

// A contact tile as the board writes it.
std::string contactTile(const std::string& title, int id)
{
    return floor("contact-withoutphoto.png",
                 "<type>tel</type><title>" + title + "</title><id>" + std::to_string(id) +
                     "</id><center x=\"160\" y=\"85\"/><size width=\"90\" height=\"90\"/>"
                     "<transform a=\"1\" b=\"0\" c=\"0\" d=\"1\" tx=\"0\" ty=\"0\"/>");
}

} // namespace

TEST_F(BoardFileTest, ContactsAreResetOnlyAgainstAnAddressBookReadWhole)
{
    std::string contacts = ab::AddressBook::defaultPath();
    ASSERT_TRUE(ns::FileManager::writeAtomically(contacts, AnnaCard + BobCard));
    auto book = ab::AddressBook::create();
    ASSERT_TRUE(book && book->count() == 2u && book->isReadWhole());
    int anna = book->allPeople()[0]->recordID();
    int bob = book->allPeople()[1]->recordID();
    std::string board =
        floor("defaultbackground.png", "", contactTile("Anna", anna) + contactTile("Bob", bob));

    struct Row
    {
        const char* name;
        std::optional<std::string> contacts; // nothing: no file at all
        const char* reason;
    };
    const Row rows[] = {
        {"empty file", std::string(), "the file is empty"},
        {"only blank lines", std::string("\r\n\r\n"), "the file is empty"},
        {"cut inside the second card", AnnaCard + BobCard.substr(0, 40), "has no END"},
        {"a card without its end", AnnaCard.substr(0, AnnaCard.size() - 11) + BobCard, "has no END"},
        {"cut inside a BEGIN line", AnnaCard + "BEGIN:VCA", "is not part of a contact card"},
        {"not UTF-8", AnnaCard + "\xff\xfe" + BobCard, "could not be read"},
        {"no file", std::nullopt, "there is no address book file"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.contacts)
            writeBytes(contacts, *row.contacts);
        else
            ns::FileManager::removeItemAtPath(contacts);
        writeBoard(board);
        ns::LogCapture log;
        auto loaded = loadBoard();
        EXPECT_FALSE(log.contains("effacer")) << lines(log);
        EXPECT_TRUE(log.contains("the tiles' contacts are not checked")) << lines(log);
        EXPECT_TRUE(log.contains(row.reason)) << lines(log);
        auto& children = loaded->mainTouchImageView()->children();
        ASSERT_EQ(children.size(), 2u);
        EXPECT_EQ(children[0]->id(), anna);
        EXPECT_EQ(children[1]->id(), bob);
        EXPECT_EQ(children[1]->title(), "Bob");
        std::string saved = boardText();
        EXPECT_NE(saved.find("<id>" + std::to_string(bob) + "</id>"), std::string::npos);
        EXPECT_NE(saved.find("<title>Bob</title>"), std::string::npos);
    }

    // Repaired, and without Bob: now his tile is reset.
    ASSERT_TRUE(ns::FileManager::writeAtomically(contacts, AnnaCard));
    writeBoard(board);
    ns::LogCapture log;
    auto loaded = loadBoard();
    EXPECT_TRUE(log.contains("effacer Bob")) << lines(log);
    EXPECT_EQ(loaded->mainTouchImageView()->children()[0]->id(), anna);
    EXPECT_EQ(loaded->mainTouchImageView()->children()[1]->id(), 0);
}

TEST_F(BoardFileTest, TilesWithoutTheirImageStayWithThePlaceholderAndTheirName)
{
    struct Row
    {
        const char* name;
        const char* image;
        const char* logged;
    };
    const Row rows[] = {
        {"missing file", "image042.png", "was not found"},
        {"path upwards", "../x.png", "is a path"},
        {"absolute path", "/etc/x.png", "is a path"},
        {"path to a real image", "../../resources/heart.png", "is a path"},
        {"no name", "", "was not found"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeBoard(
            floor("defaultbackground.png", "",
                  floor(row.image, "<title>kept</title><id>0</id><size width=\"90\" height=\"90\"/>")));
        ns::LogCapture log;
        auto board = loadBoard();
        EXPECT_TRUE(log.contains(row.logged)) << lines(log);
        EXPECT_TRUE(log.contains("kept")) << lines(log);
        auto& children = board->mainTouchImageView()->children();
        ASSERT_EQ(children.size(), 1u);
        EXPECT_EQ(children[0]->title(), "kept");
        EXPECT_EQ(children[0]->imageName(), row.image);
        EXPECT_EQ(children[0]->image(), ui::Image::imageNamed("contact-placeholder.png"));
        EXPECT_NE(boardText().find(std::string("<background>") + row.image + "</background>"),
                  std::string::npos);
        EXPECT_NE(boardText().find("<title>kept</title>"), std::string::npos);
    }
}

TEST_F(BoardFileTest, AMissingBackgroundImageFallsBackToTheDefaultAndTheBoardSaves)
{
    writeBoard(floor("mine.png", "<type>background</type><size width=\"320\" height=\"460\"/>",
                     floor("contact-placeholder.png", "<title>one</title>")));
    ns::LogCapture log;
    auto board = loadBoard();
    EXPECT_TRUE(log.contains("\"mine.png\"")) << lines(log);
    auto background = board->mainTouchImageView();
    ASSERT_TRUE(background);
    EXPECT_EQ(background->image(), ui::Image::imageNamed("defaultbackground.png"));
    EXPECT_EQ(background->imageName(), "mine.png");
    ASSERT_EQ(background->children().size(), 1u);

    // An edit reaches the file.
    background->children()[0]->setTitle(std::string("edited"));
    board->saveXML(nullptr);
    EXPECT_NE(boardText().find("<title>edited</title>"), std::string::npos);
    EXPECT_EQ(boardText().rfind("<floor>\n  <background>mine.png</background>", 0), 0u);
}

TEST_F(BoardFileTest, AnUnusableFileIsSetAsideUnderANewNameSaysWhyAndTheDefaultBoardIsSaved)
{
    struct Row
    {
        const char* name;
        std::string bytes;
        std::vector<std::string> logged;
    };
    const Row rows[] = {
        {"another root", "<board><floor/></board>", {"its root element is \"board\", not \"floor\""}},
        {"not UTF-8",
         "<floor>\n  <title>caf\xe9</title>\n</floor>",
         {"not UTF-8 text", "byte 0xe9 at line 2, column 13"}},
        {"unclosed element", "<floor>\n  <title>x</titl>\n</floor>", {"line 2, column", "mismatch"}},
        {"empty", "", {"it is empty"}},
        {"document type",
         "<!DOCTYPE floor [<!ENTITY t \"x\">]><floor><title>&t;</title></floor>",
         {"declares a document type"}},
        {"text, not XML", "hello", {"line 1, column 1"}},
    };
    std::string documents = ns::Sandbox::documentsPath();
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ++n;
        writeBytes(VelmoViewController::boardFilePath(), row.bytes);
        ns::LogCapture log;
        auto board = loadBoard();
        std::string aside = n == 1 ? "main.xml.unreadable" : "main.xml.unreadable." + std::to_string(n);
        for (const auto& text : row.logged)
            EXPECT_TRUE(log.contains(text)) << lines(log);
        EXPECT_TRUE(log.contains("it was kept as " + aside)) << lines(log);
        EXPECT_FALSE(log.contains("(null)")) << lines(log);
        EXPECT_EQ(readBytes(documents + "/" + aside), row.bytes);
        ASSERT_TRUE(board->mainTouchImageView());
        EXPECT_EQ(board->mainTouchImageView()->children().size(), 9u);
        EXPECT_EQ(boardText().rfind("<floor>\n  <background>defaultbackground.png</background>", 0), 0u);
    }
    // Every earlier one is still there, each with its own bytes.
    EXPECT_EQ(readBytes(documents + "/main.xml.unreadable"), rows[0].bytes);
    EXPECT_EQ(readBytes(documents + "/main.xml.unreadable.2"), rows[1].bytes);
}

TEST_F(BoardFileTest, NotANumberAndInfiniteGeometryReadAsAbsent)
{
    const char* values[] = {"nan", "NaN", "inf", "-inf", "infinity", "1e39", "-1e39"};
    for (const char* value : values) {
        SCOPED_TRACE(value);
        std::string v = value;
        writeBoard(floor("defaultbackground.png", "",
                         floor("contact-placeholder.png",
                               "<center x=\"" + v + "\" y=\"85\"/><size width=\"" + v +
                                   "\" height=\"90\"/>"
                                   "<transform a=\"" +
                                   v + "\" b=\"0\" c=\"0\" d=\"1\" tx=\"" + v + "\" ty=\"4\"/>")));
        auto board = loadBoard();
        auto tile = board->mainTouchImageView()->children()[0];
        EXPECT_EQ(tile->center(), cg::makePoint(0, 85));
        EXPECT_EQ(tile->origSize(), cg::makeRect(0, 0, 0, 90));
        EXPECT_EQ(tile->originalTransform(), (cg::AffineTransform{0, 0, 0, 1, 0, 4}));
        std::string text = boardText();
        EXPECT_EQ(text.find("nan"), std::string::npos);
        EXPECT_EQ(text.find("inf"), std::string::npos);
        EXPECT_NE(text.find("<center x=\"0.000000\" y=\"85.000000\"></center>"), std::string::npos);
    }
}

TEST_F(BoardFileTest, ATitleIsBounded)
{
    std::string title;
    for (std::size_t i = 0; title.size() < 3 * TouchImageView::MaxTitleLength; ++i)
        title += i % 7 ? "a" : "\xf0\x9f\x98\x80"; // some characters take two UTF-16 units
    writeBoard(
        floor("defaultbackground.png", "", floor("contact-placeholder.png", "<title>" + title + "</title>")));
    ns::LogCapture log;
    auto board = loadBoard();
    EXPECT_TRUE(log.contains("it keeps the first 1000")) << lines(log);
    auto kept = board->mainTouchImageView()->children()[0]->title();
    ASSERT_TRUE(kept);
    EXPECT_LE(ns::utf16Length(*kept), TouchImageView::MaxTitleLength);
    EXPECT_GE(ns::utf16Length(*kept), TouchImageView::MaxTitleLength - 1);
    EXPECT_EQ(kept->compare(0, kept->size(), title, 0, kept->size()), 0);
    EXPECT_TRUE(ns::isValidUtf8(*kept));
}

// The hostile files run in a child process that the kernel holds to a time and a memory bound; the parent
// then looks at what the child left on disk.
TEST_F(BoardFileTest, HostileFilesLoadWithinATimeAndMemoryBound)
{
    std::string entity(54 * 1024, 'x');
    std::string references;
    for (int i = 0; i < 1000; ++i)
        references += "&e;";
    std::string bigTitle(7 * 1000 * 1000, 't');
    struct Row
    {
        const char* name;
        std::string bytes;
        bool setAside;
    };
    const Row rows[] = {
        {"an entity referenced a thousand times",
         "<!DOCTYPE floor [<!ENTITY e \"" + entity + "\">]>" +
             floor("defaultbackground.png", "<title>" + references + "</title>",
                   floor("contact-placeholder.png", "<title>" + references + "</title>")),
         true},
        {"a file far beyond any board", floor("defaultbackground.png", std::string(9 << 20, ' ')), true},
        {"a title of seven megabytes",
         floor("defaultbackground.png", "",
               floor("contact-placeholder.png", "<title>" + bigTitle + "</title>")),
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string documents = ns::Sandbox::documentsPath();
        ns::FileManager::removeItemAtPath(documents + "/main.xml.unreadable");
        writeBytes(VelmoViewController::boardFilePath(), row.bytes);
        auto outcome = testkit::BoundedChild::run(
            [this] {
                ns::LogCapture quiet;
                auto board = loadBoard();
                // Laid out and drawn as on screen, the titles included.
                board->view()->setFrame(cg::makeRect(0, 0, 320, 480));
                board->view()->layoutIfNeeded();
                for (auto& tile : board->mainTouchImageView()->children())
                    tile->layoutIfNeeded();
                return board->mainTouchImageView() != nullptr;
            },
            {20, std::size_t(1) << 30});
        ASSERT_TRUE(outcome.exited && outcome.status == 0) << outcome.describe();
        std::string saved = readBytes(VelmoViewController::boardFilePath());
        EXPECT_LT(saved.size(), 64u * 1024);
        if (row.setAside) {
            EXPECT_EQ(readBytes(documents + "/main.xml.unreadable"), row.bytes);
            EXPECT_EQ(saved.rfind("<floor>\n  <background>defaultbackground.png</background>", 0), 0u);
        } else {
            EXPECT_NE(saved.find("<title>" + std::string(TouchImageView::MaxTitleLength, 't') + "</title>"),
                      std::string::npos);
        }
    }
}
