#include "BoardFixture.h"

#include "board/BoardSettings.h"
#include "foundation/ClassRegistry.h"
#include "foundation/FileManager.h"
#include "foundation/Sandbox.h"
#include "foundation/Version.h"
#include "system/BannerView.h"
#include "system/MailComposeViewController.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Image.h"
#include "uikit/ImagePickerController.h"
#include "uikit/Layer.h"
#include "uikit/Toolbar.h"

namespace {

using BoardScreen = BoardFixture;

TEST_F(BoardScreen, AFreshHomeShowsTheDefaultBoardAndSavesIt)
{
    showBoard();
    auto all = tiles();
    ASSERT_EQ(all.size(), 10u);
    auto background = board->mainTouchImageView();
    ASSERT_EQ(all[0], background);
    EXPECT_EQ(background->type(), "background");
    EXPECT_EQ(background->center(), cg::makePoint(160, 230));
    ASSERT_EQ(background->children().size(), 9u);
    const float xs[] = {55, 160, 265};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            SCOPED_TRACE(r * 3 + c);
            auto& tile = background->children()[static_cast<std::size_t>(r * 3 + c)];
            float h = tile->frame().size.height;
            EXPECT_EQ(tile->center(), cg::makePoint(xs[c], 53 + h / 2 + r * (h + 18)));
            EXPECT_EQ(tile->parent(), background);
            EXPECT_EQ(tile->type(), r == 0 ? "unknown" : "web");
            if (r > 0) {
                EXPECT_EQ(tile->parameters(), BoardSettings::shared().storePage);
            }
        }
    EXPECT_EQ(background->children()[8]->imageName(), "contact-withoutphoto.png");
    EXPECT_EQ(background->children()[3]->imageName(), "contact-grey-placeholder.png");
    EXPECT_TRUE(ns::FileManager::fileExistsAtPath(ns::Sandbox::documentsPath() + "/main.xml"));
    EXPECT_FALSE(board->editMode());
    EXPECT_TRUE(board->editToolBar()->isHidden());
    EXPECT_FALSE(board->mainToolBar()->isHidden());
}

TEST_F(BoardScreen, SelectionDrawsARedBorderAndOnlyChildrenAreDeletable)
{
    showBoard();
    auto background = board->mainTouchImageView();
    auto tile = background->children()[4];
    board->setSelectedTouchImage(background);
    EXPECT_EQ(background->layer()->borderWidth(), 2.0f);
    EXPECT_FALSE(board->deleteButton()->isEnabled());
    board->setSelectedTouchImage(tile);
    EXPECT_EQ(background->layer()->borderWidth(), 0.0f);
    EXPECT_TRUE(board->deleteButton()->isEnabled());
    board->setSelectedTouchImage(nullptr);
    EXPECT_EQ(tile->layer()->borderWidth(), 0.0f);
    EXPECT_FALSE(board->deleteButton()->isEnabled());

    board->editAction(nullptr);
    board->setSelectedTouchImage(tile);
    board->deleteAction(nullptr);
    EXPECT_EQ(background->children().size(), 8u);
    EXPECT_EQ(tiles().size(), 9u);
    EXPECT_FALSE(board->selectedTouchImage());
}

TEST_F(BoardScreen, EditModeMovesAndDeletesDefaultTilesOnTheFirstStartAsAfterARestart)
{
    const char* starts[] = {"first start", "after a restart"};
    for (const char* start : starts) {
        SCOPED_TRACE(start);
        showBoard(); // the first one builds the default board and saves it; the second one reads it back
        board->editAction(nullptr);
        auto background = board->mainTouchImageView();
        ASSERT_EQ(background->children().size(), 9u);
        auto tile = background->children()[0];
        EXPECT_TRUE(tile->movable());
        cg::Point from = tile->center();
        driver.drag(from, cg::makePoint(from.x + 60, from.y), 6);
        EXPECT_EQ(board->selectedTouchImage(), tile);
        EXPECT_FLOAT_EQ(tile->originalTransform().tx, 60);
        EXPECT_TRUE(board->deleteButton()->isEnabled());
        // A tile reset to the default one moves as before.
        tile->setDefault();
        EXPECT_TRUE(tile->movable());

        // The background keeps its own rule: a drag of the whole board is put back.
        driver.drag(cg::makePoint(160, 400), cg::makePoint(200, 400), 4);
        EXPECT_EQ(board->selectedTouchImage(), background);
        EXPECT_FALSE(board->deleteButton()->isEnabled());
        EXPECT_TRUE(background->transform().isIdentity());

        board->setSelectedTouchImage(background->children()[8]);
        board->deleteAction(nullptr);
        EXPECT_EQ(background->children().size(), 8u);
        board->cancelAction(nullptr);
    }
}

