#include "uikit/Device.h"
#include "foundation/ClassRegistry.h"
#include "foundation/FileManager.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "graphics/BitmapContext.h"
#include "testing/TemporaryHome.h"
#include "uikit/Color.h"
#include "uikit/Image.h"
#include "uikit/Pasteboard.h"
#include "uikit/PhotoAlbum.h"
#include "uikit/PrintInteractionController.h"
#include "uikit/Screen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

ns::Ref<ui::Image> square(cg::Color color)
{
    auto context =
        cg::BitmapContext::create(4, 4, 8, 0, cg::ColorSpace::RGB, cg::AlphaInfo::PremultipliedFirst);
    context->setFillColor(color);
    context->fillRect(cg::makeRect(0, 0, 4, 4));
    return ui::Image::imageWithCGImage(context->makeImage());
}

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The page count of the document's page tree.
int pageCount(const std::string& pdf)
{
    auto at = pdf.find("/Count ");
    return at == std::string::npos ? 0 : std::atoi(pdf.c_str() + at + 7);
}

} // namespace

TEST(Color, KeepsFourReadableComponents)
{
    auto color = ui::Color::colorWithRed(1.0f, 0.8f, 10 / 255.0f, 1.0f);
    float r = 0, g = 0, b = 0, a = 0;
    EXPECT_TRUE(color->getRed(&r, &g, &b, &a));
    EXPECT_FLOAT_EQ(r, 1.0f);
    EXPECT_FLOAT_EQ(g, 0.8f);
    EXPECT_FLOAT_EQ(b, 10 / 255.0f);
    EXPECT_FLOAT_EQ(a, 1.0f);
    auto grey = ui::Color::colorWithWhite(0.6f, 1);
    EXPECT_FLOAT_EQ(grey->red(), 0.6f);
    EXPECT_FLOAT_EQ(grey->blue(), 0.6f);
    EXPECT_EQ(ui::Color::clearColor()->alpha(), 0);
    EXPECT_TRUE(ui::Color::redColor()->isEqual(*ui::Color::colorWithRed(1, 0, 0, 1)));
    EXPECT_FALSE(ui::Color::redColor()->isEqual(*ui::Color::blueColor()));
    EXPECT_EQ(ui::Color::colorWithRed(2, -1, 0.5f, 1)->CGColor(), (cg::Color{1, 0, 0.5f, 1}));
}

TEST(Screen, AnswersItsBoundsFrameAndScale)
{
    auto screen = ui::Screen::mainScreen();
    EXPECT_EQ(screen->bounds(), cg::makeRect(0, 0, 320, 480));
    EXPECT_EQ(screen->applicationFrame(), cg::makeRect(0, 20, 320, 460));
    screen->setStatusBarHidden(true);
    EXPECT_EQ(screen->applicationFrame(), cg::makeRect(0, 0, 320, 480));
    screen->setStatusBarHidden(false);
    screen->setScale(2);
    EXPECT_EQ(screen->scale(), 2);
    screen->setScale(3);
    EXPECT_EQ(screen->scale(), 2);
    screen->setScale(1);
}

TEST(Device, IsAPhoneWithASettableVersion)
{
    auto device = ui::Device::currentDevice();
    EXPECT_EQ(device->userInterfaceIdiom(), ui::UserInterfaceIdiom::Phone);
    EXPECT_TRUE(device->isMultitaskingSupported());
    device->setSystemVersion("10.0");
    EXPECT_EQ(device->systemVersion(), "10.0");
    device->reset();
    EXPECT_EQ(device->systemVersion(), "4.2");
}

TEST(Pasteboard, HoldsOneTextOrPictureAndShowsItOnTheDevice)
{
    testkit::TemporaryHome home;
    std::vector<std::string> told;
    ui::Pasteboard::setTextObserver([&](const std::string& text) { told.push_back(text); });
    auto board = ui::Pasteboard::generalPasteboard();
    board->setString("http://example.com/a%20b");
    EXPECT_EQ(board->string(), "http://example.com/a%20b");
    EXPECT_EQ(contents(home.file("Device/pasteboard.txt")), "http://example.com/a%20b");
    auto image = square({1, 0, 0, 1});
    board->setImage(image);
    EXPECT_EQ(board->image(), image);
    EXPECT_FALSE(board->string());
    EXPECT_FALSE(std::filesystem::exists(home.file("Device/pasteboard.txt")));
    EXPECT_EQ(contents(home.file("Device/pasteboard.png")).substr(1, 3), "PNG");
    board->setString("again");
    EXPECT_FALSE(board->image());
    EXPECT_FALSE(std::filesystem::exists(home.file("Device/pasteboard.png")));
    board->clear();
    EXPECT_FALSE(std::filesystem::exists(home.file("Device/pasteboard.txt")));
    ui::Pasteboard::setTextObserver({});
    board->setString("unheard");
    EXPECT_EQ(told, (std::vector<std::string>{"http://example.com/a%20b", "again"}));
    board->clear();
}

