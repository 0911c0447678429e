#include "graphics/BitmapContext.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using cg::AlphaInfo;
using cg::ColorSpace;

ns::Ref<cg::BitmapContext> rgba(std::size_t w, std::size_t h, cg::Origin origin = cg::Origin::BottomLeft)
{
    return cg::BitmapContext::create(w, h, 8, 0, ColorSpace::RGB, AlphaInfo::PremultipliedFirst, origin);
}

void expectColor(cg::Color actual, cg::Color expected, float tolerance = 0.02f)
{
    EXPECT_NEAR(actual.red, expected.red, tolerance);
    EXPECT_NEAR(actual.green, expected.green, tolerance);
    EXPECT_NEAR(actual.blue, expected.blue, tolerance);
    EXPECT_NEAR(actual.alpha, expected.alpha, tolerance);
}

const cg::Color red{1, 0, 0, 1};
const cg::Color blue{0, 0, 1, 1};
const cg::Color clear{0, 0, 0, 0};

} // namespace

TEST(BitmapContext, MakesTheKindsTheDrawingModelSupports)
{
    struct Row
    {
        const char* name;
        ColorSpace space;
        AlphaInfo alpha;
        bool made;
        std::size_t bitsPerPixel;
    };
    const Row rows[] = {
        {"rgb premultiplied first", ColorSpace::RGB, AlphaInfo::PremultipliedFirst, true, 32},
        {"rgb premultiplied last", ColorSpace::RGB, AlphaInfo::PremultipliedLast, true, 32},
        {"rgb skip first", ColorSpace::RGB, AlphaInfo::NoneSkipFirst, true, 32},
        {"rgb skip last", ColorSpace::RGB, AlphaInfo::NoneSkipLast, true, 32},
        {"rgb straight alpha", ColorSpace::RGB, AlphaInfo::Last, false, 0},
        {"rgb straight alpha first", ColorSpace::RGB, AlphaInfo::First, false, 0},
        {"grey without alpha", ColorSpace::Gray, AlphaInfo::None, true, 8},
        {"grey with alpha", ColorSpace::Gray, AlphaInfo::PremultipliedLast, false, 0},
        {"alpha only", ColorSpace::None, AlphaInfo::Only, true, 8},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto context = cg::BitmapContext::create(7, 5, 8, 0, row.space, row.alpha);
        ASSERT_EQ(bool(context), row.made);
        if (!context)
            continue;
        EXPECT_EQ(context->bitsPerPixel(), row.bitsPerPixel);
        EXPECT_EQ(context->bytesPerRow(), 7 * row.bitsPerPixel / 8);
        auto image = context->makeImage();
        EXPECT_EQ(image->width(), 7u);
        EXPECT_EQ(image->height(), 5u);
        EXPECT_EQ(image->bitsPerComponent(), 8u);
        EXPECT_EQ(image->colorSpace(), row.space);
        EXPECT_EQ(image->alphaInfo(), row.alpha);
    }
}

TEST(BitmapContext, RefusesBadSizesAndRowBytes)
{
    EXPECT_FALSE(cg::BitmapContext::create(0, 5, 8, 0, ColorSpace::RGB, AlphaInfo::PremultipliedFirst));
    EXPECT_FALSE(cg::BitmapContext::create(5, 5, 16, 0, ColorSpace::RGB, AlphaInfo::PremultipliedFirst));
    EXPECT_FALSE(cg::BitmapContext::create(5, 5, 8, 19, ColorSpace::RGB, AlphaInfo::PremultipliedFirst));
    EXPECT_FALSE(
        cg::BitmapContext::create(100000, 100000, 8, 0, ColorSpace::RGB, AlphaInfo::PremultipliedFirst));
    auto wide = cg::BitmapContext::create(5, 5, 8, 64, ColorSpace::RGB, AlphaInfo::PremultipliedFirst);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->bytesPerRow(), 64u);
}

TEST(BitmapContext, BottomLeftContextsCountYUpwards)
{
    auto context = rgba(10, 10);
    EXPECT_TRUE(context->getCTM().isIdentity());
    context->setFillColor(red);
    context->fillRect(cg::makeRect(0, 0, 10, 2));
    // Device row 0 is the picture's top; y = 0 in user space is its bottom.
    expectColor(context->pixel(5, 9), red);
    expectColor(context->pixel(5, 0), clear);
}

TEST(BitmapContext, TopLeftContextsCountYDownwardsAtTheirScale)
{
    auto context = cg::BitmapContext::create(20, 20, 8, 0, ColorSpace::RGB, AlphaInfo::PremultipliedFirst,
                                             cg::Origin::TopLeft, 2);
    EXPECT_EQ(context->getCTM(), (cg::AffineTransform{2, 0, 0, -2, 0, 20}));
    context->setFillColor(red);
    context->fillRect(cg::makeRect(0, 0, 10, 1)); // one point is two pixels
    expectColor(context->pixel(5, 0), red);
    expectColor(context->pixel(5, 1), red);
    expectColor(context->pixel(5, 2), clear);
}

TEST(BitmapContext, TransformsConcatenateAndRestore)
{
    auto context = rgba(20, 20);
    context->saveGState();
    context->translateCTM(10, 0);
    context->scaleCTM(2, 2);
    // The scale applies first: user (1, 1) is device (12, 2).
    cg::Point p = cg::apply(context->getCTM(), cg::makePoint(1, 1));
    EXPECT_FLOAT_EQ(p.x, 12);
    EXPECT_FLOAT_EQ(p.y, 2);
    context->setFillColor(blue);
    context->restoreGState();
    EXPECT_TRUE(context->getCTM().isIdentity());
    EXPECT_EQ(context->fillColor(), (cg::Color{0, 0, 0, 1}));
    context->restoreGState(); // unbalanced: ignored
    EXPECT_TRUE(context->getCTM().isIdentity());
}

