#pragma once

// Runs the velmo binary as a user runs it from a shell, in a fresh home, and keeps what it printed.
#include "foundation/FileManager.h"
#include "graphics/Image.h"
#include "testing/TemporaryHome.h"
#include "uikit/Image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>

struct VelmoRun
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs velmo with the arguments (already quoted for the shell) in the home's "device" folder.
inline VelmoRun velmo(const testkit::TemporaryHome& home, const std::string& arguments)
{
    std::string errors = home.file("stderr.txt");
    std::string command = "'";
    command += VELMO_BINARY;
    command += "' --home '";
    command += home.file("device");
    command += "' ";
    command += arguments;
    command += " 2>'";
    command += errors;
    command += "'";
    VelmoRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream file(errors);
    std::stringstream text;
    text << file.rdbuf();
    run.err = text.str();
    return run;
}

// The device's settings file "settings.plist" in the home, with these keys and values: texts, unless a
// value is already a property-list element. Gives the file's path.
inline std::string settingsFile(const testkit::TemporaryHome& home,
                                const std::vector<std::pair<std::string, std::string>>& values)
{
    std::string plist = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>";
    for (const auto& [key, value] : values) {
        plist += "<key>";
        plist += key;
        plist += "</key>";
        if (!value.empty() && value.front() == '<') {
            plist += value;
        } else {
            plist += "<string>";
            plist += value;
            plist += "</string>";
        }
    }
    plist += "</dict>\n</plist>\n";
    std::string path = home.file("settings.plist");
    EXPECT_TRUE(ns::FileManager::writeAtomically(path, plist));
    return path;
}

// Writes the script's text to the file of that name in the home and gives velmo's option naming it.
inline std::string scriptOption(const testkit::TemporaryHome& home, const std::string& name,
                                const std::string& text)
{
    std::string path = home.file(name);
    EXPECT_TRUE(ns::FileManager::writeAtomically(path, text));
    std::string option = "--script '";
    option += path;
    option += "'";
    return option;
}

// How a script is run: velmo gets "--config FILE OPTIONS --shots FOLDER --script FILE", each part only
// when asked for.
struct ScriptRun
{
    std::string config{};  // the settings file; none when empty
    std::string options{}; // further options, already quoted for the shell
    bool shots = false;    // pictures go to the home's "shots" folder
    std::string name = "share.script";
};

// Runs velmo on the script's text, written to a file in the home.
inline VelmoRun runScript(const testkit::TemporaryHome& home, const std::string& text,
                          const ScriptRun& how = {})
{
    std::string arguments;
    if (!how.config.empty()) {
        arguments += "--config '";
        arguments += how.config;
        arguments += "' ";
    }
    if (!how.options.empty()) {
        arguments += how.options;
        arguments += " ";
    }
    if (how.shots) {
        std::string shots = home.file("shots");
        EXPECT_TRUE(ns::FileManager::createDirectoryAtPath(shots, true));
        arguments += "--shots '";
        arguments += shots;
        arguments += "' ";
    }
    arguments += scriptOption(home, how.name, text);
    return velmo(home, arguments);
}

// A colour of a picture, each part from 0 to 255.
struct Colour
{
    int red = 0, green = 0, blue = 0;

    int brightness() const { return (red + green + blue) / 3; }
    // The blue of a done button, a selected row or the keyboard's caret.
    bool isBlue() const { return blue > red + 80; }
    // The dark blue of an alert's box.
    bool isNavy() const { return blue > red + 40 && brightness() < 90; }
};

inline std::ostream& operator<<(std::ostream& out, const Colour& colour)
{
    return out << "rgb(" << colour.red << ", " << colour.green << ", " << colour.blue << ")";
}

// The picture NAME.png that a script's "shot NAME" wrote into the home's "shots" folder.
class Shot
{
public:
    Shot(const testkit::TemporaryHome& home, const std::string& name)
        : m_image(ui::Image::imageWithContentsOfFile(home.file("shots/" + name + ".png")))
    {
    }

    // Whether the picture could be read and is the whole screen, 320 by 480 points.
    bool isScreen() const
    {
        return m_image && m_image->CGImage()->width() == 320 && m_image->CGImage()->height() == 480;
    }
    // The colour at the point; black outside the picture.
    Colour at(std::size_t x, std::size_t y) const
    {
        if (!isScreen() || x >= 320 || y >= 480)
            return {};
        uint8_t rgba[4];
        m_image->CGImage()->pixelBytes(x, y, rgba);
        return {rgba[0], rgba[1], rgba[2]};
    }

private:
    ns::Ref<ui::Image> m_image;
};
