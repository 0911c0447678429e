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

void Device::turnTo(DeviceOrientation orientation)
{
    m_orientation = orientation;
    auto& application = Application::sharedApplication();
    auto interface = interfaceOrientationFor(orientation);
    auto window = application.keyWindow();
    ns::Ref<ViewController> front = window ? window->rootViewController() : nullptr;
    while (front && front->presentedViewController())
        front = front->presentedViewController();
    if (interface && front && front->shouldAutorotateToInterfaceOrientation(*interface))
        application.setStatusBarOrientation(*interface);
    ns::NotificationCenter::defaultCenter().postNotification(DeviceOrientationDidChangeNotification,
                                                             shared_from_this());
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
