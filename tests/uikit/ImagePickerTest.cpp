#include "UIFixture.h"

#include "foundation/Dictionary.h"
#include "foundation/Sandbox.h"
#include "graphics/BitmapContext.h"
#include "uikit/Image.h"
#include "uikit/ImagePickerController.h"
#include "uikit/ViewController.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class Picks : public ns::Object, public ui::ImagePickerControllerDelegate
{
public:
    std::vector<std::string> calls;
    ns::Ref<ui::Image> image;
    void imagePickerControllerDidFinishPickingMediaWithInfo(ui::ImagePickerController& picker,
                                                            const ns::Dictionary& info) override
    {
        image = info.objectAs<ui::Image>(ui::ImagePickerControllerOriginalImage);
        calls.push_back("picked");
        picker.dismissModalViewControllerAnimated(true);
    }
    void imagePickerControllerDidCancel(ui::ImagePickerController& picker) override
    {
        calls.push_back("cancelled");
        picker.dismissModalViewControllerAnimated(true);
    }
};

void writePhoto(const std::string& path, int width, int height)
{
    auto context = cg::BitmapContext::create(std::size_t(width), std::size_t(height), 8, 0,
                                             cg::ColorSpace::RGB, cg::AlphaInfo::PremultipliedFirst);
    context->setRGBFillColor(0, 0.5f, 1, 1);
    context->fillRect(cg::makeRect(0, 0, cg::Float(width), cg::Float(height)));
    auto png = ui::ImagePNGRepresentation(ui::Image::imageWithCGImage(context->makeImage()));
    ASSERT_TRUE(png);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png->data()), std::streamsize(png->bytes().size()));
}

} // namespace

using ImagePicker = UIFixture;

TEST_F(ImagePicker, OffersTheDevicesPhotosAndHandsOverThePickedOne)
{
    std::string photos = ns::Sandbox::devicePath() + "/Photos";
    std::filesystem::create_directories(photos);
    writePhoto(photos + "/beach.png", 40, 30);
    writePhoto(photos + "/alps.png", 20, 10);
    std::ofstream(photos + "/notes.txt") << "not a photo";

    auto root = ui::ViewController::create();
    window->setRootViewController(root);
    auto picks = ns::make<Picks>();
    auto picker = ui::ImagePickerController::create();
    picker->setPickerDelegate(picks);
    EXPECT_TRUE(
        ui::ImagePickerController::isSourceTypeAvailable(ui::ImagePickerControllerSourceType::PhotoLibrary));
    EXPECT_FALSE(
        ui::ImagePickerController::isSourceTypeAvailable(ui::ImagePickerControllerSourceType::Camera));
    EXPECT_EQ(picker->photoPaths(), (std::vector<std::string>{photos + "/alps.png", photos + "/beach.png"}));

    root->presentModalViewController(picker, true);
    driver.advance(0.5);
    ASSERT_TRUE(driver.press("beach.png"));
    EXPECT_EQ(picks->calls, (std::vector<std::string>{"picked"}));
    ASSERT_TRUE(picks->image);
    EXPECT_EQ(picks->image->size(), (cg::Size{40, 30}));
    driver.advance(0.5);
    EXPECT_EQ(root->presentedViewController(), nullptr);

    root->presentModalViewController(picker, true);
    driver.advance(0.5);
    ASSERT_TRUE(driver.press("Cancel"));
    EXPECT_EQ(picks->calls.back(), "cancelled");
    driver.advance(0.5);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}
