#include "foundation/FileManager.h"

#include "foundation/Ascii.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/String.h"
#include "foundation/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace ns {
namespace {

// Closes a descriptor on every path out.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    void assign(int fd)
    {
        reset();
        m_fd = fd;
    }
    // Closes now and reports whether close succeeded (it can report a delayed write error).
    bool reset()
    {
        bool ok = true;
        if (m_fd >= 0)
            ok = ::close(m_fd) == 0;
        m_fd = -1;
        return ok;
    }

private:
    int m_fd;
};

bool fail(Ref<Error>* error, int code, const std::string& path, bool writing)
{
    setError(error, FileManager::errorForErrno(code, path, writing));
    return false;
}

std::string parentOf(const std::string& path)
{
    fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

} // namespace

Ref<Error> FileManager::errorForErrno(int code, const std::string& path, bool writing)
{
    long cocoaCode;
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        cocoaCode = writing ? FileNoSuchFileError : FileReadNoSuchFileError;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        cocoaCode = writing ? FileWriteNoPermissionError : FileReadNoPermissionError;
        break;
    case EEXIST:
        cocoaCode = FileWriteFileExistsError;
        break;
    case ENOSPC:
    case EDQUOT:
        cocoaCode = FileWriteOutOfSpaceError;
        break;
    default:
        cocoaCode = writing ? FileWriteUnknownError : FileReadUnknownError;
    }
    auto posix = Error::withDescription(POSIXErrorDomain, code, std::strerror(code));
    auto info = MutableDictionary::make();
    info->setObject(String::make(path), FilePathErrorKey);
    info->setObject(String::make(std::string(writing ? "The file could not be written: "
                                                     : "The file could not be read: ") +
                                 std::strerror(code)),
                    LocalizedDescriptionKey);
    info->setObject(posix, UnderlyingErrorKey);
    return Error::make(CocoaErrorDomain, cocoaCode, info);
}

bool FileManager::fileExistsAtPath(const std::string& path, bool* isDirectory)
{
    struct stat info;
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return false;
    if (isDirectory)
        *isDirectory = S_ISDIR(info.st_mode);
    return true;
}

bool FileManager::createDirectoryAtPath(const std::string& path, bool withIntermediateDirectories,
                                        Ref<Error>* error)
{
    if (path.empty())
        return fail(error, ENOENT, path, true);
    std::error_code code;
    if (withIntermediateDirectories) {
        fs::create_directories(path, code);
        if (code)
            return fail(error, code.value(), path, true);
        bool isDirectory = false;
        if (!fileExistsAtPath(path, &isDirectory) || !isDirectory)
            return fail(error, EEXIST, path, true);
        return true;
    }
    if (::mkdir(path.c_str(), 0755) != 0)
        return fail(error, errno, path, true);
    return true;
}

bool FileManager::removeItemAtPath(const std::string& path, Ref<Error>* error)
{
    struct stat info;
    if (path.empty() || ::lstat(path.c_str(), &info) != 0)
        return fail(error, path.empty() ? ENOENT : errno, path, true);
    std::error_code code;
    fs::remove_all(path, code);
    if (code)
        return fail(error, code.value(), path, true);
    return true;
}

std::optional<std::vector<std::string>> FileManager::contentsOfDirectoryAtPath(const std::string& path,
                                                                               Ref<Error>* error)
{
    std::error_code code;
    fs::directory_iterator it(path, code);
    if (code) {
        fail(error, code.value(), path, false);
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(code)) {
        if (code)
            break;
        names.push_back(it->path().filename().string());
    }
    if (code) {
        fail(error, code.value(), path, false);
        return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool FileManager::isTemporaryFileName(std::string_view name)
{
    // ".main.xml.a1B2c3": what writeAtomically's mkostemp makes.
    if (name.size() < 9 || name[0] != '.' || name[name.size() - 7] != '.')
        return false;
    return std::all_of(name.end() - 6, name.end(), isAsciiAlphanumeric);
}

std::vector<std::string> FileManager::removeStaleTemporaryFiles(const std::string& folder)
{
    std::vector<std::string> removed;
    auto names = contentsOfDirectoryAtPath(folder);
    for (const auto& name : names ? *names : std::vector<std::string>{}) {
        std::string path = folder + "/" + name;
        struct stat info;
        if (!isTemporaryFileName(name) || ::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        // A writer holds its file locked from its creation to its rename: a file that can be locked now is
        // one whose writer has gone. It is removed while locked, and only if the name still gives it.
        FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        struct stat held;
        if (fd.get() < 0 || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 || ::fstat(fd.get(), &held) != 0 ||
            held.st_ino != info.st_ino || held.st_dev != info.st_dev)
            continue;
        if (::unlink(path.c_str()) == 0)
            removed.push_back(name);
    }
    return removed;
}

bool FileManager::copyItemAtPath(const std::string& from, const std::string& to, Ref<Error>* error)
{
    struct stat info;
    if (::lstat(from.c_str(), &info) != 0)
        return fail(error, errno, from, false);
    if (::lstat(to.c_str(), &info) == 0)
        return fail(error, EEXIST, to, true);
    std::error_code code;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, code);
    if (code)
        return fail(error, code.value(), to, true);
    return true;
}

bool FileManager::moveItemAtPath(const std::string& from, const std::string& to, Ref<Error>* error)
{
    struct stat info;
    if (::lstat(from.c_str(), &info) != 0)
        return fail(error, errno, from, false);
    if (::lstat(to.c_str(), &info) == 0)
        return fail(error, EEXIST, to, true);
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (errno != EXDEV)
        return fail(error, errno, to, true);
    // Across file systems: copy, then remove the original only once the copy is complete.
    if (!copyItemAtPath(from, to, error))
        return false;
    return removeItemAtPath(from, error);
}

std::optional<FileManager::Attributes> FileManager::attributesOfItemAtPath(const std::string& path,
                                                                           Ref<Error>* error)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        fail(error, errno, path, false);
        return std::nullopt;
    }
    Attributes attributes;
    attributes.size = static_cast<uint64_t>(info.st_size);
    attributes.mode = info.st_mode & 07777;
    attributes.isDirectory = S_ISDIR(info.st_mode);
    attributes.modificationDate =
        static_cast<double>(info.st_mtim.tv_sec) + static_cast<double>(info.st_mtim.tv_nsec) / 1e9;
    return attributes;
}

