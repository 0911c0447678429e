#include "BoardFixture.h"

#include "board/TouchImageBadgeView.h"
#include "foundation/RunLoop.h"

#include "system/MessageComposeViewController.h"
#include "testing/LoopbackServer.h"
#include "uikit/Color.h"
#include "uikit/Event.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/StringDrawing.h"
#include "uikit/Touch.h"
#include <cmath>

namespace {

using PhotoTile = BoardFixture;

// A tile of the default board made into a "tel" tile.
ns::Ref<TouchImageView> telTile(VelmoViewController& board, std::size_t index = 0)
{
    auto tile = board.mainTouchImageView()->children()[index];
    tile->setType(std::string("tel"));
    tile->setParameters(std::string("tel:5551234"));
    return tile;
}

struct Screens
{
    int peopleLists = 0;
    int editors = 0;
};

void countScreens(VelmoViewController& board, Screens& screens)
{
    board.setPeopleListFactory([&screens](const ns::Ref<TouchImageView>&, VelmoViewController&) {
        ++screens.peopleLists;
        return ns::Ref<ui::ViewController>();
    });
    board.setTileEditorFactory([&screens](const ns::Ref<TouchImageView>&, VelmoViewController&) {
        ++screens.editors;
        return ns::Ref<ui::ViewController>();
    });
}

TEST_F(PhotoTile, ATapCallsAfterTheDelayAndADoubleTapOpensThePeopleListInstead)
{
    showBoard();
    Screens screens;
    countScreens(*board, screens);
    auto tile = telTile(*board);
    driver.tap(tile->center());
    EXPECT_EQ(tile->alpha(), 1.0f);
    clock.advance(0.39);
    EXPECT_TRUE(opened().empty());
    clock.advance(0.02);
    ASSERT_EQ(opened(), std::vector<std::string>{"tel:5551234"});

    driver.doubleTap(tile->center());
    clock.advance(1);
    EXPECT_EQ(opened().size(), 1u);
    EXPECT_EQ(screens.peopleLists, 1);
}

TEST_F(PhotoTile, TouchDownDimsAndTheBackgroundNeitherDimsNorActs)
{
    showBoard();
    auto tile = telTile(*board);
    auto touches = driver.touchDown({tile->center()});
    EXPECT_EQ(tile->alpha(), 0.5f);
    driver.touchUp(touches);
    EXPECT_EQ(tile->alpha(), 1.0f);
    clock.advance(1);
    auto background = board->mainTouchImageView();
    auto down = driver.touchDown({cg::makePoint(160, 400)});
    EXPECT_EQ(background->alpha(), 1.0f);
    driver.touchUp(down);
    clock.advance(1);
    EXPECT_EQ(opened().size(), 1u);
}

TEST_F(PhotoTile, ACancelledTouchDoesNotCall)
{
    showBoard();
    auto tile = telTile(*board);
    driver.touchDown({tile->center()});
    driver.cancelAll();
    EXPECT_EQ(tile->alpha(), 1.0f);
    clock.advance(1);
    EXPECT_TRUE(opened().empty());
}

TEST_F(PhotoTile, ATwoFingerTapCallsOnce)
{
    showBoard();
    auto tile = telTile(*board, 4);
    cg::Point c = tile->center();
    auto touches = driver.touchDown({cg::makePoint(c.x - 10, c.y), cg::makePoint(c.x + 10, c.y)});
    driver.touchUp({touches[0]});
    driver.touchUp({touches[1]});
    clock.advance(1);
    EXPECT_EQ(opened().size(), 1u);
}

TEST_F(PhotoTile, AnSmsTileAddressesTheComposerWithoutItsScheme)
{
    showBoard();
    auto tile = board->mainTouchImageView()->children()[0];
    tile->setType(std::string("sms"));
    tile->setParameters(std::string("sms:+15550100"));
    tile->launchAction();
    auto composer = ns::cast<mui::MessageComposeViewController>(board->presentedViewController());
    ASSERT_TRUE(composer);
    EXPECT_EQ(composer->recipients(), std::vector<std::string>{"+15550100"});
    EXPECT_EQ(composer->body(), "");
    ns::LogCapture log;
    composer->send();
    EXPECT_TRUE(log.contains("It's away!"));
}

TEST_F(PhotoTile, WebUnknownAndHttpActions)
{
    testkit::LoopbackServer server;
    server.route("/ping", testkit::ScriptedReply::text(200, "pong"));
    ASSERT_TRUE(server.start());
    showBoard();
    Screens screens;
    countScreens(*board, screens);
    auto tiles = board->mainTouchImageView()->children();
    ns::LogCapture log;
    tiles[3]->launchAction();
    EXPECT_EQ(opened().back(), tiles[3]->parameters());
    tiles[0]->launchAction();
    EXPECT_EQ(screens.peopleLists, 1);
    tiles[1]->setType(std::string("http"));
    tiles[1]->setParameters(server.url("/ping"));
    tiles[1]->launchAction();
    EXPECT_TRUE(log.contains("retour: 4 bytes"));
    EXPECT_TRUE(log.contains("type: http"));
}

TEST_F(PhotoTile, AWebRequestTileLogsNoCredentialsNoQueryValuesAndNoReplyBytes)
{
    testkit::LoopbackServer server;
    server.route("/ping", testkit::ScriptedReply::text(200, std::string(5000, 'p')));
    ASSERT_TRUE(server.start());
    showBoard();
    auto tile = board->mainTouchImageView()->children()[1];
    tile->setType(std::string("http"));
    std::string address = server.url("/ping");
    std::string withUser = address;
    withUser.insert(withUser.find("://") + 3, "anna:s3cret@");
    tile->setParameters(withUser + "?apikey=k1&flag&q=x#top");
    ns::LogCapture log;
    tile->launchAction();
    EXPECT_TRUE(log.contains("opening " + address + "?apikey=&flag&q="));
    EXPECT_FALSE(log.contains("s3cret"));
    EXPECT_FALSE(log.contains("anna"));
    EXPECT_FALSE(log.contains("k1"));
    EXPECT_TRUE(log.contains("retour: 5000 bytes"));
    EXPECT_FALSE(log.contains("ppp"));
}

TEST_F(PhotoTile, OneFingerInEditModeMovesTheTileAndItsChildren)
{
    showBoard();
    board->editAction(nullptr);
    auto background = board->mainTouchImageView();
    auto tile = background->children()[4];
    tile->setMovable(true);
    cg::Point start = tile->center();
    driver.drag(start, cg::makePoint(start.x + 30, start.y - 12), 4);
    EXPECT_EQ(board->selectedTouchImage(), tile);
    cg::AffineTransform moved = tile->originalTransform();
    EXPECT_FLOAT_EQ(moved.tx, 30);
    EXPECT_FLOAT_EQ(moved.ty, -12);
    EXPECT_EQ(tile->transform(), moved);

    // The background carries its children while the drag lasts and puts everything back at the end.
    bool childFollowed = false;
    auto touches = driver.touchDown({cg::makePoint(160, 390)});
    driver.touchMove({{touches[0], cg::makePoint(170, 390)}});
    childFollowed = background->children()[0]->transform().tx == 10;
    driver.touchUp(touches);
    EXPECT_TRUE(childFollowed);
    EXPECT_TRUE(background->children()[0]->transform().isIdentity());
    EXPECT_TRUE(background->transform().isIdentity());
}

TEST_F(PhotoTile, TwoFingersGiveTheClosedFormSimilarity)
{
    showBoard();
    auto tile = board->mainTouchImageView()->children()[4];
    cg::Point c = tile->center();
    // Touches live in window coordinates; the tile's centre is in the board's.
    auto inWindow = [&](float dx, float dy) {
        return board->view()->convertPointToView(cg::makePoint(c.x + dx, c.y + dy), window.get());
    };
    auto touch = [&](float bx, float by, float nx, float ny) {
        auto t = ui::Touch::create();
        t->setView(tile);
        t->setWindow(window);
        t->setLocation(inWindow(bx, by));
        ui::TouchSet set{t};
        tile->cacheBeginPointForTouches(set);
        t->moveTo(inWindow(nx, ny));
        return t;
    };
    // A quarter turn: (1, 0) and (-1, 0) go to (0, 1) and (0, -1).
    ui::TouchSet turn{touch(1, 0, 0, 1), touch(-1, 0, 0, -1)};
    cg::AffineTransform t = tile->incrementalTransformWithTouches(turn);
    EXPECT_NEAR(t.a, 0, 1e-6);
    EXPECT_NEAR(t.b, 1, 1e-6);
    EXPECT_NEAR(t.c, -1, 1e-6);
    EXPECT_NEAR(t.d, 0, 1e-6);
    EXPECT_NEAR(t.tx, 0, 1e-6);
    EXPECT_NEAR(t.ty, 0, 1e-6);

    // Begin points closer than the threshold act as one finger.
    ui::TouchSet close{touch(0, 0, 5, 7), touch(0.2f, 0.2f, 40, 40)};
    cg::AffineTransform single = tile->incrementalTransformWithTouches(close);
    // Which finger leads depends on the touches' addresses; either way it is a plain translation.
    auto near = [](float a, float b) { return std::fabs(a - b) < 1e-3f; };
    bool linearIdentity = single.a == 1 && single.b == 0 && single.c == 0 && single.d == 1;
    bool oneFinger = linearIdentity && ((near(single.tx, 5) && near(single.ty, 7)) ||
                                        (near(single.tx, 39.8f) && near(single.ty, 39.8f)));
    EXPECT_TRUE(oneFinger);

    // A doubling about the centre maps both fingers onto their new places.
    ui::TouchSet pinch{touch(10, 0, 20, 0), touch(-10, 0, -20, 0)};
    cg::AffineTransform scale = tile->incrementalTransformWithTouches(pinch);
    EXPECT_NEAR(scale.a, 2, 1e-5);
    EXPECT_NEAR(scale.d, 2, 1e-5);
    EXPECT_NEAR(scale.b, 0, 1e-5);
}

TEST_F(PhotoTile, ADoubleTapInEditModeSettlesTheGestureBeforeTheEditorOpens)
{
    showBoard();
    Screens screens;
    countScreens(*board, screens);
    board->editAction(nullptr);
    auto tile = board->mainTouchImageView()->children()[4];
    tile->setMovable(true);
    cg::Point c = tile->center();
    driver.tap(c);
    auto touches = driver.touchDown({c});
    ASSERT_EQ(touches[0]->tapCount(), 2);
    driver.touchMove({{touches[0], cg::makePoint(c.x + 3, c.y)}});
    driver.touchUp(touches);
    EXPECT_EQ(screens.editors, 1);
    EXPECT_FLOAT_EQ(tile->originalTransform().tx, 3);
    EXPECT_EQ(tile->transform(), tile->originalTransform());
    EXPECT_FALSE(tile->hasCachedBeginPoint(touches[0].get()));
}

TEST_F(PhotoTile, LayoutPlacesTheBadgeAndTheTitle)
{
    showBoard();
    auto tile = board->mainTouchImageView()->children()[0];
    tile->setBadgeString(std::string("mobile"));
    tile->setTitle(std::string("Anna"));
    tile->layoutSubviews();
    EXPECT_FALSE(tile->badge()->isHidden());
    // The badge fits its text in bold 11, as the platform measures it, 5 points from the tile's corner.
    cg::Size text = ui::sizeWithFont("mobile", *ui::Font::boldSystemFontOfSize(11));
    ASSERT_GT(text.width, 0);
    ASSERT_GT(text.height, 0);
    EXPECT_EQ(tile->badge()->frame(),
              cg::makeRect(90 - (text.width + 10), 90 - (text.height + 6), text.width + 5, text.height));
    float r = 0, g = 0, b = 0, a = 0;
    tile->badge()->badgeColor()->getRed(&r, &g, &b, &a);
    EXPECT_FLOAT_EQ(r, 1.0f);
    EXPECT_FLOAT_EQ(g, 0.8f);
    EXPECT_NEAR(b, 0.0392f, 1e-3);
    EXPECT_FALSE(tile->labelView()->isHidden());
    EXPECT_EQ(tile->labelView()->frame().origin.y, 90);
    tile->setBadgeString(std::string());
    tile->layoutSubviews();
    EXPECT_TRUE(tile->badge()->isHidden());
}

} // namespace
