#include "board/TouchImageView.h"
#include "board/VelmoViewController.h"
#include "foundation/Clock.h"
#include "foundation/FileManager.h"
#include "foundation/Log.h"
#include "foundation/Sandbox.h"
#include "system/AddressBook.h"
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

class BoardFile : public ::testing::Test
{
protected:
    BoardFile()
    {
        ui::Application::sharedApplication().reset();
        ui::Image::setResourcePath(VELMO_RESOURCES);
    }
    ~BoardFile() override
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

class LocaleScope
{
public:
    explicit LocaleScope(const char* name) : m_previous(std::setlocale(LC_ALL, nullptr))
    {
        m_active = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~LocaleScope() { std::setlocale(LC_ALL, m_previous.c_str()); }
    bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

} // namespace

TEST_F(BoardFile, DefaultBoardSavesLoadsAndSavesTheSameBytes)
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
    LocaleScope german("de_DE.UTF-8");
    ASSERT_TRUE(german.active());
    loadBoard();
    EXPECT_EQ(boardText(), first);
}

TEST_F(BoardFile, ValuesAreWrittenAndReadBack)
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

TEST_F(BoardFile, MissingValuesReadAsZeroAndUnset)
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

TEST_F(BoardFile, ThirdLevelIsIgnoredAndMissingImagesAreSkipped)
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
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0]->title(), "second");
    EXPECT_TRUE(children[0]->children().empty());
    EXPECT_EQ(children[1]->title(), "from documents");
    EXPECT_TRUE(children[1]->image());
    std::string text = boardText();
    EXPECT_EQ(text.find("third"), std::string::npos);
    EXPECT_EQ(text.find("missing"), std::string::npos);
    EXPECT_EQ(text.find("outside"), std::string::npos);
}

TEST_F(BoardFile, TileOfARemovedContactBecomesTheDefaultTile)
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

TEST_F(BoardFile, ABadgeColourThatIsNotFourNumbersCountsAsAbsent)
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

TEST_F(BoardFile, ATileWithoutColourRoundTrips)
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

TEST_F(BoardFile, NextImageNameGoesPast999)
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

TEST_F(BoardFile, APhotoThatCannotBeWrittenAddsNoTile)
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
