#include "sharing/ui/SHKActivityIndicator.h"

#include "foundation/NotificationCenter.h"
#include "foundation/RunLoop.h"
#include "uikit/ActivityIndicatorView.h"
#include "uikit/Application.h"
#include "uikit/Color.h"
#include "uikit/Device.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/Layer.h"
#include "uikit/Window.h"

#include <cmath>
#include <mutex>

namespace {

constexpr cg::Float Side = 160;
constexpr ns::TimeInterval FadeIn = 0.3;
constexpr ns::TimeInterval FadeOut = 0.4;
constexpr ns::TimeInterval CompletedShownFor = 0.6;
constexpr ns::TimeInterval BackToFull = 0.1;
constexpr float Pi = 3.1415927f;

ns::Ref<SHKActivityIndicator>& sharedIndicator()
{
    // Main thread only, like every view. Never freed: the overlay outlives the notification centre and the
    // run loop it leaves when it goes, so it must not go at the process's end.
    static auto* indicator = new ns::Ref<SHKActivityIndicator>();
    return *indicator;
}

} // namespace

SHKActivityIndicator::SHKActivityIndicator(cg::Rect frame) : View(frame)
{
    setBackgroundColor(ui::Color::colorWithWhite(0, 0.5f));
    setOpaque(false);
    layer()->setCornerRadius(10);
    setUserInteractionEnabled(false);
    setAutoresizesSubviews(true);
    setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin |
                        ui::AutoresizingFlexibleTopMargin | ui::AutoresizingFlexibleBottomMargin);
    setAlpha(0);
}

SHKActivityIndicator::~SHKActivityIndicator()
{
    ns::NotificationCenter::defaultCenter().removeObserver(this);
    ns::RunLoop::main().cancelPerforms(this);
}

ns::Ref<SHKActivityIndicator> SHKActivityIndicator::currentIndicator()
{
    auto& indicator = sharedIndicator();
    if (indicator)
        return indicator;
    auto window = ui::Application::sharedApplication().keyWindow();
    cg::Rect frame = cg::makeRect(-80, -80, Side, Side);
    if (window) {
        cg::Size size = window->bounds().size;
        frame.origin =
            cg::makePoint(std::round(size.width / 2 - Side / 2), std::round(size.height / 2 - Side / 2));
    }
    indicator = ns::Factory<SHKActivityIndicator>::make(frame);
    indicator->setProperRotation(false);
    ns::NotificationCenter::defaultCenter().addObserver(
        indicator.get(), ui::DeviceOrientationDidChangeNotification, nullptr,
        [weak = ns::Weak<SHKActivityIndicator>(indicator)](const ns::Notification&) {
            if (auto me = weak.lock())
                me->setProperRotation();
        });
    return indicator;
}

void SHKActivityIndicator::reset()
{
    auto indicator = std::move(sharedIndicator());
    if (indicator)
        indicator->removeFromSuperview();
}

// Showing and hiding

void SHKActivityIndicator::show()
{
    auto window = ui::Application::sharedApplication().keyWindow();
    if (window && superview() != window.get())
        window->addSubview(self<SHKActivityIndicator>());
    ns::RunLoop::main().cancelPerforms(this, "hide");
    beginAnimations("show");
    setAnimationDuration(FadeIn);
    setAlpha(1);
    commitAnimations();
}

void SHKActivityIndicator::hide()
{
    beginAnimations("hide");
    setAnimationDuration(FadeOut);
    setAnimationDelegate(shared_from_this());
    setAnimationDidStopSelector([weak = ns::Weak<SHKActivityIndicator>(self<SHKActivityIndicator>())](
                                    const std::string&, bool, void*) {
        if (auto me = weak.lock())
            me->hidden();
    });
    setAlpha(0);
    commitAnimations();
}

void SHKActivityIndicator::hidden()
{
    // A show in the meantime brought the overlay back.
    if (alpha() > 0)
        return;
    removeFromSuperview();
}

void SHKActivityIndicator::hideAfterDelay()
{
    ns::RunLoop::main().performAfterDelay(
        this, "hide", CompletedShownFor,
        [weak = ns::Weak<SHKActivityIndicator>(self<SHKActivityIndicator>())] {
            if (auto me = weak.lock())
                me->hide();
        });
}

