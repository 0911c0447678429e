#include "Options.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace velmo {
namespace {

// "5.0", "4.3.2": two to four numbers of at most four digits each.
bool validSystemVersion(std::string_view text)
{
    int numbers = 0;
    std::size_t digits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (digits++ == 0)
                ++numbers;
            if (digits > 4)
                return false;
        } else if (c == '.' && digits > 0) {
            digits = 0;
        } else {
            return false;
        }
    }
    return digits > 0 && numbers >= 2 && numbers <= 4;
}

} // namespace

namespace {

bool decimal(const std::string& text, double& value)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    auto [ptr, error] = std::from_chars(begin, end, value);
    return !text.empty() && error == std::errc() && ptr == end && std::isfinite(value);
}

} // namespace

bool parseCoordinate(const std::string& latitude, const std::string& longitude, double& lat, double& lon)
{
    return decimal(latitude, lat) && decimal(longitude, lon) && std::fabs(lat) <= 90 && std::fabs(lon) <= 180;
}

bool parseOptions(int argc, char** argv, Options& options, std::string& message)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                message = std::string(arg) + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--window") {
            options.window = true;
        } else if (arg == "--home") {
            if (!value(text))
                return false;
            options.home = text;
        } else if (arg == "--contacts") {
            if (!value(text))
                return false;
            options.contacts = text;
        } else if (arg == "--script") {
            if (!value(text))
                return false;
            options.script = text;
        } else if (arg == "--shots") {
            if (!value(text))
                return false;
            options.shots = text;
        } else if (arg == "--scale") {
            if (!value(text))
                return false;
            if (text != "1" && text != "2") {
                message = "--scale is 1 or 2, not \"" + text + "\"";
                return false;
            }
            options.scale = text == "2" ? 2.0f : 1.0f;
        } else if (arg == "--config") {
            if (!value(text))
                return false;
            options.config = text;
        } else if (arg == "--name-order") {
            if (!value(text))
                return false;
            if (text != "first" && text != "last") {
                message = "--name-order is first or last, not \"" + text + "\"";
                return false;
            }
            options.firstNameOrder = text == "first";
        } else if (arg == "--web") {
            if (!value(text))
                return false;
            if (text != "offline" && text != "network") {
                message = "--web is offline or network, not \"" + text + "\"";
                return false;
            }
            options.webFromNetwork = text == "network";
        } else if (arg == "--multitasking") {
            if (!value(text))
                return false;
            if (text != "on" && text != "off") {
                message = "--multitasking is on or off, not \"" + text + "\"";
                return false;
            }
            options.multitasking = text == "on";
        } else if (arg == "--trust-ca") {
            if (!value(text))
                return false;
            options.trustedAuthorities.push_back(text);
        } else if (arg == "--system-version") {
            if (!value(text))
                return false;
            if (!validSystemVersion(text)) {
                message = "--system-version is numbers joined by dots (5.0), not \"";
                message += text;
                message += '"';
                return false;
            }
            options.systemVersion = text;
        } else if (arg == "--location") {
            if (!value(text))
                return false;
            std::size_t comma = text.find(',');
            double lat = 0, lon = 0;
            if (comma == std::string::npos ||
                !parseCoordinate(text.substr(0, comma), text.substr(comma + 1), lat, lon)) {
                message = "--location is LATITUDE,LONGITUDE in degrees (48.8566,2.3522), not \"";
                message += text;
                message += '"';
                return false;
            }
            options.location = std::make_pair(lat, lon);
        } else if (arg == "--config-keys") {
            options.configKeys = true;
        } else if (arg == "--delegate") {
            if (!value(text))
                return false;
            options.delegate = text;
        } else {
            message = "unknown option \"" + std::string(arg) + "\"";
            return false;
        }
    }
    if (options.window && options.script) {
        message = "--window and --script do not go together";
        return false;
    }
    return true;
}

