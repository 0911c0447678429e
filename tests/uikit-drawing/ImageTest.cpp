#include "uikit/Image.h"
#include "foundation/Data.h"
#include "graphics/BitmapContext.h"
#include "graphics/ImageCodec.h"
#include "uikit/GraphicsContext.h"
#include "uikit/Screen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

using ui::Image;
using ui::ImageOrientation;

namespace {

const cg::Color red{1, 0, 0, 1};
const cg::Color green{0, 1, 0, 1};
const cg::Color blue{0, 0, 1, 1};
const cg::Color white{1, 1, 1, 1};

// A 3 by 2 picture: top row red, green, blue; bottom row white, white, white.
ns::Ref<cg::Image> marker()
{
    auto context = cg::BitmapContext::create(3, 2, 8, 0, cg::ColorSpace::RGB,
                                             cg::AlphaInfo::PremultipliedFirst, cg::Origin::TopLeft);
    const cg::Color top[] = {red, green, blue};
    for (int x = 0; x < 3; ++x) {
        context->setFillColor(top[x]);
        context->fillRect(cg::makeRect(float(x), 0, 1, 1));
    }
    context->setFillColor(white);
    context->fillRect(cg::makeRect(0, 1, 3, 1));
    return context->makeImage();
}

char name(cg::Color c)
{
    if (c.alpha < 0.5f)
        return '.';
    if (c.red > 0.5f && c.green > 0.5f && c.blue > 0.5f)
        return 'W';
    if (c.red > 0.5f)
        return 'R';
    if (c.green > 0.5f)
        return 'G';
    if (c.blue > 0.5f)
        return 'B';
    return '?';
}

// The picture's pixels, row by row, as letters.
std::string letters(const cg::Image& image)
{
    std::string out;
    for (std::size_t y = 0; y < image.height(); ++y) {
        if (y)
            out += '/';
        for (std::size_t x = 0; x < image.width(); ++x)
            out += name(image.pixel(x, y));
    }
    return out;
}

struct ScaleScope
{
    explicit ScaleScope(float scale) { ui::Screen::mainScreen()->setScale(scale); }
    ~ScaleScope() { ui::Screen::mainScreen()->setScale(1); }
};

} // namespace

TEST(Image, DrawsTheEightOrientationsUpright)
{
    struct Row
    {
        ImageOrientation orientation;
        cg::Size size;
        const char* shown;
    };
    // Stored:  RGB
    //          WWW
    const Row rows[] = {
        {ImageOrientation::Up, {3, 2}, "RGB/WWW"},
        {ImageOrientation::Down, {3, 2}, "WWW/BGR"},
        {ImageOrientation::Left, {2, 3}, "BW/GW/RW"},
        {ImageOrientation::Right, {2, 3}, "WR/WG/WB"},
        {ImageOrientation::UpMirrored, {3, 2}, "BGR/WWW"},
        {ImageOrientation::DownMirrored, {3, 2}, "WWW/RGB"},
        {ImageOrientation::LeftMirrored, {2, 3}, "RW/GW/BW"},
        {ImageOrientation::RightMirrored, {2, 3}, "WB/WG/WR"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.orientation));
        auto image = Image::imageWithCGImage(marker(), 1, row.orientation);
        EXPECT_EQ(image->size(), row.size);
        // Drawn through an image context...
        ui::beginImageContext(row.size);
        image->drawInRect(cg::makeRect(0, 0, row.size.width, row.size.height));
        auto drawn = ui::imageFromCurrentImageContext();
        ui::endImageContext();
        ASSERT_TRUE(drawn);
        EXPECT_EQ(letters(*drawn->CGImage()), row.shown);
        // ...and as PNG bytes, which keep no orientation.
        auto png = Image::imageWithData(ui::ImagePNGRepresentation(image));
        ASSERT_TRUE(png);
        EXPECT_EQ(png->imageOrientation(), ImageOrientation::Up);
        EXPECT_EQ(letters(*png->CGImage()), row.shown);
    }
}