TEST(PrintController, ItsClassExistsOnlyWhileRegistered)
{
    ui::unregisterPrintClass();
    EXPECT_FALSE(rt::ClassRegistry::shared().classExists("UIPrintInteractionController"));
    ui::registerPrintClass();
    EXPECT_EQ(rt::ClassRegistry::shared().create("UIPrintInteractionController"),
              ui::PrintInteractionController::sharedPrintController());
    ui::unregisterPrintClass();
}

TEST(PhotoAlbum, SavesNumberedPicturesInTheDevice)
{
    testkit::TemporaryHome home;
    bool reported = false;
    auto first = ui::PhotoAlbum::writeImageToSavedPhotosAlbum(
        square({0, 0, 1, 1}), [&](const ns::Ref<ui::Image>& image, const ns::Ref<ns::Error>& error) {
            reported = true;
            EXPECT_TRUE(image);
            EXPECT_FALSE(error);
        });
    auto second = ui::PhotoAlbum::writeImageToSavedPhotosAlbum(square({0, 1, 0, 1}));
    EXPECT_EQ(first, home.file("Device/Photos/0001.png"));
    EXPECT_EQ(second, home.file("Device/Photos/0002.png"));
    EXPECT_FALSE(reported); // the completion comes later, on the main run loop
    ns::RunLoop::main().runOnce(0);
    EXPECT_TRUE(reported);
    auto saved = ui::Image::imageWithContentsOfFile(first);
    ASSERT_TRUE(saved);
    EXPECT_GT(saved->CGImage()->pixel(1, 1).blue, 0.99f);
    EXPECT_EQ(ui::PhotoAlbum::photoPaths(), (std::vector<std::string>{first, second}));
    EXPECT_EQ(ui::PhotoAlbum::writeImageToSavedPhotosAlbum(nullptr), "");
}

TEST(PrintController, PrintsTheItemIntoAPdf)
{
    testkit::TemporaryHome home;
    auto printer = ui::PrintInteractionController::sharedPrintController();
    EXPECT_TRUE(ui::PrintInteractionController::isPrintingAvailable());
    auto info = ui::PrintInfo::printInfo();
    info->setOutputType(ui::PrintInfoOutputType::Photo);
    printer->setPrintInfo(info);
    printer->setShowsPageRange(false);
    printer->setPrintingItem(square({1, 0, 0, 1}));
    int calls = 0;
    bool completed = false;
    ASSERT_TRUE(printer->presentAnimated(
        true, [&](const auto& controller, bool done, const ns::Ref<ns::Error>& error) {
            ++calls;
            completed = done;
            EXPECT_EQ(controller, printer);
            EXPECT_FALSE(error);
        }));
    EXPECT_TRUE(printer->isPresented());
    EXPECT_FALSE(printer->presentAnimated(true, nullptr)); // already up
    std::string path = printer->print();
    EXPECT_EQ(path, home.file("Device/Printed/0001.pdf"));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(completed);
    EXPECT_FALSE(printer->isPresented());
    EXPECT_EQ(contents(path).substr(0, 5), "%PDF-");
    EXPECT_EQ(printer->printInfo()->outputType(), ui::PrintInfoOutputType::Photo);
    EXPECT_FALSE(printer->showsPageRange());

    // Text prints too, over as many pages as it needs.
    std::string longText;
    for (int i = 0; i < 200; ++i)
        longText += "A line of text that the printer lays out on the page.\n";
    printer->setPrintingItem(ns::String::make(longText));
    printer->presentAnimated(false, nullptr);
    std::string text = printer->print();
    EXPECT_EQ(text, home.file("Device/Printed/0002.pdf"));
    // 200 lines of 12-point text at about 14 points a line on 720 points of page: 4 pages.
    EXPECT_EQ(pageCount(contents(text)), 4);
    printer->setPrintingItem(nullptr);
}

TEST(PrintController, CancellingReportsNoCompletionAndNoError)
{
    testkit::TemporaryHome home;
    auto printer = ui::PrintInteractionController::sharedPrintController();
    printer->setPrintingItem(square({1, 0, 0, 1}));
    int calls = 0;
    printer->presentFromRect(cg::makeRect(160, 240, 320, 480), nullptr, true,
                             [&](const auto&, bool done, const ns::Ref<ns::Error>& error) {
                                 ++calls;
                                 EXPECT_FALSE(done);
                                 EXPECT_FALSE(error);
                             });
    EXPECT_EQ(printer->presentedFromRect(), cg::makeRect(160, 240, 320, 480));
    printer->dismissAnimated(true);
    printer->dismissAnimated(true);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(std::filesystem::exists(home.file("Device/Printed/0001.pdf")));

    // Nothing printable: a failure with an error.
    printer->setPrintingItem(ns::Data::withString("no picture"));
    ns::Ref<ns::Error> failure;
    printer->presentAnimated(true, [&](const auto&, bool done, const ns::Ref<ns::Error>& error) {
        EXPECT_FALSE(done);
        failure = error;
    });
    EXPECT_EQ(printer->print(), "");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->domain(), "UIPrintErrorDomain");
    printer->setPrintingItem(nullptr);

    ui::PrintInteractionController::setPrintingAvailable(false);
    EXPECT_FALSE(printer->presentAnimated(true, nullptr));
    ui::PrintInteractionController::setPrintingAvailable(true);
}