TEST_F(BoardScreen, CancelInEditModeRestoresTheSavedBoardAndSaveKeepsTheEdits)
{
    showBoard();
    board->editAction(nullptr);
    EXPECT_TRUE(board->editMode());
    EXPECT_FALSE(board->editToolBar()->isHidden());
    board->setSelectedTouchImage(board->mainTouchImageView()->children()[0]);
    board->deleteAction(nullptr);
    ASSERT_EQ(tiles().size(), 9u);
    board->cancelAction(nullptr);
    EXPECT_FALSE(board->editMode());
    EXPECT_EQ(tiles().size(), 10u);
    EXPECT_EQ(board->mainTouchImageView()->children().size(), 9u);
    // The toolbars stay above the restored tiles.
    auto& subviews = board->view()->subviews();
    EXPECT_EQ(subviews[10], board->editToolBar());

    board->editAction(nullptr);
    board->setSelectedTouchImage(board->mainTouchImageView()->children()[0]);
    board->deleteAction(nullptr);
    board->saveXML(nullptr);
    board->cancelAction(nullptr);
    EXPECT_EQ(tiles().size(), 9u);
}

TEST_F(BoardScreen, AnUnreadableBoardFileIsKeptAsideAndTheDefaultBoardShown)
{
    std::string path = ns::Sandbox::documentsPath() + "/main.xml";
    ASSERT_TRUE(ns::FileManager::writeAtomically(path, std::string("<floor><oops>")));
    ns::LogCapture log;
    showBoard();
    EXPECT_EQ(tiles().size(), 10u);
    EXPECT_EQ(*ns::FileManager::stringWithContentsOfFile(path + ".unreadable"), "<floor><oops>");
    EXPECT_TRUE(ns::FileManager::fileExistsAtPath(path));
    EXPECT_TRUE(log.contains("main.xml.unreadable"));
}

TEST_F(BoardScreen, NextImageNameSkipsEveryNameThatExists)
{
    showBoard();
    std::string documents = ns::Sandbox::documentsPath() + "/";
    EXPECT_EQ(board->NextImageAvailable(), "image001.png");
    for (const char* name : {"image001.png", "image002.png", "image004.png"})
        ASSERT_TRUE(ns::FileManager::writeAtomically(documents + name, std::string("x")));
    EXPECT_EQ(board->NextImageAvailable(), "image003.png");
    for (int n = 1; n <= 999; ++n)
        ns::FileManager::writeAtomically(documents + ns::format("image%03d.png", n), std::string("x"));
    // Past the three-digit names the numbers go on rather than overwrite another tile's photo.
    EXPECT_EQ(board->NextImageAvailable(), "image1000.png");
}

TEST_F(BoardScreen, APickedContactBecomesATelTileWithoutSpaces)
{
    showBoard();
    auto photo = ui::Image::imageNamed("contact-withoutphoto.png");
    board->peopleListViewController(nullptr, photo, -1, "Anna", "+46 70 123-45 (67)", "1");
    auto background = board->mainTouchImageView();
    ASSERT_EQ(background->children().size(), 10u);
    auto tile = background->children().back();
    EXPECT_EQ(tile->type(), "tel");
    EXPECT_EQ(tile->parameters(), "tel:+4670123-45(67)");
    EXPECT_EQ(tile->center(), cg::makePoint(160, 85));
    EXPECT_EQ(tile->frame().size, cg::makeSize(90, 90));
    EXPECT_EQ(tile->imageName(), "image001.png");
    EXPECT_TRUE(ns::FileManager::fileExistsAtPath(ns::Sandbox::documentsPath() + "/image001.png"));
    EXPECT_EQ(tiles().back(), tile); // above the toolbars
}

