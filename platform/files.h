#pragma once
// Files behind an opaque HANDLE, shaped like the Win32 calls the libraries were written
// against: sequential reads and writes that report their byte counts.

#include <cstdint>
#include <string>
#include <vector>

#include "kwztypes.h"

namespace kwz {

enum class FileAccess
{
    Read,
    Write,
    ReadWrite,
};

enum class FileDisposition
{
    CreateAlways, // create anew, truncating an existing file
    OpenExisting, // fail when the file is missing
};

// INVALID_HANDLE_VALUE on failure.
HANDLE createFile(const std::string& path, FileAccess access, FileDisposition disposition);
// An anonymous read-write file in memory, positioned at its start and gone once closed:
// for streams that only need to pass through a HANDLE. INVALID_HANDLE_VALUE on failure.
HANDLE createMemoryFile();
// True when the call itself succeeded; *done holds the bytes moved (fewer at end of file).
bool readFile(HANDLE file, void* buffer, uint32_t size, uint32_t* done);
bool writeFile(HANDLE file, const void* data, uint32_t size, uint32_t* done);
bool closeHandle(HANDLE file);
// Moves the position of an open file (whence SEEK_SET, SEEK_CUR or SEEK_END); the new
// position, or -1.
int64_t seekFile(HANDLE file, int64_t offset, int whence);
// Size of an open file in bytes, or -1.
int64_t fileSize(HANDLE file);
// Pushes written data to the disk.
bool flushFile(HANDLE file);
// The same for a file named by its path.
bool flushFileAt(const std::string& path);

bool deleteFile(const std::string& path);
// Fails when the folder exists already or its parent is missing.
bool createDirectory(const std::string& path);
bool fileExists(const std::string& path);
// An existing regular file that may be written: not read-only (for root neither, who
// could write anyway) and writable by this process.
bool fileWritable(const std::string& path);
bool directoryExists(const std::string& path);
// Names (without folder) of the files matching a pattern such as "/dir/*.ruler", in
// name order; '*' and '?' are wildcards in the last component only.
std::vector<std::string> findFiles(const std::string& pattern);

// Removes what writers of this program killed part-way left in a folder: hidden temporary
// files of the AtomicFileWriter pattern for the kinds of file the program writes, owned by
// this user and last changed before this process started. Each folder is looked at once per
// process; AtomicFileWriter::open calls it for the folder it writes in. The count removed.
int removeStaleTemporaries(const std::string& folder);
// Whether a file name has the pattern of such a temporary file.
bool isTemporaryName(const std::string& name);

// Writes a file so that readers only ever see the old or the new whole file: bytes go to a
// temporary file beside the target, and commit() renames it over the target after
// everything was written. Destroying an uncommitted writer removes the temporary file.
class AtomicFileWriter
{
  public:
    explicit AtomicFileWriter(std::string target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file; false when the folder refuses it or the target is a
    // read-only file.
    bool open();
    // The open temporary file, for writeFile and for callers that take a HANDLE.
    HANDLE handle() const { return handle_; }
    bool write(const void* data, uint32_t size);
    // Later: the caller flushes the target itself (flushFileAt) after a burst of writes, so
    // the burst waits for the disk once instead of once per write.
    enum class Flush
    {
        Now,
        Later,
    };
    // Flushes, closes and renames; false (and the target untouched) if any step failed.
    bool commit(Flush flush = Flush::Now);

  private:
    std::string target_;
    std::string temp_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool failed_ = false;
};

} // namespace kwz