Ref<Data> FileManager::contentsAtPath(const std::string& path, Ref<Error>* error)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        fail(error, errno, path, false);
        return nullptr;
    }
    struct stat info;
    if (::fstat(fd.get(), &info) != 0) {
        fail(error, errno, path, false);
        return nullptr;
    }
    if (S_ISDIR(info.st_mode)) {
        fail(error, EISDIR, path, false);
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    if (info.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    uint8_t buffer[65536];
    for (;;) {
        ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            fail(error, errno, path, false);
            return nullptr;
        }
        if (count == 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + count);
    }
    return Data::make(std::move(bytes));
}

std::optional<std::string> FileManager::stringWithContentsOfFile(const std::string& path, Ref<Error>* error)
{
    auto data = contentsAtPath(path, error);
    if (!data)
        return std::nullopt;
    std::string text(data->view());
    if (!isValidUtf8(text)) {
        setError(error, Error::withDescription(CocoaErrorDomain, 261, "The file is not valid UTF-8 text."));
        return std::nullopt;
    }
    return text;
}

bool FileManager::writeAtomically(const std::string& path, const Data& data, Ref<Error>* error, mode_t mode)
{
    return writeAtomically(path, data.view(), error, mode);
}

bool FileManager::writeAtomically(const std::string& path, std::string_view bytes, Ref<Error>* error,
                                  mode_t mode)
{
    if (path.empty() || path.back() == '/')
        return fail(error, EISDIR, path, true);
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0) {
        // Refuse before touching anything: renaming over a folder would fail late or replace an empty one.
        if (S_ISDIR(existing.st_mode))
            return fail(error, EISDIR, path, true);
        mode = existing.st_mode & 07777;
    }

    std::string folder = parentOf(path);
    std::string temporary;
    FileDescriptor fd(-1);
    // Locked for as long as it is being written, so that another process's start-up sweep leaves it be; a
    // sweep that took it between its creation and the lock has removed it, and another one is made.
    for (int attempt = 0; fd.get() < 0; ++attempt) {
        temporary = folder + "/." + fs::path(path).filename().string() + ".XXXXXX";
        std::vector<char> pattern(temporary.begin(), temporary.end());
        pattern.push_back('\0');
        fd.assign(::mkostemp(pattern.data(), O_CLOEXEC));
        if (fd.get() < 0)
            return fail(error, errno, path, true);
        temporary.assign(pattern.data());
        struct stat created;
        int locked;
        do
            locked = ::flock(fd.get(), LOCK_EX);
        while (locked != 0 && errno == EINTR);
        if (locked != 0 || ::fstat(fd.get(), &created) != 0) {
            int code = errno;
            fd.reset();
            ::unlink(temporary.c_str());
            return fail(error, code, path, true);
        }
        if (created.st_nlink == 0) {
            if (attempt >= 10)
                return fail(error, EAGAIN, path, true);
            fd.reset();
        }
    }

    auto abandon = [&](int code) {
        fd.reset();
        ::unlink(temporary.c_str());
        return fail(error, code, path, true);
    };

    const char* cursor = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = ::write(fd.get(), cursor, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return abandon(errno);
        }
        cursor += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::fchmod(fd.get(), mode) != 0)
        return abandon(errno);
    if (::fsync(fd.get()) != 0)
        return abandon(errno);
    // The lock stays with this copy of the descriptor until the rename is done.
    FileDescriptor lockHolder(::dup(fd.get()));
    if (!fd.reset()) {
        int code = errno;
        ::unlink(temporary.c_str());
        return fail(error, code, path, true);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        int code = errno;
        ::unlink(temporary.c_str());
        return fail(error, code, path, true);
    }
    // The rename itself must reach the disk too; a failure here no longer endangers the data.
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0)
        ::fsync(directory.get());
    return true;
}

} // namespace ns
