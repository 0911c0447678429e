#include "board/KPhoneNumber.h"
#include "board/ImageResize.h"
#include "graphics/BitmapContext.h"
#include "system/AddressBook.h"
#include "uikit/Image.h"

#include <gtest/gtest.h>

namespace {

class KPhoneNumberImage : public ::testing::Test
{
protected:
    KPhoneNumberImage() { ui::Image::setResourcePath(VELMO_RESOURCES); }
    ~KPhoneNumberImage() override { ui::Image::setResourcePath(""); }
};

ns::Ref<ns::Data> greenPNG(std::size_t width, std::size_t height)
{
    auto context =
        cg::BitmapContext::create(width, height, 8, 0, cg::ColorSpace::RGB, cg::AlphaInfo::NoneSkipFirst);
    context->setRGBFillColor(0, 1, 0, 1);
    context->fillRect(cg::makeRect(0, 0, float(width), float(height)));
    return ui::ImagePNGRepresentation(ui::Image::imageWithCGImage(context->makeImage()));
}

ns::Ref<ab::Person> person(ns::Ref<ns::Data> photo)
{
    ab::Person::Fields fields;
    fields.recordID = 7;
    fields.firstName = "Anna";
    fields.image = std::move(photo);
    return ab::Person::create(std::move(fields));
}

} // namespace

TEST(KPhoneNumber, CompositeNameTable)
{
    using Text = std::optional<std::string>;
    struct Row
    {
        const char* name;
        Text first, last, organization;
        const char* expected;
    } rows[] = {
        {"both names", "Anna", "Smith", "Acme", "Smith Anna"},
        {"last name only", std::nullopt, "Smith", "Acme", "Smith"},
        {"first name only", "Anna", std::nullopt, std::nullopt, "Anna"},
        {"organisation", std::nullopt, std::nullopt, "Acme", "Acme"},
        {"nothing", std::nullopt, std::nullopt, std::nullopt, "Unknown"},
        {"empty first name counts", "", "Smith", std::nullopt, "Smith "},
        {"empty organisation counts", std::nullopt, std::nullopt, "", ""},
    };
    for (auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto number = KPhoneNumber::create();
        number->setFirstName(row.first);
        number->setLastName(row.last);
        number->setOrganization(row.organization);
        EXPECT_EQ(number->compositeName(), row.expected);
    }
}

TEST(KPhoneNumber, CompositeNameIsKeptFromTheFirstCall)
{
    auto number = KPhoneNumber::create();
    number->setFirstName(std::string("Anna"));
    EXPECT_EQ(number->compositeName(), "Anna");
    number->setLastName(std::string("Smith"));
    number->setFirstName(std::string("Berta"));
    EXPECT_EQ(number->compositeName(), "Anna");
}

TEST_F(KPhoneNumberImage, FramedPhotoIs180By180WithThePhotoInside)
{
    auto number = KPhoneNumber::create();
    number->setContact(person(greenPNG(60, 40)));
    auto image = number->image();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), cg::makeSize(180, 180));
    const cg::Image& pixels = *image->CGImage();
    struct Probe
    {
        const char* name;
        std::size_t x, y;
        cg::Color expected;
    } probes[] = {
        {"photo in the middle", 90, 90, {0, 1, 0, 1}},
        {"photo near its edge", 5, 90, {0, 1, 0, 1}},
        {"frame in the left band", 1, 90, {0, 0, 0, 1}},
        {"frame in the bottom band", 90, 178, {0, 0, 0, 1}},
        {"frame beyond the photo's corner", 6, 6, {0, 0, 0, 1}},
        {"outside the frame's corner", 0, 0, {0, 0, 0, 0}},
        {"outside the frame's far corner", 179, 179, {0, 0, 0, 0}},
    };
    for (auto& probe : probes) {
        SCOPED_TRACE(probe.name);
        cg::Color pixel = pixels.pixel(probe.x, probe.y);
        EXPECT_NEAR(pixel.alpha, probe.expected.alpha, 0.05f);
        if (probe.expected.alpha > 0) {
            EXPECT_NEAR(pixel.red, probe.expected.red, 0.05f);
            EXPECT_NEAR(pixel.green, probe.expected.green, 0.05f);
            EXPECT_NEAR(pixel.blue, probe.expected.blue, 0.05f);
        }
    }
}

TEST_F(KPhoneNumberImage, WithoutAPhotoTheBundlePictureIsFramed)
{
    auto withoutPhoto = ui::Image::imageNamed("contact-withoutphoto.png");
    ASSERT_TRUE(withoutPhoto);
    auto expected = ImageResize::resizedImage(withoutPhoto, {180, 180}, cg::InterpolationQuality::High);
    for (auto contact : {person(nullptr), ns::Ref<ab::Person>(), person(ns::Data::withString("not a png"))}) {
        auto number = KPhoneNumber::create();
        number->setContact(contact);
        auto image = number->image();
        ASSERT_TRUE(image);
        EXPECT_EQ(image->size(), cg::makeSize(180, 180));
        for (std::size_t at : {60u, 90u, 120u}) {
            cg::Color actual = image->CGImage()->pixel(at, at);
            cg::Color wanted = expected->CGImage()->pixel(at, at);
            EXPECT_NEAR(actual.red, wanted.red, 0.03f);
            EXPECT_NEAR(actual.green, wanted.green, 0.03f);
            EXPECT_NEAR(actual.blue, wanted.blue, 0.03f);
        }
        EXPECT_FALSE(number->iconImage());
    }
}

TEST_F(KPhoneNumberImage, IconIsThePhotoAt160)
{
    auto number = KPhoneNumber::create();
    number->setContact(person(greenPNG(30, 50)));
    auto icon = number->iconImage();
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->size(), cg::makeSize(160, 160));
    EXPECT_NEAR(icon->CGImage()->pixel(80, 80).green, 1, 0.01f);
}
