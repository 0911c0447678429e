#include "Script.h"

#include "Options.h"
#include "foundation/Clock.h"
#include "foundation/FileManager.h"
#include "foundation/RunLoop.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "sharing/sharer/SHKSharer.h"
#include "system/Location.h"
#include "system/Reachability.h"
#include "testing/TouchDriver.h"
#include "uikit/Application.h"
#include "uikit/Device.h"
#include "uikit/Image.h"
#include "uikit/Render.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <istream>
#include <ostream>
#include <sstream>
#include <vector>

namespace velmo {
namespace {

// The longest a single wait may last, and the most steps a gesture may take: a script is a test, not a
// way to hang the device.
constexpr double MaxWait = 3600;
constexpr int MaxSteps = 1000;
constexpr double MaxCoordinate = 100000;
// How long an await looks, in real seconds, for work done off the device's clock (a service's reply, a
// thread's result) before the script gives up.
constexpr double AwaitLimit = 60;
// The most device time a touch waits for the screen to come to rest, and how long it looks for a screen
// that a transition's end brings on.
constexpr double MaxStillWait = 10;
constexpr double FollowUpWait = 0.1;

std::vector<std::string> words(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

bool number(const std::string& word, double& value)
{
    const char* begin = word.data();
    const char* end = begin + word.size();
    auto [ptr, error] = std::from_chars(begin, end, value);
    return error == std::errc() && ptr == end && std::isfinite(value);
}

bool coordinate(const std::string& word, double& value)
{
    return number(word, value) && std::fabs(value) <= MaxCoordinate;
}

std::string unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[i + 1];
            if (next == 'n') {
                out += '\n';
                ++i;
                continue;
            }
            if (next == '\\') {
                out += '\\';
                ++i;
                continue;
            }
            if (next == 'b') {
                out += '\b';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

bool validShotName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// The MIME type a file's extension stands for, as the device's file sharing names it.
std::string mimeTypeOfFile(const std::string& name)
{
    static const std::pair<const char*, const char*> types[] = {
        {".pdf", "application/pdf"}, {".txt", "text/plain"}, {".html", "text/html"},
        {".png", "image/png"},       {".jpg", "image/jpeg"}, {".jpeg", "image/jpeg"},
    };
    std::string extension = ns::toLowerAscii(std::filesystem::path(name).extension().string());
    for (const auto& [suffix, type] : types)
        if (extension == suffix)
            return type;
    return "application/octet-stream";
}

} // namespace

Script::Script(ui::TouchDriver& driver, std::string shotsFolder, float scale)
    : m_driver(driver), m_shots(std::move(shotsFolder)), m_scale(scale)
{
}

void Script::wait(double seconds)
{
    // The clock moves in small steps, and between them the run loop looks for real replies.
    double left = seconds;
    do {
        double step = std::min(left, 0.05);
        m_driver.advance(step);
        ns::RunLoop::main().runOnce(0.002);
        left -= step;
    } while (left > 1e-9);
    m_driver.settle();
}

bool Script::await(const std::string& text)
{
    // The clock moves in small steps while the real time runs: what a thread or a server hands back
    // arrives on the run loop, and the screens it brings animate in.
    auto start = std::chrono::steady_clock::now();
    while (!m_driver.showsText(text)) {
        if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > AwaitLimit)
            return false;
        m_driver.advance(0.02);
        ns::RunLoop::main().runOnce(0.005);
    }
    m_driver.settle();
    return true;
}

void Script::waitForStillScreen()
{
    // A screen on its way takes no touches; a person waits for it, and for what its arrival sets off
    // (the next screen a moment later), before touching.
    auto& application = ui::Application::sharedApplication();
    if (!application.isIgnoringInteractionEvents())
        return;
    double waited = 0;
    while (waited < MaxStillWait) {
        while (application.isIgnoringInteractionEvents() && waited < MaxStillWait) {
            m_driver.advance(0.02);
            ns::RunLoop::main().runOnce(0.002);
            waited += 0.02;
        }
        for (double after = 0; after < FollowUpWait && !application.isIgnoringInteractionEvents();
             after += 0.02) {
            m_driver.advance(0.02);
            ns::RunLoop::main().runOnce(0.002);
            waited += 0.02;
        }
        if (!application.isIgnoringInteractionEvents())
            break;
    }
    m_driver.settle();
}

bool Script::runLine(const std::string& raw, std::ostream& out, int& status, std::string& message)
{
    std::string line = ns::trimWhitespaceAndNewlines(raw);
    if (line.empty() || line[0] == '#')
        return true;
    std::size_t space = line.find_first_of(" \t");
    std::string command = line.substr(0, space);
    std::string rest =
        space == std::string::npos ? std::string() : ns::trimWhitespace(line.substr(space + 1));
    // "quickly" touches at once, as an impatient finger does: a screen on its way ignores the touch.
    bool waitsForTheScreen = true;
    if (command == "quickly") {
        waitsForTheScreen = false;
        space = rest.find_first_of(" \t");
        command = rest.substr(0, space);
        rest = space == std::string::npos ? std::string() : ns::trimWhitespace(rest.substr(space + 1));
    }
    std::vector<std::string> args = words(rest);
    auto bad = [&](const std::string& text) {
        status = 2;
        message = text;
        return false;
    };
    auto failed = [&](const std::string& text) {
        status = 1;
        message = text;
        return false;
    };
    auto numbers = [&](std::size_t count, std::vector<double>& values) {
        if (args.size() != count)
            return false;
        values.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            if (!coordinate(args[i], values[i]))
                return false;
        return true;
    };
    std::vector<double> v;
    auto point = [](double x, double y) { return cg::makePoint(float(x), float(y)); };
    static const char* const touching[] = {"tap",   "doubletap", "drag", "pinch", "rotate",
                                           "press", "alert",     "type", "clear"};
    bool touches = std::find(std::begin(touching), std::end(touching), command) != std::end(touching);
    if (!waitsForTheScreen && !touches) {
        status = 2;
        message = "quickly needs a touching command after it (tap, doubletap, drag, pinch, rotate, press, "
                  "alert, type, clear)";
        return false;
    }
    if (touches && waitsForTheScreen)
        waitForStillScreen();

    if (command == "tap" || command == "doubletap") {
        if (!numbers(2, v))
            return bad(command + " needs two numbers: X Y");
        if (command == "tap")
            m_driver.tap(point(v[0], v[1]));
        else
            m_driver.doubleTap(point(v[0], v[1]));
    } else if (command == "drag") {
        int steps = 10;
        if (args.size() == 5) {
            double s;
            if (!number(args[4], s) || s < 1 || s > MaxSteps || s != std::floor(s))
                return bad("drag: STEPS is a whole number from 1 to 1000");
            steps = int(s);
            args.pop_back();
        }
        if (!numbers(4, v))
            return bad("drag needs four numbers and an optional step count: X1 Y1 X2 Y2 [STEPS]");
        m_driver.drag(point(v[0], v[1]), point(v[2], v[3]), steps);
    } else if (command == "pinch") {
        if (!numbers(4, v) || v[2] < 0 || v[3] < 0)
            return bad("pinch needs X Y FROM TO, the distances not negative");
        m_driver.pinch(point(v[0], v[1]), float(v[2]), float(v[3]));
    } else if (command == "rotate") {
        if (!numbers(3, v))
            return bad("rotate needs three numbers: X Y DEGREES");
        m_driver.rotate(point(v[0], v[1]), float(v[2]));
    } else if (command == "press") {
        if (rest.empty())
            return bad("press needs the text of what to press");
        if (!m_driver.press(rest))
            return failed("nothing on screen to press shows \"" + rest + "\"");
    } else if (command == "alert") {
        if (rest.empty())
            return bad("alert needs a button title or index");
        bool answered = m_driver.answerAlert(rest);
        double index;
        if (!answered && number(rest, index) && index >= 0 && index == std::floor(index) && index < 1000)
            answered = m_driver.answerAlertAtIndex(long(index));
        if (!answered)
            return failed("no alert or sheet on screen has a button \"" + rest + "\"");
    } else if (command == "type") {
        if (rest.empty())
            return bad("type needs the text to type");
        if (!m_driver.type(unescape(rest)))
            return failed("nothing on screen takes typed text");
    } else if (command == "clear") {
        if (!args.empty())
            return bad("clear takes no arguments");
        if (!m_driver.clearText())
            return failed("nothing on screen takes typed text");
    } else if (command == "wait") {
        double seconds;
        if (args.size() != 1 || !number(args[0], seconds) || seconds < 0 || seconds > MaxWait)
            return bad("wait needs a number of seconds from 0 to 3600");
        wait(seconds);
    } else if (command == "await") {
        if (rest.empty())
            return bad("await needs the text to wait for");
        if (!await(rest))
            return failed("nothing on screen showed \"" + rest + "\" within 60 seconds");
    } else if (command == "shot") {
        if (!validShotName(rest))
            return bad("shot needs a picture name without a folder");
        std::string path = m_shots + "/" + rest + ".png";
        if (!ui::renderScreenToFile(m_scale, path))
            return failed("could not write " + path);
    } else if (command == "network") {
        if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
            return bad("network needs on or off");
        net::Reachability::setNetworkOn(args[0] == "on");
        m_driver.settle();
    } else if (command == "location") {
        double lat = 0, lon = 0;
        if (args.size() == 1 && args[0] == "off")
            cl::LocationManager::setServicesEnabled(false);
        else if (args.size() == 2 && parseCoordinate(args[0], args[1], lat, lon))
            cl::LocationManager::setDevicePosition(cl::LocationCoordinate2D{lat, lon});
        else
            return bad("location needs LATITUDE LONGITUDE in degrees, or off");
        m_driver.settle();
    } else if (command == "turn") {
        static const std::pair<const char*, ui::DeviceOrientation> orientations[] = {
            {"portrait", ui::DeviceOrientation::Portrait},
            {"upside-down", ui::DeviceOrientation::PortraitUpsideDown},
            {"landscape-left", ui::DeviceOrientation::LandscapeLeft},
            {"landscape-right", ui::DeviceOrientation::LandscapeRight},
        };
        auto found = std::find_if(std::begin(orientations), std::end(orientations), [&](const auto& entry) {
            return args.size() == 1 && args[0] == entry.first;
        });
        if (found == std::end(orientations))
            return bad("turn needs portrait, upside-down, landscape-left or landscape-right");
        ui::Device::currentDevice()->turnTo(found->second);
        m_driver.settle();
    } else if (command == "share") {
        // A web address, an image or a file to a sharer, as the share screens hand it over: the sharer's
        // forms follow.
        if (args.size() < 2)
            return bad("share needs a sharer's class name and a web address, then an optional title");
        if (args[1] == "image" || args[1] == "file") {
            if (args.size() < 3)
                return bad("share " + args[1] + " needs the path of the " + args[1] +
                           ", then an optional title");
            std::optional<std::string> title;
            std::size_t at = rest.find(args[2], rest.find(args[1], args[0].size()) + args[1].size());
            if (std::string more = ns::trimWhitespace(rest.substr(at + args[2].size())); !more.empty())
                title = more;
            ns::Ref<SHKSharer> sharer;
            if (args[1] == "image") {
                auto image = ui::Image::imageWithContentsOfFile(args[2]);
                if (!image)
                    return failed("share: \"" + args[2] + "\" is not a picture that can be read");
                sharer = SHKSharer::shareImage(args[0], image, title);
            } else {
                auto data = ns::FileManager::contentsAtPath(args[2]);
                if (!data)
                    return failed("share: the file \"" + args[2] + "\" cannot be read");
                std::string name = std::filesystem::path(args[2]).filename().string();
                sharer = SHKSharer::shareFile(args[0], data, name, mimeTypeOfFile(name), title);
            }
            if (!sharer)
                return failed("no sharer is registered as \"" + args[0] + "\"");
            m_driver.settle();
            return true;
        }
        auto url = ns::URL::withString(args[1]);
        if (!url || !url->scheme())
            return bad("share: \"" + args[1] + "\" is not a web address");
        std::optional<std::string> title;
        std::size_t at = rest.find(args[1], args[0].size()) + args[1].size();
        if (std::string more = ns::trimWhitespace(rest.substr(at)); !more.empty())
            title = more;
        if (!SHKSharer::shareURL(args[0], url, title))
            return failed("no sharer is registered as \"" + args[0] + "\"");
        m_driver.settle();
    } else if (command == "receive") {
        // Another application (the browser, at the end of a sign-in) opens an address of this one.
        if (args.size() != 1 || !ns::URL::withString(args[0]))
            return bad("receive needs one address, such as the one a sign-in page sends back");
        if (!ui::Application::sharedApplication().receiveURL(args[0]))
            return failed("the application did not take \"" + args[0] + "\"");
        m_driver.settle();
    } else if (command == "sharetext") {
        // A text to a sharer, as the share screens hand it over.
        if (args.size() < 2)
            return bad("sharetext needs a sharer's class name and the text");
        std::string text = unescape(ns::trimWhitespace(rest.substr(rest.find(args[0]) + args[0].size())));
        if (!SHKSharer::shareText(args[0], text))
            return failed("no sharer is registered as \"" + args[0] + "\"");
        m_driver.settle();
    } else if (command == "dump") {
        if (!args.empty())
            return bad("dump takes no arguments");
        out << ui::dumpScreen();
        out.flush();
    } else {
        return bad("unknown command \"" + command + "\"");
    }
    return true;
}

int Script::run(std::istream& in, std::ostream& out, std::ostream& err)
{
    m_driver.settle();
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        // A line far longer than any command is a mistake, not something to act on.
        if (line.size() > 64 * 1024) {
            err << "velmo: script line " << number << ": the line is too long\n";
            return 2;
        }
        int status = 0;
        std::string message;
        if (!runLine(line, out, status, message)) {
            err << "velmo: script line " << number << ": " << message << "\n";
            return status;
        }
    }
    return 0;
}

} // namespace velmo
