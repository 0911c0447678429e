#include "board/ImageAlpha.h"
#include "board/ImageResize.h"
#include "board/ImageRoundedCorner.h"
#include "foundation/Exception.h"
#include "graphics/BitmapContext.h"
#include "uikit/Image.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Paint = std::function<cg::Color(std::size_t x, std::size_t y)>; // y counted from the top row

ns::Ref<cg::Image> pixels(std::size_t width, std::size_t height, const Paint& paint, bool alpha = false)
{
    auto context = cg::BitmapContext::create(
        width, height, 8, 0, cg::ColorSpace::RGB,
        alpha ? cg::AlphaInfo::PremultipliedFirst : cg::AlphaInfo::NoneSkipFirst, cg::Origin::TopLeft);
    for (std::size_t y = 0; y < height; ++y)
        for (std::size_t x = 0; x < width; ++x) {
            context->setFillColor(paint(x, y));
            context->fillRect(cg::makeRect(float(x), float(y), 1, 1));
        }
    return context->makeImage();
}

ns::Ref<ui::Image> picture(std::size_t width, std::size_t height, const Paint& paint,
                           ui::ImageOrientation orientation = ui::ImageOrientation::Up)
{
    return ui::Image::imageWithCGImage(pixels(width, height, paint), 1, orientation);
}

ns::Ref<ui::Image> solid(std::size_t width, std::size_t height, cg::Color color)
{
    return picture(width, height, [color](std::size_t, std::size_t) { return color; });
}

const cg::Color red{1, 0, 0, 1};
const cg::Color green{0, 1, 0, 1};
const cg::Color blue{0, 0, 1, 1};
const cg::Color white{1, 1, 1, 1};

void expectNear(cg::Color actual, cg::Color expected, float tolerance = 0.05f)
{
    EXPECT_NEAR(actual.red, expected.red, tolerance);
    EXPECT_NEAR(actual.green, expected.green, tolerance);
    EXPECT_NEAR(actual.blue, expected.blue, tolerance);
    EXPECT_NEAR(actual.alpha, expected.alpha, tolerance);
}

} // namespace

TEST(ImageAlpha, ImageWithAlphaKeepsAnImageThatHasAlpha)
{
    auto withAlpha = ui::Image::imageWithCGImage(pixels(
        4, 4, [](auto, auto) { return red; }, true));
    EXPECT_TRUE(ImageAlpha::hasAlpha(withAlpha));
    EXPECT_EQ(ImageAlpha::imageWithAlpha(withAlpha), withAlpha);
}

TEST(ImageAlpha, ImageWithAlphaRedrawsAnOpaqueImage)
{
    auto opaque = solid(5, 3, green);
    EXPECT_FALSE(ImageAlpha::hasAlpha(opaque));
    auto withAlpha = ImageAlpha::imageWithAlpha(opaque);
    ASSERT_TRUE(withAlpha);
    EXPECT_NE(withAlpha, opaque);
    EXPECT_TRUE(ImageAlpha::hasAlpha(withAlpha));
    EXPECT_EQ(withAlpha->CGImage()->alphaInfo(), cg::AlphaInfo::PremultipliedFirst);
    EXPECT_EQ(withAlpha->size(), cg::makeSize(5, 3));
    expectNear(withAlpha->CGImage()->pixel(4, 2), green, 0.01f);
    EXPECT_FALSE(ImageAlpha::hasAlpha(opaque)); // the receiver is unchanged
}

TEST(ImageAlpha, BorderMaskIsBlackOutsideAndWhiteInside)
{
    auto mask = ImageAlpha::newBorderMask(2, cg::makeSize(10, 8));
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->colorSpace(), cg::ColorSpace::Gray);
    EXPECT_EQ(mask->width(), 10u);
    EXPECT_EQ(mask->height(), 8u);
    struct Probe
    {
        std::size_t x, y;
        float level;
    } probes[] = {{0, 0, 0}, {1, 4, 0}, {2, 4, 1}, {7, 5, 1}, {8, 4, 0}, {5, 1, 0}, {5, 2, 1}, {5, 6, 0}};
    for (auto& probe : probes) {
        SCOPED_TRACE(std::to_string(probe.x) + "," + std::to_string(probe.y));
        EXPECT_NEAR(mask->pixel(probe.x, probe.y).red, probe.level, 0.01f);
    }
}

TEST(ImageAlpha, TransparentBorderSurroundsThePicture)
{
    auto bordered = ImageAlpha::transparentBorderImage(solid(10, 8, red), 3);
    ASSERT_TRUE(bordered);
    EXPECT_EQ(bordered->size(), cg::makeSize(16, 14));
    const cg::Image& image = *bordered->CGImage();
    EXPECT_NEAR(image.pixel(0, 0).alpha, 0, 0.01f);
    EXPECT_NEAR(image.pixel(2, 7).alpha, 0, 0.01f);
    EXPECT_NEAR(image.pixel(13, 7).alpha, 0, 0.01f);
    EXPECT_NEAR(image.pixel(8, 13).alpha, 0, 0.01f);
    expectNear(image.pixel(3, 3), red, 0.01f);
    expectNear(image.pixel(12, 10), red, 0.01f);
}

