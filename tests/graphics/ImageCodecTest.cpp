#include "graphics/ImageCodec.h"
#include "graphics/BitmapContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

namespace {

ns::Ref<cg::Image> quarters(cg::AlphaInfo alpha = cg::AlphaInfo::PremultipliedFirst)
{
    auto context = cg::BitmapContext::create(8, 8, 8, 0, cg::ColorSpace::RGB, alpha, cg::Origin::TopLeft);
    context->setFillColor({1, 0, 0, 1});
    context->fillRect(cg::makeRect(0, 0, 4, 4));
    context->setFillColor({0, 1, 0, 1});
    context->fillRect(cg::makeRect(4, 0, 4, 4));
    context->setFillColor({0, 0, 1, 1});
    context->fillRect(cg::makeRect(0, 4, 4, 4));
    context->setFillColor({1, 1, 1, 0.5f});
    context->fillRect(cg::makeRect(4, 4, 4, 4));
    return context->makeImage();
}

std::vector<uint8_t> readFixture(const std::string& name)
{
    std::ifstream in(std::string(VELMO_FIXTURES) + "/graphics/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A JPEG with an APP1 Exif block whose first directory holds only the orientation.
std::vector<uint8_t> withOrientation(const std::vector<uint8_t>& jpeg, uint8_t orientation)
{
    const uint8_t exif[] = {'E',  'x',  'i', 'f', 0, 0, 'M', 'M', 0, 42,          0, 0, 0, 8, 0, 1,
                            0x01, 0x12, 0,   3,   0, 0, 0,   1,   0, orientation, 0, 0, 0, 0, 0, 0};
    std::size_t length = sizeof exif + 2;
    std::string out;
    out.append(reinterpret_cast<const char*>(jpeg.data()), 2);
    out += char(0xff);
    out += char(0xe1);
    out += char(length >> 8);
    out += char(length & 0xff);
    out.append(reinterpret_cast<const char*>(exif), sizeof exif);
    out.append(reinterpret_cast<const char*>(jpeg.data()) + 2, jpeg.size() - 2);
    return std::vector<uint8_t>(out.begin(), out.end());
}

} // namespace

TEST(ImageCodec, PngRoundTripKeepsPixelsAndAlpha)
{
    auto image = quarters();
    auto png = cg::ImageCodec::encodePNG(*image);
    ASSERT_GT(png.size(), 8u);
    auto decoded = cg::ImageCodec::decode(png.data(), png.size());
    ASSERT_TRUE(decoded.image);
    EXPECT_EQ(decoded.exifOrientation, 1);
    EXPECT_EQ(decoded.image->width(), 8u);
    EXPECT_TRUE(cg::carriesAlpha(decoded.image->alphaInfo()));
    for (auto [x, y] : {std::pair{1, 1}, {6, 1}, {1, 6}, {6, 6}}) {
        SCOPED_TRACE(x * 10 + y);
        uint8_t a[4], b[4];
        image->pixelBytes(std::size_t(x), std::size_t(y), a);
        decoded.image->pixelBytes(std::size_t(x), std::size_t(y), b);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(a[i], b[i], 1);
    }
}

TEST(ImageCodec, JpegRoundTripComesCloseAndQualityCosts)
{
    auto image = quarters(cg::AlphaInfo::NoneSkipFirst);
    auto best = cg::ImageCodec::encodeJPEG(*image, 1.0f);
    auto worst = cg::ImageCodec::encodeJPEG(*image, 0.0f);
    ASSERT_FALSE(best.empty());
    ASSERT_FALSE(worst.empty());
    EXPECT_LT(worst.size(), best.size());
    auto decoded = cg::ImageCodec::decode(best.data(), best.size());
    ASSERT_TRUE(decoded.image);
    EXPECT_FALSE(cg::carriesAlpha(decoded.image->alphaInfo()));
    cg::Color p = decoded.image->pixel(1, 1);
    EXPECT_GT(p.red, 0.9f);
    EXPECT_LT(p.green, 0.1f);
    p = decoded.image->pixel(1, 6);
    EXPECT_GT(p.blue, 0.9f);
}

TEST(ImageCodec, ReadsTheExifOrientation)
{
    auto jpeg = cg::ImageCodec::encodeJPEG(*quarters(), 0.8f);
    for (uint8_t orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(int(orientation));
        auto bytes = withOrientation(jpeg, orientation);
        auto decoded = cg::ImageCodec::decode(bytes.data(), bytes.size());
        ASSERT_TRUE(decoded.image);
        EXPECT_EQ(decoded.exifOrientation, orientation);
    }
    auto odd = withOrientation(jpeg, 9);
    EXPECT_EQ(cg::ImageCodec::decode(odd.data(), odd.size()).exifOrientation, 1);
}

TEST(ImageCodec, RefusesDamagedAndOversizedData)
{
    auto png = cg::ImageCodec::encodePNG(*quarters());
    auto jpeg = cg::ImageCodec::encodeJPEG(*quarters(), 0.8f);
    std::vector<uint8_t> hugePng = png;
    hugePng[16] = 0x7f; // width 2^30 and more
    struct Row
    {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {"empty", {}},
        {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
        {"truncated png", std::vector<uint8_t>(png.begin(), png.begin() + long(png.size() / 2))},
        {"png header only", std::vector<uint8_t>(png.begin(), png.begin() + 8)},
        {"huge png", hugePng},
        {"truncated jpeg header", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 20)},
        {"damaged fixture", readFixture("damaged.png")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(cg::ImageCodec::decode(row.bytes.data(), row.bytes.size()).image);
    }
}

TEST(ImageCodec, ReadsAPngFixture)
{
    auto bytes = readFixture("quarters.png");
    auto decoded = cg::ImageCodec::decode(bytes.data(), bytes.size());
    ASSERT_TRUE(decoded.image);
    EXPECT_EQ(decoded.image->width(), 8u);
    EXPECT_EQ(decoded.image->height(), 8u);
    EXPECT_GT(decoded.image->pixel(1, 1).red, 0.99f);
    EXPECT_GT(decoded.image->pixel(6, 1).green, 0.99f);
}