// The drawing model's way of making a picture upright: a bottom-left bitmap, a transform per orientation,
// and the stored pixels drawn into the rectangle, width and height swapped for the turned ones.
TEST(Image, BottomLeftBitmapsTurnPicturesTheSameWay)
{
    struct Row
    {
        ImageOrientation orientation;
        const char* shown;
    };
    const Row rows[] = {
        {ImageOrientation::Up, "RGB/WWW"},
        {ImageOrientation::Down, "WWW/BGR"},
        {ImageOrientation::Left, "BW/GW/RW"},
        {ImageOrientation::Right, "WR/WG/WB"},
        {ImageOrientation::UpMirrored, "BGR/WWW"},
        {ImageOrientation::DownMirrored, "WWW/RGB"},
        {ImageOrientation::LeftMirrored, "RW/GW/BW"},
        {ImageOrientation::RightMirrored, "WB/WG/WR"},
    };
    const float pi = float(M_PI);
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.orientation));
        auto image = Image::imageWithCGImage(marker(), 1, row.orientation);
        float w = image->size().width, h = image->size().height;
        auto o = row.orientation;
        cg::AffineTransform t;
        if (o == ImageOrientation::Down || o == ImageOrientation::DownMirrored)
            t = cg::rotate(cg::translate(t, w, h), pi);
        else if (o == ImageOrientation::Left || o == ImageOrientation::LeftMirrored)
            t = cg::rotate(cg::translate(t, w, 0), pi / 2);
        else if (o == ImageOrientation::Right || o == ImageOrientation::RightMirrored)
            t = cg::rotate(cg::translate(t, 0, h), -pi / 2);
        if (o == ImageOrientation::UpMirrored || o == ImageOrientation::DownMirrored)
            t = cg::scale(cg::translate(t, w, 0), -1, 1);
        else if (o == ImageOrientation::LeftMirrored || o == ImageOrientation::RightMirrored)
            t = cg::scale(cg::translate(t, h, 0), -1, 1);
        bool transposed = o == ImageOrientation::Left || o == ImageOrientation::Right ||
                          o == ImageOrientation::LeftMirrored || o == ImageOrientation::RightMirrored;
        auto context = cg::BitmapContext::create(std::size_t(w), std::size_t(h), 8, 0, cg::ColorSpace::RGB,
                                                 cg::AlphaInfo::PremultipliedFirst);
        context->concatCTM(t);
        context->drawImage(transposed ? cg::makeRect(0, 0, h, w) : cg::makeRect(0, 0, w, h),
                           *image->CGImage());
        EXPECT_EQ(letters(*context->makeImage()), row.shown);
    }
}

TEST(Image, SizeIsInPointsAtItsScale)
{
    auto image = Image::imageWithCGImage(marker(), 2, ImageOrientation::Right);
    EXPECT_EQ(image->size(), cg::makeSize(1, 1.5f));
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(image->CGImage()->width(), 3u);
}

TEST(Image, PngAndJpegRoundTrips)
{
    auto image = Image::imageWithCGImage(marker());
    auto png = ui::ImagePNGRepresentation(image);
    ASSERT_TRUE(png);
    auto back = Image::imageWithData(png);
    ASSERT_TRUE(back);
    EXPECT_EQ(letters(*back->CGImage()), "RGB/WWW");

    // A large flat picture keeps its colour through JPEG; lower quality costs fewer bytes.
    ui::beginImageContextWithOptions(cg::makeSize(64, 64), true, 1);
    ui::currentContext()->setFillColor({0.2f, 0.4f, 0.8f, 1});
    ui::currentContext()->fillRect(cg::makeRect(0, 0, 64, 32));
    ui::currentContext()->setFillColor(white);
    ui::currentContext()->fillRect(cg::makeRect(0, 32, 64, 32));
    auto picture = ui::imageFromCurrentImageContext();
    ui::endImageContext();
    auto best = ui::ImageJPEGRepresentation(picture, 1.0f);
    auto poor = ui::ImageJPEGRepresentation(picture, 0.1f);
    ASSERT_TRUE(best && poor);
    EXPECT_LT(poor->length(), best->length());
    auto jpeg = Image::imageWithData(best);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->size(), cg::makeSize(64, 64));
    cg::Color p = jpeg->CGImage()->pixel(10, 10);
    EXPECT_NEAR(p.red, 0.2f, 0.03f);
    EXPECT_NEAR(p.green, 0.4f, 0.03f);
    EXPECT_NEAR(p.blue, 0.8f, 0.03f);

    EXPECT_FALSE(ui::ImagePNGRepresentation(nullptr));
    EXPECT_FALSE(Image::imageWithData(ns::Data::withString("not a picture")));
}