TEST_F(BoardScreen, TheBannerSizeFollowsTheSystemVersion)
{
    ad::registerBannerClass();
    struct Row
    {
        const char* version;
        const char* identifier;
    };
    const Row rows[] = {{"4.1.2", ad::BannerContentSizeIdentifier320x50},
                        {"4.2", ad::BannerContentSizeIdentifierPortrait},
                        {"10.0", ad::BannerContentSizeIdentifierPortrait}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        ui::Device::currentDevice()->setSystemVersion(row.version);
        showBoard();
        auto banner = ns::cast<ad::BannerView>(board->adBannerView());
        ASSERT_TRUE(banner);
        EXPECT_EQ(banner->currentContentSizeIdentifier(), row.identifier);
        EXPECT_EQ(*banner->requiredContentSizeIdentifiers().begin(), row.identifier);
        EXPECT_EQ(board->adBannerHeight(), 50);
        EXPECT_FALSE(board->adBannerViewIsVisible());
    }
    ad::unregisterBannerClass();
    showBoard();
    EXPECT_FALSE(board->adBannerView());
}

TEST_F(BoardScreen, TheFeedbackMailGoesToSupportAndTheHeartOpensTheReviewPage)
{
    showBoard();
    ASSERT_TRUE(driver.press("Compose"));
    driver.advance(0.5); // the composer's presentation
    auto mail = ns::cast<mui::MailComposeViewController>(board->presentedViewController());
    ASSERT_TRUE(mail);
    EXPECT_EQ(mail->toRecipients(), std::vector<std::string>{BoardSettings::shared().supportAddress});
    EXPECT_EQ(mail->subject(), "Comments about Velmo");
    ns::LogCapture log;
    mail->send();
    EXPECT_TRUE(log.contains("It's away!"));
    driver.advance(0.5);
    EXPECT_FALSE(board->presentedViewController());

    ASSERT_TRUE(driver.press("heart"));
    ASSERT_FALSE(opened().empty());
    EXPECT_EQ(opened().back().rfind("itms-apps://", 0), 0u);
}

} // namespace

namespace {

using PhotoPicker = BoardFixture;

// A photo in the device's library.
std::string putPhoto(const std::string& name)
{
    std::string folder = ns::Sandbox::devicePath() + "/Photos";
    EXPECT_TRUE(ns::FileManager::createDirectoryAtPath(folder, true));
    auto png = ui::ImagePNGRepresentation(ui::Image::imageNamed("contact-withoutphoto.png"));
    EXPECT_TRUE(png);
    EXPECT_TRUE(png && ns::FileManager::writeAtomically(folder + "/" + name, *png));
    return folder + "/" + name;
}

ns::Ref<ui::ImagePickerController> openPicker(VelmoViewController& board, ui::TouchDriver& driver)
{
    board.addImageButtonAction(nullptr);
    driver.advance(0.5); // the presentation's transition
    return ns::cast<ui::ImagePickerController>(board.modalViewController());
}

TEST_F(PhotoPicker, APickedPhotoBecomesATileWithThatPictureAndIsSaved)
{
    putPhoto("beach.png");
    showBoard();
    auto picker = openPicker(*board, driver);
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->sourceType(), ui::ImagePickerControllerSourceType::PhotoLibrary);
    EXPECT_FALSE(picker->allowsEditing());
    EXPECT_EQ(picker->pickerDelegate(), std::static_pointer_cast<ui::ImagePickerControllerDelegate>(board));

    ns::LogCapture log;
    // The person taps the photo's row.
    ASSERT_TRUE(driver.press("beach.png"));
    driver.advance(0.5); // the picker's dismissal
    EXPECT_TRUE(log.contains("didFinishPickingMediaWithInfo"));
    EXPECT_EQ(board->modalViewController(), nullptr);
    auto background = board->mainTouchImageView();
    ASSERT_EQ(background->children().size(), 10u);
    auto tile = background->children().back();
    EXPECT_EQ(tiles().back(), tile);
    EXPECT_EQ(tile->parent(), background);
    EXPECT_EQ(tile->viewController(), board);
    EXPECT_EQ(tile->type(), std::nullopt);
    EXPECT_EQ(tile->parameters(), std::nullopt);
    EXPECT_EQ(tile->center(), cg::makePoint(160, 85));
    auto source = ui::Image::imageNamed("contact-withoutphoto.png");
    cg::Size size = source->size();
    EXPECT_EQ(tile->frame().size, cg::makeSize(90, 90 * size.height / size.width));
    EXPECT_EQ(tile->origSize(), cg::makeRect(0, 0, 90, 90 * size.height / size.width));
    EXPECT_EQ(tile->imageName(), std::optional<std::string>("image001.png"));
    // The picture itself is written, pixel for pixel.
    auto written = ns::FileManager::contentsAtPath(ns::Sandbox::documentsPath() + "/image001.png");
    ASSERT_TRUE(written);
    EXPECT_TRUE(written->isEqual(*ui::ImagePNGRepresentation(source)));

