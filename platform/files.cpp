#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform_state_data.h"

namespace kwz {

namespace {

struct FileObject
{
    int fd = -1;
};

FileObject* fileOf(HANDLE file)
{
    if (file == nullptr || file == INVALID_HANDLE_VALUE)
        return nullptr;
    return static_cast<FileObject*>(file);
}

// How many of `size` bytes a test's write fault lets through (platform/testing/write_faults.h);
// ends the process when the test asked for a kill at the limit.
uint32_t allowedBytes(uint32_t size, bool* limited)
{
    PlatformState& state = platformState();
    *limited = false;
    int64_t budget = state.writeBudget.load();
    while (budget >= 0)
    {
        int64_t allowed = std::min<int64_t>(budget, size);
        if (state.writeBudget.compare_exchange_weak(budget, budget - allowed))
        {
            *limited = allowed < size;
            return uint32_t(allowed);
        }
    }
    return size;
}

bool writeAll(int fd, const char* data, uint32_t size, uint32_t* done)
{
    uint32_t written = 0;
    while (written < size)
    {
        ssize_t n = ::write(fd, data + written, size - written);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            *done = written;
            return false;
        }
        written += uint32_t(n);
    }
    *done = written;
    return true;
}

// umask() can only be read by setting it, which races with other threads; the kernel
// reports it in /proc instead.
mode_t currentUmask()
{
    mode_t mask = 022;
    if (FILE* status = std::fopen("/proc/self/status", "re"))
    {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr)
        {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1)
            {
                mask = mode_t(value);
                break;
            }
        }
        std::fclose(status);
    }
    return mask;
}

// When this process began, near enough: libraries are loaded before anything is written.
const std::time_t kProcessStart = std::time(nullptr);

} // namespace

bool isTemporaryName(const std::string& name)
{
    // "." + target + "." + six letters or digits, as mkostemp fills them in.
    constexpr size_t kSuffix = 7;
    if (name.size() < 1 + 3 + kSuffix || name[0] != '.' || name[name.size() - kSuffix] != '.')
        return false;
    for (size_t i = name.size() - kSuffix + 1; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i])))
            return false;
    const std::string target = name.substr(1, name.size() - 1 - kSuffix);
    const size_t dot = target.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return false;
    // Only the kinds this program writes, so nobody else's hidden files are touched.
    static const char* const kKinds[] = {"mea", "bmp", "kwz", "jpg", "ini", "ruler"};
    const std::string kind = target.substr(dot + 1);
    return std::any_of(std::begin(kKinds), std::end(kKinds),
                       [&](const char* k) { return strcasecmp(k, kind.c_str()) == 0; });
}

int removeStaleTemporaries(const std::string& folder)
{
    static std::mutex mutex; // guards the folders already looked at
    static std::set<std::string> seen;
    std::string dirName = folder.empty() ? "." : folder;
    while (dirName.size() > 1 && dirName.back() == '/')
        dirName.pop_back();
    {
        std::lock_guard lock(mutex);
        if (!seen.insert(dirName).second)
            return 0;
    }
    DIR* dir = opendir(dirName.c_str());
    if (dir == nullptr)
        return 0;
    int removed = 0;
    while (dirent* entry = readdir(dir))
    {
        const std::string name = entry->d_name;
        if (!isTemporaryName(name))
            continue;
        const std::string path = dirName + "/" + name;
        struct stat info
        {
        };
        if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid() ||
            info.st_mtime >= kProcessStart)
            continue;
        if (::unlink(path.c_str()) == 0)
            ++removed;
    }
    closedir(dir);
    return removed;
}

HANDLE createFile(const std::string& path, FileAccess access, FileDisposition disposition)
{
    int flags = O_CLOEXEC;
    switch (access)
    {
    case FileAccess::Read:
        flags |= O_RDONLY;
        break;
    case FileAccess::Write:
        flags |= O_WRONLY;
        break;
    case FileAccess::ReadWrite:
        flags |= O_RDWR;
        break;
    }
    if (disposition == FileDisposition::CreateAlways)
    {
        flags |= O_CREAT;
        // Truncating needs write access; a read-only create-always only makes sure it exists.
        if (access != FileAccess::Read)
            flags |= O_TRUNC;
    }
    int fd;
    do
        fd = ::open(path.c_str(), flags, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))
    {
        ::close(fd);
        return INVALID_HANDLE_VALUE;
    }
    auto* object = new (std::nothrow) FileObject;
    if (object == nullptr)
    {
        ::close(fd);
        return INVALID_HANDLE_VALUE;
    }
    object->fd = fd;
    return object;
}

HANDLE createMemoryFile()
{
    const int fd = ::memfd_create("kwz-stream", MFD_CLOEXEC);
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    auto* object = new (std::nothrow) FileObject;
    if (object == nullptr)
    {
        ::close(fd);
        return INVALID_HANDLE_VALUE;
    }
    object->fd = fd;
    return object;
}

bool readFile(HANDLE file, void* buffer, uint32_t size, uint32_t* done)
{
    uint32_t ignored = 0;
    uint32_t& count = done != nullptr ? *done : ignored;
    count = 0;
    FileObject* object = fileOf(file);
    if (object == nullptr || (buffer == nullptr && size > 0))
        return false;
    auto* bytes = static_cast<char*>(buffer);
    while (count < size)
    {
        ssize_t n = ::read(object->fd, bytes + count, size - count);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        count += uint32_t(n);
    }
    return true;
}

