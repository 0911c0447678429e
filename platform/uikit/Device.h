#pragma once

#include "foundation/Object.h"

#include <string>

namespace ui {

class ViewController;

enum class UserInterfaceIdiom { Phone = 0, Pad = 1 };

// The platform's device orientations.
enum class DeviceOrientation {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 3,
    LandscapeRight = 4,
    FaceUp = 5,
    FaceDown = 6,
};

// Posted when the device turns (object: the device).
inline constexpr const char* DeviceOrientationDidChangeNotification =
    "UIDeviceOrientationDidChangeNotification";

// The simulated device: a phone running a settable system version.
class Device : public ns::Object
{
public:
    static ns::Ref<Device> currentDevice();

    const std::string& systemVersion() const { return m_systemVersion; }
    void setSystemVersion(std::string version) { m_systemVersion = std::move(version); } // "4.2", "10.0"
    std::string systemName() const { return "iPhone OS"; }
    std::string model() const { return "iPhone"; }
    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }

    UserInterfaceIdiom userInterfaceIdiom() const { return m_idiom; }
    void setUserInterfaceIdiom(UserInterfaceIdiom idiom) { m_idiom = idiom; }
    bool isMultitaskingSupported() const { return m_multitasking; }
    void setMultitaskingSupported(bool supported) { m_multitasking = supported; }

    // Stored; turnTo is the person turning the device.
    DeviceOrientation orientation() const { return m_orientation; }
    void setOrientation(DeviceOrientation orientation) { m_orientation = orientation; }
    // The person turns the device: the orientation changes, the status bar follows when the front screen
    // allows the matching interface orientation, then the change is posted.
    void turnTo(DeviceOrientation orientation);
    // The screen asked before the interface turns, found as system 4 finds it: the controller that owns
    // the key window's first subview, then the screens it presents. Nothing when that view has no
    // controller.
    static ns::Ref<ViewController> frontViewController();
    // Another screen comes to the front (the one over it is dismissed): when it does not allow the status
    // bar's orientation, the status bar turns to the device's orientation if it allows that, else upright.
    void frontScreenChanged(const ViewController& front);

    // Back to a phone on "4.2" (and its core foundation version), multitasking, portrait.
    void reset();

    std::string className() const override { return "UIDevice"; }

protected:
    Device() = default;
    friend ns::Factory<Device>;

private:
    std::string m_systemVersion = "4.2";
    std::string m_name = "Velmo";
    UserInterfaceIdiom m_idiom = UserInterfaceIdiom::Phone;
    bool m_multitasking = true;
    DeviceOrientation m_orientation = DeviceOrientation::Portrait;
};

} // namespace ui