void SHKActivityIndicator::persist()
{
    ns::RunLoop::main().cancelPerforms(this, "hide");
    beginAnimations("persist");
    setAnimationBeginsFromCurrentState(true);
    setAnimationDuration(BackToFull);
    setAlpha(1);
    commitAnimations();
}

// Content

void SHKActivityIndicator::displayActivity(const std::string& message)
{
    setSubMessage(message);
    showSpinner();
    if (m_centerMessageLabel) {
        m_centerMessageLabel->removeFromSuperview();
        m_centerMessageLabel.reset();
    }
    if (superview())
        persist();
    else
        show();
}

void SHKActivityIndicator::displayCompleted(const std::string& message)
{
    setCenterMessage(std::string("\u2713"));
    setSubMessage(message);
    if (m_spinner) {
        m_spinner->removeFromSuperview();
        m_spinner.reset();
    }
    if (superview())
        persist();
    else
        show();
    hideAfterDelay();
}

ns::Ref<ui::Label> SHKActivityIndicator::makeLabel(cg::Rect frame, float fontSize)
{
    auto label = ui::Label::create(frame);
    label->setBackgroundColor(ui::Color::clearColor());
    label->setOpaque(false);
    label->setTextColor(ui::Color::whiteColor());
    label->setFont(ui::Font::boldSystemFontOfSize(fontSize));
    label->setTextAlignment(ui::TextAlignment::Center);
    label->setShadowColor(ui::Color::darkGrayColor());
    label->setShadowOffset(cg::Size{1, 1});
    label->setAdjustsFontSizeToFitWidth(true);
    return label;
}

void SHKActivityIndicator::setCenterMessage(const std::optional<std::string>& message)
{
    if (!message) {
        if (m_centerMessageLabel) {
            m_centerMessageLabel->removeFromSuperview();
            m_centerMessageLabel.reset();
        }
        return;
    }
    if (!m_centerMessageLabel) {
        cg::Size size = bounds().size;
        m_centerMessageLabel =
            makeLabel(cg::makeRect(12, std::round(size.height / 2 - 25), size.width - 24, 50), 40);
        addSubview(m_centerMessageLabel);
    }
    m_centerMessageLabel->setText(message);
    hideSpinner();
}

void SHKActivityIndicator::setSubMessage(const std::optional<std::string>& message)
{
    if (!message) {
        if (m_subMessageLabel) {
            m_subMessageLabel->removeFromSuperview();
            m_subMessageLabel.reset();
        }
        return;
    }
    if (!m_subMessageLabel) {
        cg::Size size = bounds().size;
        m_subMessageLabel = makeLabel(cg::makeRect(12, size.height - 45, size.width - 24, 30), 17);
        addSubview(m_subMessageLabel);
    }
    m_subMessageLabel->setText(message);
}

void SHKActivityIndicator::showSpinner()
{
    if (!m_spinner) {
        m_spinner = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::WhiteLarge);
        cg::Size size = bounds().size;
        cg::Size own = m_spinner->frame().size;
        m_spinner->setFrame(cg::makeRect(std::round(size.width / 2 - own.width / 2),
                                         std::round(size.height / 2 - own.height / 2), own.width,
                                         own.height));
    }
    addSubview(m_spinner);
    m_spinner->startAnimating();
}

void SHKActivityIndicator::hideSpinner()
{
    if (m_spinner)
        m_spinner->removeFromSuperview();
}

// Turning with the device

void SHKActivityIndicator::setProperRotation()
{
    setProperRotation(true);
}

void SHKActivityIndicator::setProperRotation(bool animated)
{
    if (animated) {
        beginAnimations("rotation");
        setAnimationDuration(ui::Application::statusBarOrientationAnimationDuration());
    }
    switch (ui::Application::sharedApplication().statusBarOrientation()) {
    case ui::InterfaceOrientation::Portrait:
        setTransform(cg::AffineTransform::rotation(0));
        break;
    case ui::InterfaceOrientation::PortraitUpsideDown:
        setTransform(cg::AffineTransform::rotation(Pi));
        break;
    case ui::InterfaceOrientation::LandscapeRight:
        setTransform(cg::AffineTransform::rotation(Pi / 2));
        break;
    case ui::InterfaceOrientation::LandscapeLeft:
        setTransform(cg::AffineTransform::rotation(-Pi / 2));
        break;
    }
    if (animated)
        commitAnimations();
}