TEST(ImageResize, AspectFitAndFill)
{
    auto image = solid(300, 200, blue);
    struct Row
    {
        const char* name;
        ui::ContentMode mode;
        cg::Size bounds;
        cg::Size expected;
    } rows[] = {
        {"fit in a square", ui::ContentMode::ScaleAspectFit, {100, 100}, {100, 67}},
        {"fill a square", ui::ContentMode::ScaleAspectFill, {100, 100}, {150, 100}},
        {"fit in a tall box", ui::ContentMode::ScaleAspectFit, {60, 300}, {60, 40}},
        {"fill a tall box", ui::ContentMode::ScaleAspectFill, {60, 300}, {450, 300}},
        {"fit larger", ui::ContentMode::ScaleAspectFit, {600, 600}, {600, 400}},
    };
    for (auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto resized = ImageResize::resizedImageWithContentMode(image, row.mode, row.bounds,
                                                                cg::InterpolationQuality::High);
        ASSERT_TRUE(resized);
        EXPECT_EQ(resized->size(), row.expected);
        expectNear(resized->CGImage()->pixel(std::size_t(row.expected.width / 2),
                                             std::size_t(row.expected.height / 2)),
                   blue);
    }
    EXPECT_EQ(image->size(), cg::makeSize(300, 200));
}

TEST(ImageResize, OtherContentModesRaise)
{
    auto image = solid(3, 3, blue);
    for (auto mode : {ui::ContentMode::ScaleToFill, ui::ContentMode::Center, ui::ContentMode::BottomRight}) {
        try {
            ImageResize::resizedImageWithContentMode(image, mode, {10, 10},
                                                     cg::InterpolationQuality::Default);
            ADD_FAILURE() << "no exception for mode " << int(mode);
        } catch (const ns::Exception& exception) {
            EXPECT_EQ(exception.name(), ns::InvalidArgumentException);
            EXPECT_EQ(exception.reason(), "Unsupported content mode: " + std::to_string(int(mode)));
        }
    }
}

TEST(ImageResize, ThumbnailFillsThenCropsTheMiddle)
{
    // Red up to x = 50, green to x = 250, blue after: scaled by a half and cut at x = 25, only green shows.
    auto image = picture(300, 200, [](std::size_t x, std::size_t) {
        return x < 50 ? red : x < 250 ? green : blue;
    });
    auto filled = ImageResize::resizedImageWithContentMode(image, ui::ContentMode::ScaleAspectFill,
                                                           {100, 100}, cg::InterpolationQuality::High);
    ASSERT_TRUE(filled);
    EXPECT_EQ(filled->size(), cg::makeSize(150, 100));

    auto thumbnail = ImageResize::thumbnailImage(image, 100, 0, 0, cg::InterpolationQuality::High);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->size(), cg::makeSize(100, 100));
    const cg::Image& pixels = *thumbnail->CGImage();
    for (std::size_t x : {0u, 1u, 50u, 98u, 99u}) {
        SCOPED_TRACE(x);
        cg::Color pixel = pixels.pixel(x, 50);
        EXPECT_GT(pixel.green, 0.9f);
        EXPECT_LT(pixel.red, 0.1f);
        EXPECT_LT(pixel.blue, 0.1f);
    }
    // The same cut by hand.
    auto byHand = ImageResize::croppedImage(filled, cg::makeRect(25, 0, 100, 100));
    ASSERT_TRUE(byHand);
    EXPECT_EQ(byHand->size(), cg::makeSize(100, 100));
    expectNear(byHand->CGImage()->pixel(0, 10), pixels.pixel(0, 10), 0.02f);
}

TEST(ImageResize, ThumbnailWithBorderAndCorners)
{
    auto thumbnail =
        ImageResize::thumbnailImage(solid(40, 80, red), 20, 2, 4, cg::InterpolationQuality::Default);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->size(), cg::makeSize(24, 24));
    const cg::Image& pixels = *thumbnail->CGImage();
    EXPECT_NEAR(pixels.pixel(1, 12).alpha, 0, 0.01f); // the transparent border
    EXPECT_NEAR(pixels.pixel(2, 2).alpha, 0, 0.01f);  // a rounded corner
    expectNear(pixels.pixel(12, 12), red, 0.01f);
    expectNear(pixels.pixel(2, 12), red, 0.01f);
}

TEST(ImageResize, CroppedImageIsThePartInside)
{
    auto image =
        picture(10, 10, [](std::size_t x, std::size_t y) { return x < 5 ? (y < 5 ? red : green) : blue; });
    auto cropped = ImageResize::croppedImage(image, cg::makeRect(0, 5, 5, 5));
    ASSERT_TRUE(cropped);
    EXPECT_EQ(cropped->size(), cg::makeSize(5, 5));
    expectNear(cropped->CGImage()->pixel(0, 0), green, 0.01f);
    expectNear(cropped->CGImage()->pixel(4, 4), green, 0.01f);
    EXPECT_FALSE(ImageResize::croppedImage(image, cg::makeRect(20, 20, 5, 5)));
}

