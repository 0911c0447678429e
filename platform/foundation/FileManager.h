#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace ns {

class Data;
class Error;

inline constexpr const char* CocoaErrorDomain = "NSCocoaErrorDomain";
inline constexpr const char* POSIXErrorDomain = "NSPOSIXErrorDomain";
inline constexpr const char* FilePathErrorKey = "NSFilePath";

// The file errors callers tell apart.
inline constexpr long FileNoSuchFileError = 4;
inline constexpr long FileReadUnknownError = 256;
inline constexpr long FileReadNoPermissionError = 257;
inline constexpr long FileReadNoSuchFileError = 260;
inline constexpr long FileWriteUnknownError = 512;
inline constexpr long FileWriteNoPermissionError = 513;
inline constexpr long FileWriteFileExistsError = 516;
inline constexpr long FileWriteOutOfSpaceError = 640;

// Files and folders of the sandbox. Every write goes through a temporary file in the same folder that is
// flushed and renamed over the target, so a reader sees the old contents or the new, never a mix.
class FileManager
{
public:
    struct Attributes
    {
        uint64_t size = 0;
        mode_t mode = 0; // permission bits
        bool isDirectory = false;
        double modificationDate = 0; // seconds since 1970
    };

    static bool fileExistsAtPath(const std::string& path, bool* isDirectory = nullptr);
    // Creates the folder; with intermediates also its missing parents, and an existing folder is fine.
    static bool createDirectoryAtPath(const std::string& path, bool withIntermediateDirectories,
                                      Ref<Error>* error = nullptr);
    // Removes a file, or a folder with everything in it.
    static bool removeItemAtPath(const std::string& path, Ref<Error>* error = nullptr);
    // The names in a folder (not "." and ".."), sorted; nothing when it cannot be read.
    static std::optional<std::vector<std::string>> contentsOfDirectoryAtPath(const std::string& path,
                                                                             Ref<Error>* error = nullptr);
    // Copy and move fail when the destination exists.
    static bool copyItemAtPath(const std::string& from, const std::string& to, Ref<Error>* error = nullptr);
    static bool moveItemAtPath(const std::string& from, const std::string& to, Ref<Error>* error = nullptr);
    static std::optional<Attributes> attributesOfItemAtPath(const std::string& path,
                                                            Ref<Error>* error = nullptr);

    // The whole file, or nothing.
    static Ref<Data> contentsAtPath(const std::string& path, Ref<Error>* error = nullptr);
    // The file as UTF-8 text; nothing when it cannot be read or is not valid UTF-8.
    static std::optional<std::string> stringWithContentsOfFile(const std::string& path,
                                                               Ref<Error>* error = nullptr);

    // Writes atomically. The new file keeps the mode of the file it replaces, else takes `mode`. On failure
    // the old file is untouched, no temporary file is left behind and the error says why.
    static bool writeAtomically(const std::string& path, std::string_view bytes, Ref<Error>* error = nullptr,
                                mode_t mode = 0644);
    static bool writeAtomically(const std::string& path, const Data& data, Ref<Error>* error = nullptr,
                                mode_t mode = 0644);

    // Removes from the folder what interrupted atomic writes left there: files named "." + name + "." and
    // six letters or digits that no live writer holds (a write keeps an advisory lock on its temporary file
    // until the rename), so another process's save under way is left alone. Gives the names removed.
    static std::vector<std::string> removeStaleTemporaryFiles(const std::string& folder);
    static bool isTemporaryFileName(std::string_view name);

    // An error in the Cocoa domain for a failed system call, with the POSIX error underneath.
    static Ref<Error> errorForErrno(int code, const std::string& path, bool writing);
};

} // namespace ns
