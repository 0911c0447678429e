#include "foundation/Sandbox.h"

#include "foundation/FileManager.h"
#include "foundation/Log.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace ns {
namespace {

std::mutex& homeMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string& homeValue()
{
    static std::string home;
    return home;
}

void makeLayout(const std::string& home)
{
    std::error_code ignored;
    for (const char* folder :
         {"Documents", "Library/Caches", "Library/Preferences", "Library/Keychains", "Device"})
        std::filesystem::create_directories(std::filesystem::path(home) / folder, ignored);
}

} // namespace

std::string Sandbox::defaultHome()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return std::string(data) + "/velmo";
    const char* user = std::getenv("HOME");
    return std::string(user && *user ? user : "/tmp") + "/.local/share/velmo";
}

void Sandbox::setHome(const std::string& path)
{
    std::lock_guard lock(homeMutex());
    homeValue() = path;
    makeLayout(path);
}

std::string Sandbox::home()
{
    std::lock_guard lock(homeMutex());
    if (homeValue().empty()) {
        homeValue() = defaultHome();
        makeLayout(homeValue());
    }
    return homeValue();
}

void Sandbox::removeStaleTemporaryFiles()
{
    std::string root = home();
    std::vector<std::string> folders{root};
    std::error_code code;
    for (std::filesystem::recursive_directory_iterator it(root, code), end; !code && it != end;
         it.increment(code)) {
        std::error_code kind;
        if (it->is_directory(kind) && !it->is_symlink(kind))
            folders.push_back(it->path().string());
    }
    for (const auto& folder : folders)
        for (const auto& name : FileManager::removeStaleTemporaryFiles(folder))
            log("%s was removed: an interrupted save left it in %s", name, folder);
}

std::string Sandbox::documentsPath()
{
    return home() + "/Documents";
}
std::string Sandbox::cachesPath()
{
    return home() + "/Library/Caches";
}
std::string Sandbox::preferencesPath()
{
    return home() + "/Library/Preferences";
}
std::string Sandbox::keychainsPath()
{
    return home() + "/Library/Keychains";
}
std::string Sandbox::devicePath()
{
    return home() + "/Device";
}

} // namespace ns
