#pragma once

#include <string>

namespace ns {

// The simulated device's home folder and its layout:
//   Documents/  Library/Caches/  Library/Preferences/  Library/Keychains/  Device/
class Sandbox
{
public:
    // Makes `path` the home (creating the layout's folders) for the rest of the process or until changed.
    static void setHome(const std::string& path);
    // $XDG_DATA_HOME/velmo, else ~/.local/share/velmo, unless set.
    static std::string home();

    static std::string documentsPath();   // home/Documents
    static std::string cachesPath();      // home/Library/Caches
    static std::string preferencesPath(); // home/Library/Preferences
    static std::string keychainsPath();   // home/Library/Keychains
    static std::string devicePath();      // home/Device: what the device's other applications receive

    static std::string defaultHome();

    // Removes the temporary files that interrupted atomic writes left anywhere in the home, with a log line
    // each. For the device's start-up, before anything writes.
    static void removeStaleTemporaryFiles();
};

} // namespace ns
