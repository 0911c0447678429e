#include "sharing/ui/SHKActivityIndicator.h"

#include "foundation/Clock.h"
#include "testing/TemporaryHome.h"
#include "testing/TouchDriver.h"
#include "testing/TurningController.h"
#include "uikit/ActivityIndicatorView.h"
#include "uikit/Application.h"
#include "uikit/Button.h"
#include "uikit/Device.h"
#include "uikit/Label.h"
#include "uikit/Layer.h"
#include "uikit/ViewController.h"
#include "uikit/Window.h"

#include <gtest/gtest.h>

namespace {

class Overlay : public ::testing::Test
{
protected:
    Overlay()
    {
        ui::Application::sharedApplication().reset();
        SHKActivityIndicator::reset();
        window = ui::Window::create();
        window->makeKeyAndVisible();
    }
    ~Overlay() override
    {
        clock.advance(5); // every fade and delayed hide ends inside the test
        SHKActivityIndicator::reset();
        ui::Device::currentDevice()->reset();
        ui::Application::sharedApplication().reset();
    }

    ns::ManualClockScope clock;
    testkit::TemporaryHome home;
    ns::Ref<ui::Window> window;
    ui::TouchDriver driver;
};

bool onScreen(const ns::Ref<SHKActivityIndicator>& overlay, const ns::Ref<ui::Window>& window)
{
    return overlay->superview() == window.get();
}

TEST_F(Overlay, IsOneCentredSquareThatTakesNoTouches)
{
    auto overlay = SHKActivityIndicator::currentIndicator();
    EXPECT_EQ(SHKActivityIndicator::currentIndicator(), overlay);
    cg::Size screen = window->bounds().size;
    EXPECT_EQ(overlay->frame(),
              cg::makeRect(std::round(screen.width / 2 - 80), std::round(screen.height / 2 - 80), 160, 160));
    EXPECT_EQ(overlay->alpha(), 0);
    EXPECT_FALSE(overlay->superview());
    EXPECT_EQ(overlay->layer()->cornerRadius(), 10);
    EXPECT_FALSE(overlay->isUserInteractionEnabled());

    // A button under the overlay still gets the tap.
    int taps = 0;
    auto button = ui::Button::buttonWithType(ui::ButtonType::RoundedRect);
    button->setFrame(cg::makeRect(110, 220, 100, 40));
    button->addTarget(
        nullptr, [&](const ns::Id&) { ++taps; }, ui::ControlEventTouchUpInside);
    window->addSubview(button);
    overlay->displayActivity("Saving to Velmo");
    ASSERT_TRUE(onScreen(overlay, window));
    driver.tap(cg::makePoint(160, 240));
    EXPECT_EQ(taps, 1);
}

TEST_F(Overlay, WithoutAKeyWindowItSitsAtMinus80)
{
    ui::Application::sharedApplication().reset();
    SHKActivityIndicator::reset();
    EXPECT_EQ(SHKActivityIndicator::currentIndicator()->frame(), cg::makeRect(-80, -80, 160, 160));
}

TEST_F(Overlay, ActivityShowsASpinnerAndCompletionACheckMarkThatHidesItself)
{
    auto overlay = SHKActivityIndicator::currentIndicator();
    overlay->displayActivity("Loading...");
    ASSERT_TRUE(overlay->spinner());
    EXPECT_EQ(overlay->spinner()->superview(), overlay.get());
    EXPECT_TRUE(overlay->spinner()->isAnimating());
    EXPECT_EQ(overlay->spinner()->activityIndicatorViewStyle(), ui::ActivityIndicatorViewStyle::WhiteLarge);
    EXPECT_FALSE(overlay->centerMessageLabel());
    ASSERT_TRUE(overlay->subMessageLabel());
    EXPECT_EQ(overlay->subMessageLabel()->text(), "Loading...");
    EXPECT_EQ(overlay->subMessageLabel()->frame(), cg::makeRect(12, 115, 136, 30));
    EXPECT_EQ(overlay->alpha(), 1);
    auto fade = ui::View::recordedAnimations().back();
    EXPECT_DOUBLE_EQ(fade.duration, 0.3);

    overlay->displayCompleted("Saved!");
    EXPECT_FALSE(overlay->spinner());
    ASSERT_TRUE(overlay->centerMessageLabel());
    EXPECT_EQ(overlay->centerMessageLabel()->text(), "\u2713");
    EXPECT_EQ(overlay->centerMessageLabel()->frame(), cg::makeRect(12, 55, 136, 50));
    EXPECT_EQ(overlay->subMessageLabel()->text(), "Saved!");
    EXPECT_DOUBLE_EQ(ui::View::recordedAnimations().back().duration, 0.1); // persist: back to full

    clock.advance(0.59);
    EXPECT_EQ(overlay->alpha(), 1);
    clock.advance(0.01); // the delayed hide starts its fade
    EXPECT_EQ(overlay->alpha(), 0);
    EXPECT_DOUBLE_EQ(ui::View::recordedAnimations().back().duration, 0.4);
    EXPECT_TRUE(onScreen(overlay, window));
    clock.advance(0.4);
    EXPECT_FALSE(overlay->superview());
}

TEST_F(Overlay, ANewActivityCancelsThePendingSelfHide)
{
    auto overlay = SHKActivityIndicator::currentIndicator();
    overlay->displayCompleted("Copied!");
    clock.advance(0.3);
    overlay->displayActivity("Sending...");
    EXPECT_FALSE(overlay->centerMessageLabel());
    ASSERT_TRUE(overlay->spinner());
    EXPECT_EQ(overlay->spinner()->superview(), overlay.get());
    clock.advance(2);
    EXPECT_EQ(overlay->alpha(), 1);
    EXPECT_TRUE(onScreen(overlay, window));
}

TEST_F(Overlay, AShowBeforeTheFadeEndsKeepsTheOverlay)
{
    auto overlay = SHKActivityIndicator::currentIndicator();
    overlay->show();
    overlay->hide();
    clock.advance(0.2);
    overlay->show();
    clock.advance(0.3);
    EXPECT_TRUE(onScreen(overlay, window));
    EXPECT_EQ(overlay->alpha(), 1);

    overlay->hide();
    clock.advance(0.4);
    EXPECT_FALSE(overlay->superview());
}

TEST_F(Overlay, MessagesAndTheSpinnerComeAndGo)
{
    auto overlay = SHKActivityIndicator::currentIndicator();
    overlay->showSpinner();
    auto spinner = overlay->spinner();
    overlay->setCenterMessage(std::string("42"));
    EXPECT_FALSE(spinner->superview()); // a centre text hides the spinner, which is kept
    EXPECT_EQ(overlay->spinner(), spinner);
    overlay->setCenterMessage(std::nullopt);
    EXPECT_FALSE(overlay->centerMessageLabel());
    overlay->showSpinner();
    EXPECT_EQ(overlay->spinner(), spinner);
    EXPECT_EQ(spinner->superview(), overlay.get());
    cg::Size own = spinner->frame().size;
    EXPECT_EQ(spinner->frame().origin,
              cg::makePoint(std::round(80 - own.width / 2), std::round(80 - own.height / 2)));
    overlay->setSubMessage(std::string("one"));
    auto label = overlay->subMessageLabel();
    overlay->setSubMessage(std::string("two"));
    EXPECT_EQ(overlay->subMessageLabel(), label);
    EXPECT_EQ(label->text(), "two");
    overlay->setSubMessage(std::nullopt);
    EXPECT_FALSE(overlay->subMessageLabel());
    EXPECT_FALSE(label->superview());
}

TEST_F(Overlay, TurnsWithTheStatusBar)
{
    struct Row
    {
        const char* name;
        ui::InterfaceOrientation orientation;
        float radians;
    } rows[] = {
        {"landscape right", ui::InterfaceOrientation::LandscapeRight, 1.5707964f},
        {"upside down", ui::InterfaceOrientation::PortraitUpsideDown, 3.1415927f},
        {"landscape left", ui::InterfaceOrientation::LandscapeLeft, -1.5707964f},
        {"portrait", ui::InterfaceOrientation::Portrait, 0},
    };
    auto overlay = SHKActivityIndicator::currentIndicator();
    EXPECT_TRUE(overlay->transform().isIdentity());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui::Application::sharedApplication().setStatusBarOrientation(row.orientation);
        ui::View::clearRecordedAnimations();
        overlay->setProperRotation();
        EXPECT_EQ(overlay->transform(), cg::AffineTransform::rotation(row.radians));
        ASSERT_EQ(ui::View::recordedAnimations().size(), 1u);
        EXPECT_DOUBLE_EQ(ui::View::recordedAnimations()[0].duration,
                         ui::Application::statusBarOrientationAnimationDuration());
    }
}

TEST_F(Overlay, TurnsWhenTheDeviceTurnsAndTheScreenFollows)
{
    auto overlay = SHKActivityIndicator::currentIndicator();
    // The default screen stays upright: neither the status bar nor the overlay turns.
    window->setRootViewController(ui::ViewController::create());
    ui::Device::currentDevice()->turnTo(ui::DeviceOrientation::LandscapeLeft);
    EXPECT_EQ(ui::Application::sharedApplication().statusBarOrientation(),
              ui::InterfaceOrientation::Portrait);
    EXPECT_TRUE(overlay->transform().isIdentity());

    window->setRootViewController(testkit::TurningController::create());
    ui::Device::currentDevice()->turnTo(ui::DeviceOrientation::LandscapeLeft);
    EXPECT_EQ(ui::Application::sharedApplication().statusBarOrientation(),
              ui::InterfaceOrientation::LandscapeRight);
    EXPECT_EQ(overlay->transform(), cg::AffineTransform::rotation(1.5707964f));
}

} // namespace