    // Saved, the tile comes back at the next start.
    board->saveXML(nullptr);
    showBoard();
    ASSERT_EQ(board->mainTouchImageView()->children().size(), 10u);
    auto back = board->mainTouchImageView()->children().back();
    EXPECT_EQ(back->imageName(), std::optional<std::string>("image001.png"));
    EXPECT_EQ(back->center(), cg::makePoint(160, 85));
    ASSERT_TRUE(back->image());
    EXPECT_EQ(back->image()->size(), size);
}

TEST_F(PhotoPicker, TheSheetIsAFormSheetFromTheLibraryVersionThatHasThem)
{
    struct Case
    {
        double version;
        ui::ModalPresentationStyle style;
    } cases[] = {{478.52, ui::ModalPresentationStyle::FullScreen},
                 {478.61, ui::ModalPresentationStyle::FormSheet},
                 {550.52, ui::ModalPresentationStyle::FormSheet}};
    showBoard();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        ns::setCoreFoundationVersionNumber(c.version);
        auto picker = openPicker(*board, driver);
        ASSERT_TRUE(picker);
        EXPECT_EQ(picker->modalPresentationStyle(), c.style);
        picker->cancel();
        driver.advance(0.5);
        EXPECT_EQ(board->modalViewController(), nullptr);
    }
    EXPECT_EQ(board->mainTouchImageView()->children().size(), 9u);
}

TEST_F(PhotoPicker, APhotoThatCannotBeWrittenAddsNoTile)
{
    std::string path = putPhoto("beach.png");
    showBoard();
    std::string documents = ns::Sandbox::documentsPath();
    ASSERT_TRUE(ns::FileManager::removeItemAtPath(documents));
    ASSERT_TRUE(ns::FileManager::writeAtomically(documents, std::string("x")));
    auto picker = openPicker(*board, driver);
    ASSERT_TRUE(picker);
    ns::LogCapture log;
    EXPECT_TRUE(picker->pickPhotoAtPath(path));
    driver.advance(0.5);
    EXPECT_TRUE(log.contains("could not be written"));
    EXPECT_EQ(board->modalViewController(), nullptr);
    EXPECT_EQ(board->mainTouchImageView()->children().size(), 9u);
    ASSERT_TRUE(ns::FileManager::removeItemAtPath(documents));
}

TEST_F(BoardScreen, TheTileScreensTurnTheBoardOverAndTheNewContactListSlidesUp)
{
    showBoard();
    auto tile = board->mainTouchImageView()->children()[0];
    struct Case
    {
        const char* name;
        std::function<void()> open;
        ui::ModalTransitionStyle style;
    } cases[] = {
        {"tile editor", [&] { board->presentTileEditor(tile); }, ui::ModalTransitionStyle::FlipHorizontal},
        {"people list for a tile", [&] { board->presentPeopleList(tile); },
         ui::ModalTransitionStyle::FlipHorizontal},
        {"people list for a new tile", [&] { board->addContactButtonAction(nullptr); },
         ui::ModalTransitionStyle::CoverVertical},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.open();
        ASSERT_TRUE(board->modalViewController());
        EXPECT_EQ(board->modalViewController()->modalTransitionStyle(), c.style);
        // The presentation and the dismissal take that transition's time.
        ns::TimeInterval duration = ui::ViewController::transitionDuration(c.style);
        driver.advance(duration - 0.01);
        EXPECT_TRUE(board->isInTransition());
        driver.advance(0.01);
        EXPECT_FALSE(board->isInTransition());
        board->dismissSettingsView();
        driver.advance(duration - 0.01);
        EXPECT_TRUE(board->isInTransition());
        driver.advance(0.01);
        EXPECT_FALSE(board->isInTransition());
        EXPECT_EQ(board->modalViewController(), nullptr);
    }
}

} // namespace
