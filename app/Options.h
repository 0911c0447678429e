#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmo {

struct Options
{
    std::optional<std::string> home;
    std::optional<std::string> contacts;
    std::optional<std::string> script; // "-" is standard input
    std::string shots = ".";
    float scale = 1;
    std::string delegate = "VelmoAppDelegate";
    std::optional<std::string> systemVersion;          // the device's system version ("4.2" when not given)
    std::optional<std::string> config;                 // the device's settings: key to value
    std::optional<std::pair<double, double>> location; // where the device is: latitude, longitude
    std::vector<std::string> trustedAuthorities;       // PEM files of certificate authorities trusted as well
    bool webFromNetwork = false;                       // the browser view loads its pages over HTTP(S)
    bool multitasking = true;                          // applications run side by side (hand-offs come back)
    bool firstNameOrder = false; // the address book sorts people by first name, not last
    bool configKeys = false;     // list the configuration keys and their answers, then quit
    bool help = false;
    bool window = false; // a desktop window instead of a script
};

// Reads the command line; on a mistake, false with a message for the user.
bool parseOptions(int argc, char** argv, Options& options, std::string& message);
std::string helpText();
// A latitude from -90 to 90 and a longitude from -180 to 180, as decimal numbers ("48.85", "-3.7").
bool parseCoordinate(const std::string& latitude, const std::string& longitude, double& lat, double& lon);

} // namespace velmo