std::string helpText()
{
    return R"(usage: velmo [--home DIR] [--contacts FILE.vcf] [--script FILE|-] [--shots DIR] [--scale 1|2]
             [--delegate NAME] [--window] [--config FILE] [--config-keys] [--name-order first|last]
             [--trust-ca FILE] [--web offline|network] [--multitasking on|off]
             [--system-version X.Y] [--location LAT,LON]

Runs the Velmo application on a simulated 320 by 480 point phone.

  --home DIR          the device's home folder (default $XDG_DATA_HOME/velmo, else ~/.local/share/velmo):
                      Documents/, Library/, Device/ (opened-urls.log, Contacts.vcf, Mail/, Photos/...)
  --contacts FILE     use this vCard file as the address book (copied to DIR/Device/Contacts.vcf)
  --script FILE|-     run the commands of FILE (- reads standard input), then quit
  --shots DIR         where "shot" writes its pictures (default: the current folder)
  --scale 1|2         pixels per point of the pictures and the window (default 1)
  --delegate NAME     the application delegate class to run (default VelmoAppDelegate); when no class
                      of that name is registered, a small built-in test screen runs instead
  --window            opens the screen in a desktop window (needs DISPLAY or WAYLAND_DISPLAY) and runs
                      the application on the real clock until the window is closed: the mouse is one
                      finger (a quick second click is a double tap); Shift or Alt while dragging adds a
                      second finger mirrored about the screen's centre (pinch, rotate); the keyboard
                      types into the field being edited, Return and Backspace included; F2 switches
                      the device's network off and on again (the title says when it is off)
  --config FILE       the device's settings: a property list holding one dictionary from configuration key
                      to value, which overrides the application's answers for the sharing framework and
                      its sharers (credentials, which are empty by default; the address of every web
                      service, the real one by default; switches). Texts are <string>, switches <true/>
                      or <false/>, numbers <integer>, lists <array> of <string>, colours "#rrggbb" or
                      "#rrggbbaa" ("" for none). A key that is not a configuration key, or a value of
                      the wrong kind, is reported and ignored; a file that is not a dictionary stops
                      velmo
  --config-keys       prints every configuration key with its kind and its answer after the settings of
                      --config, one a line ("maxFavCount (number) = 3"), then quits
  --name-order first|last
                      how the device's address book sorts people: by last name (the phone's default)
                      or by first name
  --trust-ca FILE     the device trusts the certificate authorities of this PEM file as well as the
                      system's, for an HTTPS server of your own (a test server on 127.0.0.1); every
                      server's certificate is still verified. May be given more than once
  --web offline|network
                      where the in-application browser's pages come from: offline (the default) loads
                      every page at once, titled by its host; network loads them over HTTP(S), each
                      redirect shown to the page's owner (a sign-in page of a service, or a fake one on
                      127.0.0.1 together with --config)
  --multitasking on|off
                      whether the device runs applications side by side (on, the default): off, as
                      on the phones that run one application at a time, a service's sign-in stays
                      inside the application instead of handing off to the browser
  --system-version X.Y
                      the device's system version (default 4.2); from 5.0 on the device has its own
                      tweet sheet, to which the Twitter sharer hands its item (a sent tweet lands in
                      DIR/Device/Tweets/)
  --location LAT,LON  where the device is, in degrees (48.8566,2.3522): its location services report
                      that position (accurate to 10 m, no altitude). Without it they are on but have no
                      fix, and say so 30 seconds after an application starts looking
  --help              this text

Without --script the bundled demo script runs when there is one; otherwise velmo describes the device.

A script holds one command a line; coordinates are points from the screen's top left, and TEXT is the
rest of the line:
  tap X Y                       one finger taps
  doubletap X Y                 two taps in quick succession
  drag X1 Y1 X2 Y2 [STEPS]      a finger moves in STEPS moves (default 10)
  pinch X Y FROM TO             two fingers, centred on X Y, from FROM to TO points apart
  rotate X Y DEGREES            two fingers turn about X Y (clockwise on screen for positive degrees)
  press TEXT                    taps the frontmost visible control showing TEXT: a button's title, a bar
                                item's title or system name (Edit, Compose, Action, Done, Cancel...), a
                                table row's text or detail text, the label beside a switch, or the image
                                name without extension of a control showing only an image (heart)
  alert TEXT|INDEX              answers the alert or action sheet on screen by button title or index
  type TEXT                     types into the field being edited; \n is the return key, \b the delete
                                key (backspace), \\ a backslash
  clear                         deletes all the text of the field being edited
  wait SECONDS                  lets time pass (the device's clock moves at once; network replies still
                                arrive)
  await TEXT                    waits until something on screen shows TEXT (a label, a title, a field's
                                text, a web page's address), as a reply from a service arrives; the
                                device's clock moves meanwhile. Gives up after 60 real seconds
  network off|on                switches the network the device reports unreachable or back on (as on
                                Wi-Fi); replies from servers on this machine still arrive
  location LAT LON|off           moves the device to the position (degrees), or switches its location
                                services off (no position; sharers that need one cannot share)
  turn ORIENTATION              turns the device: portrait, upside-down, landscape-left or
                                landscape-right (the status bar follows when the screen allows it)
  share SHARER URL [TITLE]      shares the web address with the sharer of that class name (SHKPinboard,
                                SHKDiigo...), as the share screens do: its login or share form follows
  share SHARER image FILE [TITLE]
                                shares the picture of the PNG or JPEG file (SHKPrint, SHKPhotoAlbum...)
  share SHARER file FILE [TITLE]
                                shares the file, its type told by its extension (SHKMail, SHKEvernote...)
  receive URL                   the application is handed the address, as when another application opens
                                it (the browser, at the end of a service's sign-in)
  sharetext SHARER TEXT         shares the text with the sharer of that class name (SHKFoursquareV2): its
                                screens follow; \n in TEXT is a line break
  shot NAME                     writes the screen to NAME.png in the shots folder
  dump                          prints the view tree: class, frame, title or text, hidden, alpha
  quickly COMMAND ...           the touching command at once, without waiting for a screen on its way
                                to arrive (as a hurried finger): a screen that is still coming or going
                                ignores the touch
  # ...                         a comment; blank lines are skipped

Time in a script is the device's own clock, so "wait 0.5" takes no real half second. A screen coming
or going slides, flips or fades for its transition's time, and takes no touches meanwhile; so each
touching command (tap, doubletap, drag, pinch, rotate, press, alert, type, clear) first lets a screen on
its way arrive, and the screen that its arrival brings on, as a person waits to see the screen, unless
"quickly" stands before it. The other commands do not wait: "shot" right after a press, or after a
short "wait", pictures the transition.

Exit status: 0 when the script ran to its end; 1 when a step could not be done (nothing to press, no
alert, nothing to type into or clear, nothing shown to await, an address the application did not take,
a picture that cannot be written); 2 for a mistake in the command line or the script (an unknown
command or a bad argument), reported with the script's line number.
)";
}

} // namespace velmo