bool writeFile(HANDLE file, const void* data, uint32_t size, uint32_t* done)
{
    uint32_t ignored = 0;
    uint32_t& count = done != nullptr ? *done : ignored;
    count = 0;
    FileObject* object = fileOf(file);
    if (object == nullptr || (data == nullptr && size > 0))
        return false;
    bool limited = false;
    uint32_t allowed = allowedBytes(size, &limited);
    bool ok = writeAll(object->fd, static_cast<const char*>(data), allowed, &count);
    if (limited)
    {
        int exitCode = platformState().exitCodeAtLimit.load();
        if (exitCode >= 0)
            _exit(exitCode);
        errno = ENOSPC;
        return false;
    }
    return ok;
}

bool closeHandle(HANDLE file)
{
    FileObject* object = fileOf(file);
    if (object == nullptr)
        return false;
    int result = ::close(object->fd);
    delete object;
    // close() releases the descriptor even when it reports EINTR.
    return result == 0 || errno == EINTR;
}

int64_t seekFile(HANDLE file, int64_t offset, int whence)
{
    FileObject* object = fileOf(file);
    if (object == nullptr)
        return -1;
    const off_t position = ::lseek(object->fd, off_t(offset), whence);
    return position < 0 ? -1 : int64_t(position);
}

int64_t fileSize(HANDLE file)
{
    FileObject* object = fileOf(file);
    struct stat info
    {
    };
    if (object == nullptr || fstat(object->fd, &info) != 0)
        return -1;
    return int64_t(info.st_size);
}

bool flushFile(HANDLE file)
{
    FileObject* object = fileOf(file);
    if (object == nullptr)
        return false;
    platformState().fileFlushes.fetch_add(1);
    return fdatasync(object->fd) == 0;
}

bool flushFileAt(const std::string& path)
{
    HANDLE file = createFile(path, FileAccess::Read, FileDisposition::OpenExisting);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = flushFile(file);
    return closeHandle(file) && ok;
}

bool deleteFile(const std::string& path)
{
    struct stat info
    {
    };
    if (lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0;
}

bool createDirectory(const std::string& path)
{
    return ::mkdir(path.c_str(), 0777) == 0;
}

bool fileExists(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool directoryExists(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> findFiles(const std::string& pattern)
{
    std::vector<std::string> names;
    size_t slash = pattern.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : pattern.substr(0, slash);
    if (folder.empty())
        folder = "/";
    std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    if (mask.empty())
        return names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (dirent* entry = readdir(dir))
    {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        // Names match without regard to case, as users of these folders expect.
        if (fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) != 0)
            continue;
        if (fileExists(folder + "/" + name))
            names.push_back(std::move(name));
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool fileWritable(const std::string& path)
{
    struct stat info
    {
    };
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    // A read-only file stays as it is, even for root, whom access() would let through.
    bool hasWriteBit = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return hasWriteBit && ::access(path.c_str(), W_OK) == 0;
}

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) {}

AtomicFileWriter::~AtomicFileWriter()
{
    if (handle_ != INVALID_HANDLE_VALUE)
        closeHandle(handle_);
    if (!temp_.empty())
        ::unlink(temp_.c_str());
}

bool AtomicFileWriter::open()
{
    if (handle_ != INVALID_HANDLE_VALUE || target_.empty())
        return false;
    // Replace what a link points to, not the link itself.
    char resolved[PATH_MAX];
    struct stat linkInfo
    {
    };
    if (lstat(target_.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode) &&
        realpath(target_.c_str(), resolved) != nullptr)
        target_ = resolved;

    struct stat info
    {
    };
    bool exists = stat(target_.c_str(), &info) == 0;
    if (exists && !fileWritable(target_))
        return false;
    // Hidden beside the target: a temporary file left by a killed process stays out of sight.
    size_t slash = target_.find_last_of('/');
    removeStaleTemporaries(slash == std::string::npos ? "." : target_.substr(0, slash));
    std::string name = slash == std::string::npos ? "." + target_ + ".XXXXXX"
                                                  : target_.substr(0, slash + 1) + "." +
                                                        target_.substr(slash + 1) + ".XXXXXX";
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    temp_ = name;
    // Keep the file's permissions; a new file gets the usual ones.
    if (exists)
    {
        fchmod(fd, info.st_mode & 07777);
    }
    else
    {
        fchmod(fd, 0666 & ~currentUmask());
    }
    auto* object = new (std::nothrow) FileObject;
    if (object == nullptr)
    {
        ::close(fd);
        return false;
    }
    object->fd = fd;
    handle_ = object;
    failed_ = false;
    return true;
}

bool AtomicFileWriter::write(const void* data, uint32_t size)
{
    if (handle_ == INVALID_HANDLE_VALUE || failed_)
        return false;
    uint32_t done = 0;
    if (!writeFile(handle_, data, size, &done) || done != size)
        failed_ = true;
    return !failed_;
}

bool AtomicFileWriter::commit(Flush flush)
{
    if (handle_ == INVALID_HANDLE_VALUE)
        return false;
    bool ok = !failed_ && (flush == Flush::Later || flushFile(handle_));
    ok = closeHandle(handle_) && ok;
    handle_ = INVALID_HANDLE_VALUE;
    if (ok && ::rename(temp_.c_str(), target_.c_str()) == 0)
    {
        temp_.clear();
        return true;
    }
    ::unlink(temp_.c_str());
    temp_.clear();
    return false;
}

} // namespace kwz
