#include "uikit/PhotoAlbum.h"

#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/RunLoop.h"
#include "foundation/Sandbox.h"

#include <algorithm>
#include <mutex>

namespace ui {

namespace {

// "0001.png" and the like: the number, or 0 for any other name.
int photoNumber(const std::string& name)
{
    if (name.size() != 8 || name.compare(4, 4, ".png") != 0)
        return 0;
    int number = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

std::mutex& albumMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

std::string PhotoAlbum::folder()
{
    return ns::Sandbox::devicePath() + "/Photos";
}

std::vector<std::string> PhotoAlbum::photoPaths()
{
    std::vector<std::pair<int, std::string>> numbered;
    if (auto names = ns::FileManager::contentsOfDirectoryAtPath(folder())) {
        for (const auto& name : *names) {
            if (int number = photoNumber(name))
                numbered.emplace_back(number, name);
        }
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::string> paths;
    for (const auto& [number, name] : numbered)
        paths.push_back(folder() + "/" + name);
    return paths;
}

std::string PhotoAlbum::writeImageToSavedPhotosAlbum(const ns::Ref<Image>& image, Completion completion)
{
    ns::Ref<ns::Error> error;
    std::string path;
    auto data = ImagePNGRepresentation(image);
    if (!data) {
        error = ns::Error::withDescription("ALAssetsLibraryErrorDomain", -3304,
                                           "The picture could not be encoded.");
    } else {
        std::lock_guard lock(albumMutex());
        ns::FileManager::createDirectoryAtPath(folder(), true, &error);
        int last = 0;
        if (auto names = ns::FileManager::contentsOfDirectoryAtPath(folder())) {
            for (const auto& name : *names)
                last = std::max(last, photoNumber(name));
        }
        if (last >= 9999) {
            error = ns::Error::withDescription("ALAssetsLibraryErrorDomain", -3305, "The album is full.");
        } else {
            std::string candidate = ns::format("%s/%04d.png", folder().c_str(), last + 1);
            error = nullptr;
            if (ns::FileManager::writeAtomically(candidate, *data, &error))
                path = candidate;
        }
    }
    if (completion) {
        ns::RunLoop::main().post(
            [completion = std::move(completion), image, error] { completion(image, error); });
    }
    return path;
}

} // namespace ui
