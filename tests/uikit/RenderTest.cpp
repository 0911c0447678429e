#include "UIFixture.h"

#include "graphics/BitmapContext.h"
#include "uikit/Image.h"
#include "uikit/Label.h"
#include "uikit/Render.h"

#include <filesystem>

namespace {

cg::Color probe(const ns::Ref<cg::BitmapContext>& pixels, int x, int y)
{
    return pixels ? pixels->pixel(std::size_t(x), std::size_t(y)) : cg::Color{-1, -1, -1, -1};
}

void expectColor(cg::Color actual, cg::Color expected)
{
    EXPECT_NEAR(actual.red, expected.red, 0.02);
    EXPECT_NEAR(actual.green, expected.green, 0.02);
    EXPECT_NEAR(actual.blue, expected.blue, 0.02);
    EXPECT_NEAR(actual.alpha, expected.alpha, 0.02);
}

} // namespace

using Render = UIFixture;

TEST_F(Render, DrawsBordersBackgroundsAndSkipsHiddenViews)
{
    auto boxed = ui::View::create(cg::makeRect(50, 100, 100, 100));
    boxed->setBackgroundColor(ui::Color::whiteColor());
    boxed->layer()->setBorderColor(ui::Color::redColor());
    boxed->layer()->setBorderWidth(4);
    auto hidden = ui::View::create(cg::makeRect(200, 100, 50, 50));
    hidden->setBackgroundColor(ui::Color::blueColor());
    hidden->setHidden(true);
    auto green = ui::View::create(cg::makeRect(200, 300, 50, 50));
    green->setBackgroundColor(ui::Color::greenColor());
    green->setAlpha(0.5f);
    auto turned = ui::View::create(cg::makeRect(60, 300, 40, 20));
    turned->setBackgroundColor(ui::Color::blackColor());
    turned->setTransform(cg::AffineTransform::rotation(1.5707964f)); // now 20 wide, 40 high about (80, 310)
    window->addSubview(boxed);
    window->addSubview(hidden);
    window->addSubview(green);
    window->addSubview(turned);

    auto png = ui::renderBitmap(*window, 1);
    ASSERT_TRUE(png);
    struct Case
    {
        const char* name;
        int x, y;
        cg::Color color;
    };
    const Case cases[] = {
        {"border, left edge", 51, 150, {1, 0, 0, 1}},
        {"border, bottom edge", 100, 198, {1, 0, 0, 1}},
        {"inside the border", 100, 150, {1, 1, 1, 1}},
        {"hidden view shows what is under it", 225, 125, {1, 1, 1, 1}},
        {"half transparent green over white", 225, 325, {0.5f, 1, 0.5f, 1}},
        {"turned view, inside its new height", 80, 292, {0, 0, 0, 1}},
        {"turned view, outside its new width", 65, 310, {1, 1, 1, 1}},
        {"status bar", 300, 5, {0.1f, 0.1f, 0.1f, 1}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        expectColor(probe(png, row.x, row.y), row.color);
    }

    // Twice the pixels at scale 2.
    auto big = ui::renderBitmap(*window, 2);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->width(), 640u);
    expectColor(probe(big, 102, 300), {1, 0, 0, 1});
    EXPECT_FALSE(ui::renderBitmap(*window, 3));
}

TEST_F(Render, ACollapsedViewIsNeitherDrawnNorTouched)
{
    auto collapsed = ui::View::create(cg::makeRect(0, 0, 320, 480));
    collapsed->setBackgroundColor(ui::Color::blackColor());
    collapsed->setTransform(cg::AffineTransform{0, 0, 0, 0, 0, 0});
    auto after = ui::View::create(cg::makeRect(100, 100, 50, 50));
    after->setBackgroundColor(ui::Color::redColor());
    window->addSubview(collapsed);
    window->addSubview(after);
    auto pixels = ui::renderBitmap(*window, 1);
    expectColor(probe(pixels, 10, 300), {1, 1, 1, 1});
    expectColor(probe(pixels, 120, 120), {1, 0, 0, 1});
    EXPECT_EQ(window->hitTest(cg::makePoint(10, 300), nullptr), window);
}
TEST_F(Render, WritesAFileAtomically)
{
    auto label = ui::Label::create(cg::makeRect(10, 40, 200, 30));
    label->setText("Hello");
    window->addSubview(label);
    std::string path = home.file("shot.png");
    ASSERT_TRUE(ui::renderToFile(*window, 1, path));
    auto image = ui::Image::imageWithContentsOfFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (cg::Size{320, 480}));
    EXPECT_FALSE(ui::renderToFile(*window, 1, home.file("missing/folder/shot.png")));
}

TEST_F(Render, ALayerRendersIntoAContext)
{
    auto layer = ui::Layer::create();
    layer->setFrame(cg::makeRect(0, 0, 40, 20));
    layer->setBackgroundColor(ui::Color::redColor());
    layer->setCornerRadius(8);
    auto context = cg::BitmapContext::create(40, 20, 8, 0, cg::ColorSpace::RGB,
                                             cg::AlphaInfo::PremultipliedFirst, cg::Origin::TopLeft);
    layer->renderInContext(*context);
    expectColor(context->pixel(20, 10), {1, 0, 0, 1});
    EXPECT_LT(context->pixel(0, 0).alpha, 0.1);

    // A view's layer draws the view and its subviews where the context's origin is.
    auto view = ui::View::create(cg::makeRect(100, 100, 40, 20));
    view->setBackgroundColor(ui::Color::blueColor());
    auto dot = ui::View::create(cg::makeRect(30, 10, 10, 10));
    dot->setBackgroundColor(ui::Color::greenColor());
    view->addSubview(dot);
    auto second = cg::BitmapContext::create(40, 20, 8, 0, cg::ColorSpace::RGB,
                                            cg::AlphaInfo::PremultipliedFirst, cg::Origin::TopLeft);
    view->layer()->renderInContext(*second);
    expectColor(second->pixel(5, 5), {0, 0, 1, 1});
    expectColor(second->pixel(35, 15), {0, 1, 0, 1});
    EXPECT_EQ(view->layer()->frame(), view->frame());
}
