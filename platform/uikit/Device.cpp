#include "uikit/Device.h"

#include "foundation/NotificationCenter.h"
#include "foundation/Version.h"
#include "uikit/Application.h"
#include "uikit/ViewController.h"
#include "uikit/Window.h"

#include <optional>

namespace ui {

ns::Ref<Device> Device::currentDevice()
{
    static const ns::Ref<Device> device = ns::Factory<Device>::make();
    return device;
}

namespace {

// The interface orientation that keeps the screen upright in a device orientation; the numbers match, as
// the device turning left turns the interface right.
std::optional<InterfaceOrientation> interfaceOrientationFor(DeviceOrientation orientation)
{
    switch (orientation) {
    case DeviceOrientation::Portrait:
    case DeviceOrientation::PortraitUpsideDown:
    case DeviceOrientation::LandscapeLeft:
    case DeviceOrientation::LandscapeRight:
        return static_cast<InterfaceOrientation>(static_cast<int>(orientation));
    case DeviceOrientation::Unknown:
    case DeviceOrientation::FaceUp:
    case DeviceOrientation::FaceDown:
        break;
    }
    return std::nullopt;
}

} // namespace

ns::Ref<ViewController> Device::frontViewController()
{
    auto window = Application::sharedApplication().keyWindow();
    if (!window || window->subviews().empty())
        return nullptr;
    ViewController* owner = window->subviews().front()->viewController();
    if (!owner)
        return nullptr;
    ns::Ref<ViewController> front = owner->self<ViewController>();
    while (front->presentedViewController())
        front = front->presentedViewController();
    return front;
}

void Device::turnTo(DeviceOrientation orientation)
{
    m_orientation = orientation;
    auto& application = Application::sharedApplication();
    auto interface = interfaceOrientationFor(orientation);
    auto front = frontViewController();
    if (interface && front && front->shouldAutorotateToInterfaceOrientation(*interface))
        application.setStatusBarOrientation(*interface);
    ns::NotificationCenter::defaultCenter().postNotification(DeviceOrientationDidChangeNotification,
                                                             shared_from_this());
}

void Device::frontScreenChanged(const ViewController& front)
{
    auto& application = Application::sharedApplication();
    if (front.shouldAutorotateToInterfaceOrientation(application.statusBarOrientation()))
        return;
    auto held = interfaceOrientationFor(m_orientation);
    if (held && front.shouldAutorotateToInterfaceOrientation(*held))
        application.setStatusBarOrientation(*held);
    else if (front.shouldAutorotateToInterfaceOrientation(InterfaceOrientation::Portrait))
        application.setStatusBarOrientation(InterfaceOrientation::Portrait);
}

void Device::reset()
{
    m_systemVersion = "4.2";
    m_name = "Velmo";
    m_idiom = UserInterfaceIdiom::Phone;
    m_multitasking = true;
    m_orientation = DeviceOrientation::Portrait;
    // The library that goes with system 4.2.
    ns::setCoreFoundationVersionNumber(ns::CoreFoundationVersionNumber_iPhoneOS_4_2);
}

} // namespace ui