TEST(BitmapContext, ArcsToPointsRoundTheCorners)
{
    // A rounded rectangle made of four arcs through the corners, scaled by the corner radius.
    auto context = rgba(40, 40);
    context->saveGState();
    context->scaleCTM(10, 10);
    float fw = 4, fh = 4;
    context->moveToPoint(fw, fh / 2);
    context->addArcToPoint(fw, fh, fw / 2, fh, 1);
    context->addArcToPoint(0, fh, 0, fh / 2, 1);
    context->addArcToPoint(0, 0, fw / 2, 0, 1);
    context->addArcToPoint(fw, 0, fw, fh / 2, 1);
    context->closePath();
    context->restoreGState();
    context->clip();
    context->setFillColor(red);
    context->fillRect(cg::makeRect(0, 0, 40, 40));
    expectColor(context->pixel(0, 0), clear);
    expectColor(context->pixel(39, 39), clear);
    expectColor(context->pixel(1, 20), red);
    expectColor(context->pixel(20, 20), red);
    expectColor(context->pixel(20, 1), red);
}

TEST(BitmapContext, DrawsImagesUprightAndSnapshotsStayFixed)
{
    auto source = rgba(2, 2);
    source->setFillColor(red);
    source->fillRect(cg::makeRect(0, 1, 2, 1)); // the top row
    auto image = source->makeImage();
    expectColor(image->pixel(0, 0), red);
    source->setFillColor(blue);
    source->fillRect(cg::makeRect(0, 0, 2, 2));
    expectColor(image->pixel(0, 0), red); // the snapshot does not change

    auto target = rgba(4, 4);
    target->drawImage(cg::makeRect(0, 0, 4, 4), *image);
    expectColor(target->pixel(2, 0), red);
    expectColor(target->pixel(2, 3), clear);
}

TEST(BitmapContext, ClearBlendModePunchesOut)
{
    auto context = rgba(4, 4);
    context->setFillColor(red);
    context->fillRect(cg::makeRect(0, 0, 4, 4));
    context->setBlendMode(cg::BlendMode::Clear);
    context->fillRect(cg::makeRect(0, 0, 2, 4));
    expectColor(context->pixel(0, 0), clear);
    expectColor(context->pixel(3, 0), red);
}

TEST(Image, CropsInPixelsFromTheTop)
{
    auto context = rgba(10, 10, cg::Origin::TopLeft);
    context->setFillColor(red);
    context->fillRect(cg::makeRect(2, 3, 4, 5));
    auto image = context->makeImage();
    auto crop = image->cropped(cg::makeRect(2, 3, 4.5f, 5));
    ASSERT_TRUE(crop);
    EXPECT_EQ(crop->width(), 5u);
    EXPECT_EQ(crop->height(), 5u);
    expectColor(crop->pixel(0, 0), red);
    expectColor(crop->pixel(3, 4), red);
    expectColor(crop->pixel(4, 0), clear);
    EXPECT_FALSE(image->cropped(cg::makeRect(20, 20, 5, 5)));
    auto edge = image->cropped(cg::makeRect(8, 8, 10, 10));
    ASSERT_TRUE(edge);
    EXPECT_EQ(edge->width(), 2u);
}

TEST(Image, GreyMasksKeepWhereWhite)
{
    auto context = cg::BitmapContext::create(6, 6, 8, 0, ColorSpace::RGB, AlphaInfo::NoneSkipFirst);
    context->setFillColor(blue);
    context->fillRect(cg::makeRect(0, 0, 6, 6));
    auto image = context->makeImage();

    auto mask = cg::BitmapContext::create(6, 6, 8, 0, ColorSpace::Gray, AlphaInfo::None);
    mask->setGrayFillColor(0, 1);
    mask->fillRect(cg::makeRect(0, 0, 6, 6));
    mask->setGrayFillColor(1, 1);
    mask->fillRect(cg::makeRect(1, 1, 4, 4));
    auto maskImage = mask->makeImage();
    EXPECT_EQ(maskImage->colorSpace(), ColorSpace::Gray);
    expectColor(maskImage->pixel(0, 0), {0, 0, 0, 1});
    expectColor(maskImage->pixel(2, 2), {1, 1, 1, 1});

    auto masked = image->masked(*maskImage);
    ASSERT_TRUE(masked);
    EXPECT_TRUE(cg::carriesAlpha(masked->alphaInfo()));
    expectColor(masked->pixel(0, 0), clear);
    expectColor(masked->pixel(5, 5), clear);
    expectColor(masked->pixel(2, 2), blue);
    EXPECT_FALSE(image->masked(*image)); // a colour image is no mask
}

TEST(Image, AnswersItsAlphaAndLayout)
{
    struct Row
    {
        const char* name;
        AlphaInfo alpha;
        bool carries;
        uint32_t bitmapInfo;
    };
    const Row rows[] = {
        {"premultiplied first", AlphaInfo::PremultipliedFirst, true, 2 | 0x2000},
        {"premultiplied last", AlphaInfo::PremultipliedLast, true, 1},
        {"skip first", AlphaInfo::NoneSkipFirst, false, 6 | 0x2000},
        {"skip last", AlphaInfo::NoneSkipLast, false, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto context = cg::BitmapContext::create(3, 3, 8, 0, ColorSpace::RGB, row.alpha);
        auto image = context->makeImage();
        EXPECT_EQ(cg::carriesAlpha(image->alphaInfo()), row.carries);
        EXPECT_EQ(image->bitmapInfo(), row.bitmapInfo);
    }
}