TEST(Image, DrawsWithBlendModeAndAlpha)
{
    auto image = Image::imageWithCGImage(marker());
    ui::beginImageContext(cg::makeSize(3, 2));
    ui::currentContext()->setFillColor(blue);
    ui::currentContext()->fillRect(cg::makeRect(0, 0, 3, 2));
    image->drawInRect(cg::makeRect(0, 0, 3, 2), cg::BlendMode::Normal, 0.5f);
    auto drawn = ui::imageFromCurrentImageContext();
    ui::endImageContext();
    cg::Color p = drawn->CGImage()->pixel(0, 0); // half red over blue
    EXPECT_NEAR(p.red, 0.5f, 0.02f);
    EXPECT_NEAR(p.blue, 0.5f, 0.02f);
    EXPECT_NEAR(p.alpha, 1, 0.01f);
}

TEST(Image, NamedImagesComeFromTheResourceFolder)
{
    auto folder = std::filesystem::temp_directory_path() / "velmo-named-images";
    std::filesystem::create_directories(folder / "Some.bundle/images");
    auto png = ui::ImagePNGRepresentation(Image::imageWithCGImage(marker()));
    for (const char* file : {"heart.png", "heart@2x.png", "Some.bundle/images/close.png"}) {
        std::ofstream out(folder / file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(png->data()), std::streamsize(png->length()));
    }
    Image::setResourcePath(folder.string());

    auto heart = Image::imageNamed("heart.png");
    ASSERT_TRUE(heart);
    EXPECT_EQ(heart->name(), "heart");
    EXPECT_EQ(heart->scale(), 1);
    EXPECT_EQ(Image::imageNamed("heart.png"), heart); // cached
    EXPECT_TRUE(Image::imageNamed("heart"));
    auto close = Image::imageNamed("Some.bundle/images/close.png");
    ASSERT_TRUE(close);
    EXPECT_EQ(close->name(), "close");
    EXPECT_FALSE(Image::imageNamed("missing.png"));
    EXPECT_FALSE(Image::imageNamed("../velmo-named-images/heart.png"));
    EXPECT_FALSE(Image::imageNamed(""));
    {
        ScaleScope scale(2);
        Image::clearNamedCache();
        auto sharp = Image::imageNamed("heart.png");
        ASSERT_TRUE(sharp);
        EXPECT_EQ(sharp->scale(), 2);
        EXPECT_EQ(sharp->size(), cg::makeSize(1.5f, 1));
        EXPECT_EQ(sharp->name(), "heart");
    }
    Image::setResourcePath("");
    std::filesystem::remove_all(folder);
}

TEST(Image, BundledPicturesLoad)
{
    Image::setResourcePath(VELMO_RESOURCES);
    for (const char* name : {"black100.png", "contact-placeholder.png", "heart.png"}) {
        SCOPED_TRACE(name);
        auto image = Image::imageNamed(name);
        ASSERT_TRUE(image);
        EXPECT_GT(image->size().width, 0);
    }
    Image::setResourcePath("");
}

TEST(ImageContext, StacksAndKeepsItsScale)
{
    EXPECT_FALSE(ui::currentContext());
    {
        ScaleScope scale(2);
        ui::beginImageContextWithOptions(cg::makeSize(10, 5), false, 0);
    }
    auto outer = ui::currentContext();
    ASSERT_TRUE(outer);
    ui::beginImageContext(cg::makeSize(4, 4));
    EXPECT_NE(ui::currentContext(), outer);
    auto inner = ui::imageFromCurrentImageContext();
    EXPECT_EQ(inner->scale(), 1);
    ui::endImageContext();
    EXPECT_EQ(ui::currentContext(), outer);
    auto image = ui::imageFromCurrentImageContext();
    ui::endImageContext();
    EXPECT_FALSE(ui::currentContext());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(image->size(), cg::makeSize(10, 5));
    EXPECT_EQ(image->CGImage()->width(), 20u);
    EXPECT_FALSE(ui::imageFromCurrentImageContext());

    ui::beginImageContext(cg::makeSize(0, 5)); // refused: nothing is pushed
    EXPECT_FALSE(ui::currentContext());
    ui::endImageContext(); // harmless
}
