#pragma once

#include <iosfwd>
#include <string>

namespace ui {
class TouchDriver;
}

namespace velmo {

// Runs a script of device commands (see the help text) against the screen.
class Script
{
public:
    Script(ui::TouchDriver& driver, std::string shotsFolder, float scale);

    // The exit status: 0 done, 1 a step could not be done, 2 a mistake in the script.
    int run(std::istream& in, std::ostream& out, std::ostream& err);
    // One line; false stops the script with `status` and `message`.
    bool runLine(const std::string& line, std::ostream& out, int& status, std::string& message);

private:
    void wait(double seconds);
    // Lets a running transition, and the one its end brings on, finish before a touch.
    void waitForStillScreen();
    // False when nothing showed `text` in time.
    bool await(const std::string& text);

    ui::TouchDriver& m_driver;
    std::string m_shots;
    float m_scale;
};

} // namespace velmo
