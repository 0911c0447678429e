#pragma once

#include <iosfwd>
#include <memory>

namespace velmo {

// Whether there is a desktop to open a window on (an X or Wayland display is named).
bool displayAvailable();

// The device's screen in a desktop window, for a person to use: the mouse is a finger, Shift or Alt
// while dragging adds a second finger mirrored about the screen's centre, the keyboard types into the
// first responder. The application runs on the system clock; the screen is drawn again whenever input
// or the run loop's work may have changed it.
class DeviceWindow
{
public:
    explicit DeviceWindow(float scale);
    ~DeviceWindow();
    DeviceWindow(const DeviceWindow&) = delete;
    DeviceWindow& operator=(const DeviceWindow&) = delete;

    // Opens the window; false with a message on `err` when it cannot.
    bool open(std::ostream& err);
    // Runs the launched application until the window is closed, then tells it that it terminates.
    // The exit status.
    int run();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace velmo