TEST(ImageResize, OrientationTransforms)
{
    const cg::Size size{30, 20};
    struct Row
    {
        const char* name;
        ui::ImageOrientation orientation;
        cg::AffineTransform expected;
    } rows[] = {
        {"up", ui::ImageOrientation::Up, {1, 0, 0, 1, 0, 0}},
        {"down", ui::ImageOrientation::Down, {-1, 0, 0, -1, 30, 20}},
        {"left", ui::ImageOrientation::Left, {0, 1, -1, 0, 30, 0}},
        {"right", ui::ImageOrientation::Right, {0, -1, 1, 0, 0, 20}},
        {"up mirrored", ui::ImageOrientation::UpMirrored, {-1, 0, 0, 1, 30, 0}},
        {"down mirrored", ui::ImageOrientation::DownMirrored, {1, 0, 0, -1, 0, 20}},
        {"left mirrored", ui::ImageOrientation::LeftMirrored, {0, -1, -1, 0, 30, 20}},
        {"right mirrored", ui::ImageOrientation::RightMirrored, {0, 1, 1, 0, 0, 0}},
    };
    for (auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto image = solid(2, 2, red);
        image = ui::Image::imageWithCGImage(image->CGImage(), 1, row.orientation);
        cg::AffineTransform t = ImageResize::transformForOrientation(image, size);
        EXPECT_NEAR(t.a, row.expected.a, 1e-5);
        EXPECT_NEAR(t.b, row.expected.b, 1e-5);
        EXPECT_NEAR(t.c, row.expected.c, 1e-5);
        EXPECT_NEAR(t.d, row.expected.d, 1e-5);
        EXPECT_NEAR(t.tx, row.expected.tx, 1e-4);
        EXPECT_NEAR(t.ty, row.expected.ty, 1e-4);
    }
}

TEST(ImageResize, ResizingTurnsEveryOrientationUpright)
{
    // Four coloured quarters tell every turn and flip apart.
    Paint quarters = [](std::size_t x, std::size_t y) {
        return y < 4 ? (x < 6 ? red : green) : (x < 6 ? blue : white);
    };
    for (int o = 0; o < 8; ++o) {
        SCOPED_TRACE(o);
        auto image = picture(12, 8, quarters, ui::ImageOrientation(o));
        auto resized = ImageResize::resizedImage(image, image->size(), cg::InterpolationQuality::None);
        auto upright = image->upright();
        ASSERT_TRUE(resized);
        ASSERT_TRUE(upright);
        ASSERT_EQ(resized->size(), upright->size());
        EXPECT_EQ(resized->imageOrientation(), ui::ImageOrientation::Up);
        std::size_t w = std::size_t(upright->size().width), h = std::size_t(upright->size().height);
        for (std::size_t y : {std::size_t(1), h - 2})
            for (std::size_t x : {std::size_t(1), w - 2})
                expectNear(resized->CGImage()->pixel(x, y), upright->CGImage()->pixel(x, y), 0.01f);
    }
}

TEST(ImageRoundedCorner, RadiusZeroClipsToThePlainInnerRectangle)
{
    auto rounded = ImageRoundedCorner::roundedCornerImage(solid(20, 20, red), 0, 2);
    ASSERT_TRUE(rounded);
    EXPECT_EQ(rounded->size(), cg::makeSize(20, 20));
    const cg::Image& pixels = *rounded->CGImage();
    EXPECT_NEAR(pixels.pixel(1, 1).alpha, 0, 0.01f);
    EXPECT_NEAR(pixels.pixel(18, 10).alpha, 0, 0.01f);
    expectNear(pixels.pixel(2, 2), red, 0.01f); // the corner is square
    expectNear(pixels.pixel(17, 17), red, 0.01f);
    expectNear(pixels.pixel(2, 17), red, 0.01f);
}

TEST(ImageRoundedCorner, CornersAreCutWithTheRadius)
{
    auto rounded = ImageRoundedCorner::roundedCornerImage(solid(40, 40, green), 10, 0);
    ASSERT_TRUE(rounded);
    const cg::Image& pixels = *rounded->CGImage();
    for (auto corner : {std::pair<std::size_t, std::size_t>{0, 0}, {39, 0}, {0, 39}, {39, 39}, {2, 2}})
        EXPECT_NEAR(pixels.pixel(corner.first, corner.second).alpha, 0, 0.01f);
    expectNear(pixels.pixel(0, 20), green, 0.01f);
    expectNear(pixels.pixel(20, 0), green, 0.01f);
    expectNear(pixels.pixel(5, 5), green, 0.1f);
    expectNear(pixels.pixel(20, 20), green, 0.01f);
}

TEST(ImageRoundedCorner, ABorderThatLeavesNothingGivesATransparentImage)
{
    auto rounded = ImageRoundedCorner::roundedCornerImage(solid(6, 6, red), 2, 3);
    ASSERT_TRUE(rounded);
    EXPECT_NEAR(rounded->CGImage()->pixel(3, 3).alpha, 0, 0.01f);
}
