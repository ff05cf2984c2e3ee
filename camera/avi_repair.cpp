#include "camera/avi_repair.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/byte_order.h"

namespace zcap {

namespace {

constexpr uint32_t tag(const char (&s)[5])
{
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

constexpr uint32_t kKeyFrame = 0x10; // AVIIF_KEYFRAME, and AVIF_HASINDEX in the main header

struct Chunk
{
    uint32_t id = 0;
    uint32_t size = 0;
    int64_t extent() const { return 8 + int64_t(size) + (size & 1); }
};

struct FrameChunk
{
    int64_t pos; // of the chunk's id
    uint32_t size;
};

// Where the counts and indexes that a finished file carries live in its header.
struct Header
{
    int64_t avih = -1;       // data of the main header
    int64_t strh = -1;       // data of the video stream header
    int64_t superIndex = -1; // data of the video stream's index of indexes (or its stand-in)
    uint32_t superCapacity = 0;
    int64_t odml = -1; // the 'odml' word of the extended header (or of its stand-in)
};

struct Segment
{
    int64_t riff = 0;
    int64_t movi = 0; // the 'movi' word
    bool complete = false;
    bool hasIdx1 = false;
    std::vector<FrameChunk> frames;
};

class File
{
  public:
    explicit File(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_CLOEXEC))
    {
        struct stat info
        {
        };
        if (fd_ >= 0 && fstat(fd_, &info) == 0 && S_ISREG(info.st_mode))
            size_ = info.st_size;
    }
    ~File()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool ok() const { return fd_ >= 0 && size_ >= 0; }
    int64_t size() const { return size_; }

    bool read(int64_t at, void* data, size_t n) const
    {
        if (at < 0 || at + int64_t(n) > size_)
            return false;
        auto* bytes = static_cast<uint8_t*>(data);
        while (n > 0)
        {
            const ssize_t got = ::pread(fd_, bytes, n, at);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            bytes += got;
            at += got;
            n -= size_t(got);
        }
        return true;
    }
    bool readU32(int64_t at, uint32_t& value) const
    {
        uint8_t b[4];
        if (!read(at, b, 4))
            return false;
        value = kwz::readU32le(b);
        return true;
    }
    bool chunkAt(int64_t at, Chunk& chunk) const
    {
        return readU32(at, chunk.id) && readU32(at + 4, chunk.size);
    }

    bool write(int64_t at, const void* data, size_t n)
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        while (n > 0)
        {
            const ssize_t put = ::pwrite(fd_, bytes, n, at);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            bytes += put;
            at += put;
            n -= size_t(put);
        }
        return true;
    }
    bool writeU32(int64_t at, uint32_t value)
    {
        uint8_t b[4];
        kwz::writeU32le(b, value);
        return write(at, b, 4);
    }
    bool truncate(int64_t length)
    {
        if (::ftruncate(fd_, length) != 0)
            return false;
        size_ = length;
        return true;
    }
    bool sync() { return ::fsync(fd_) == 0; }

  private:
    int fd_;
    int64_t size_ = -1;
};

void readList(const File& file, int64_t from, int64_t end, Header& header, bool inStrl)
{
    bool videoStream = false;
    Chunk chunk;
    for (int64_t at = from; at + 8 <= end && file.chunkAt(at, chunk); at += chunk.extent())
    {
        const int64_t data = at + 8;
        uint32_t word = 0;
        if (chunk.id == tag("LIST") && file.readU32(data, word))
        {
            if (word == tag("odml"))
                header.odml = data;
            else
                readList(file, data + 4, std::min(end, data + chunk.size), header,
                         word == tag("strl"));
        }
        else if (chunk.id == tag("avih"))
        {
            header.avih = data;
        }
        else if (chunk.id == tag("strh") && file.readU32(data, word) && word == tag("vids") &&
                 header.strh < 0)
        {
            header.strh = data;
            videoStream = true;
        }
        else if ((chunk.id == tag("indx") || chunk.id == tag("JUNK")) && inStrl && videoStream &&
                 chunk.size >= 24)
        {
            uint8_t head[12];
            if (file.read(data, head, sizeof head) && kwz::readU16le(head) == 4 && head[3] == 0 &&
                kwz::readU32le(head + 8) == tag("00dc"))
            {
                header.superIndex = data;
                header.superCapacity = (chunk.size - 24) / 16;
            }
        }
        else if (chunk.id == tag("JUNK") && !inStrl && file.readU32(data, word) &&
                 word == tag("odml"))
        {
            // The extended header stays a stand-in until the file grows past its first part.
            header.odml = data;
        }
    }
}

// Reads the segments (the first RIFF and any extended ones after it) as far as they are whole.
bool readSegments(const File& file, Header& header, std::vector<Segment>& segments)
{
    int64_t riff = 0;
    Chunk chunk;
    while (riff + 12 <= file.size() && file.chunkAt(riff, chunk) && chunk.id == tag("RIFF"))
    {
        uint32_t kind = 0;
        file.readU32(riff + 8, kind);
        if (kind != (segments.empty() ? tag("AVI ") : tag("AVIX")))
            break;
        Segment segment;
        segment.riff = riff;
        segment.complete = riff + 8 + int64_t(chunk.size) <= file.size();
        const int64_t riffEnd = segment.complete ? riff + 8 + chunk.size : file.size();
        Chunk inner;
        int64_t moviEnd = -1;
        for (int64_t at = riff + 12; at + 8 <= riffEnd && file.chunkAt(at, inner);
             at += inner.extent())
        {
            uint32_t word = 0;
            if (inner.id == tag("idx1"))
                segment.hasIdx1 = true;
            if (inner.id != tag("LIST") || !file.readU32(at + 8, word))
                continue;
            if (word == tag("hdrl") && segments.empty())
                readList(file, at + 12, std::min(riffEnd, at + 8 + int64_t(inner.size)), header,
                         false);
            if (word == tag("movi") && segment.movi == 0)
            {
                segment.movi = at + 8;
                const int64_t declared = at + 8 + int64_t(inner.size);
                moviEnd = declared <= file.size() ? declared : file.size();
                if (declared > file.size())
                    break; // the rest of the segment is the cut-off list
            }
        }
        if (segment.movi == 0)
            return false;
        Chunk frame;
        for (int64_t at = segment.movi + 4; at + 8 <= moviEnd && file.chunkAt(at, frame);
             at += frame.extent())
        {
            if (at + frame.extent() > file.size())
                break;
            if (frame.id == tag("00dc") || frame.id == tag("00db"))
                segment.frames.push_back({at, frame.size});
        }
        const bool last = !segment.complete;
        segments.push_back(std::move(segment));
        if (last)
            break;
        riff += 8 + int64_t(chunk.size) + (chunk.size & 1);
    }
    return !segments.empty();
}

int64_t endOfFrames(const Segment& segment)
{
    if (segment.frames.empty())
        return segment.movi + 4;
    const FrameChunk& f = segment.frames.back();
    return f.pos + 8 + f.size + (f.size & 1);
}

// A file of one part: the classic index after the frames.
bool finishFirstPart(File& file, const Header& header, Segment& segment)
{
    for (;;)
    {
        const int64_t end = endOfFrames(segment);
        const uint32_t n = uint32_t(segment.frames.size());
        std::vector<uint8_t> index(8 + 16 * size_t(n));
        kwz::writeU32le(index.data(), tag("idx1"));
        kwz::writeU32le(index.data() + 4, 16 * n);
        for (uint32_t i = 0; i < n; ++i)
        {
            uint8_t* e = index.data() + 8 + 16 * size_t(i);
            kwz::writeU32le(e, tag("00dc"));
            kwz::writeU32le(e + 4, kKeyFrame);
            kwz::writeU32le(e + 8, uint32_t(segment.frames[i].pos - segment.movi));
            kwz::writeU32le(e + 12, segment.frames[i].size);
        }
        if (!file.truncate(end))
            return false;
        if (!file.write(end, index.data(), index.size()))
        {
            // No room for the index: the last frame makes room for it.
            if (segment.frames.empty())
                return false;
            segment.frames.pop_back();
            continue;
        }
        uint32_t flags = 0;
        return file.writeU32(segment.movi - 4, uint32_t(end - segment.movi)) &&
               file.writeU32(4, uint32_t(end + index.size() - 8)) &&
               file.readU32(header.avih + 12, flags) &&
               file.writeU32(header.avih + 12, flags | kKeyFrame) &&
               file.writeU32(header.avih + 16, n) && file.writeU32(header.strh + 32, n);
    }
}

// A later part: its own index of chunks, entered in the index of indexes in the header.
bool finishLaterPart(File& file, const Header& header, Segment& segment, uint32_t framesBefore,
                     uint32_t framesOfFirst)
{
    uint32_t used = 0;
    if (header.superIndex < 0 || header.odml < 0 || !file.readU32(header.superIndex + 4, used) ||
        used >= header.superCapacity)
        return false;
    for (;;)
    {
        const int64_t end = endOfFrames(segment);
        const uint32_t n = uint32_t(segment.frames.size());
        std::vector<uint8_t> index(32 + 8 * size_t(n));
        kwz::writeU32le(index.data(), tag("ix00"));
        kwz::writeU32le(index.data() + 4, uint32_t(index.size() - 8));
        kwz::writeU16le(index.data() + 8, 2);
        index[10] = 0;
        index[11] = 1; // an index of chunks
        kwz::writeU32le(index.data() + 12, n);
        kwz::writeU32le(index.data() + 16, tag("00dc"));
        kwz::writeU32le(index.data() + 20, uint32_t(uint64_t(segment.movi)));
        kwz::writeU32le(index.data() + 24, uint32_t(uint64_t(segment.movi) >> 32));
        kwz::writeU32le(index.data() + 28, 0);
        for (uint32_t i = 0; i < n; ++i)
        {
            uint8_t* e = index.data() + 32 + 8 * size_t(i);
            kwz::writeU32le(e, uint32_t(segment.frames[i].pos + 8 - segment.movi));
            kwz::writeU32le(e + 4, segment.frames[i].size);
        }
        if (!file.truncate(end))
            return false;
        if (!file.write(end, index.data(), index.size()))
        {
            if (segment.frames.empty())
                return false;
            segment.frames.pop_back();
            continue;
        }
        const int64_t fileEnd = end + int64_t(index.size());
        uint8_t entry[16];
        kwz::writeU32le(entry, uint32_t(uint64_t(end)));
        kwz::writeU32le(entry + 4, uint32_t(uint64_t(end) >> 32));
        kwz::writeU32le(entry + 8, uint32_t(index.size()));
        kwz::writeU32le(entry + 12, n);
        const uint32_t total = framesBefore + n;
        uint32_t first = 0;
        return file.writeU32(segment.movi - 4, uint32_t(fileEnd - segment.movi)) &&
               file.writeU32(segment.riff + 4, uint32_t(fileEnd - segment.riff - 8)) &&
               file.write(header.superIndex + 24 + 16 * int64_t(used), entry, sizeof entry) &&
               file.writeU32(header.superIndex + 4, used + 1) &&
               file.writeU32(header.superIndex - 8, tag("indx")) &&
               file.writeU32(header.odml - 8, tag("LIST")) &&
               file.writeU32(header.odml + 12, total) && file.writeU32(header.strh + 32, total) &&
               file.readU32(header.avih + 16, first) &&
               (first != 0 || file.writeU32(header.avih + 16, framesOfFirst));
    }
}

} // namespace

// Every part's size was written and the last ends the file: the writer finished it. Looks at
// one header per part, so a folder of long recordings is checked quickly.
bool finishedByItsWriter(const File& file)
{
    Chunk chunk;
    int64_t at = 0;
    while (at + 12 <= file.size() && file.chunkAt(at, chunk) && chunk.id == tag("RIFF"))
    {
        const int64_t end = at + 8 + int64_t(chunk.size);
        if (end > file.size())
            return false;
        if (end == file.size())
            return true;
        at = end + (chunk.size & 1);
    }
    return false;
}

AviRepairResult repairAvi(const std::string& path)
{
    File file(path);
    if (!file.ok())
        return {AviRepair::Failed, 0};
    if (finishedByItsWriter(file))
        return {AviRepair::Whole, -1};
    Header header;
    std::vector<Segment> segments;
    if (!readSegments(file, header, segments) || header.avih < 0 || header.strh < 0)
        return {AviRepair::NotAvi, 0};
    uint32_t framesBefore = 0;
    for (size_t i = 0; i + 1 < segments.size(); ++i)
        framesBefore += uint32_t(segments[i].frames.size());
    Segment& last = segments.back();
    if (last.complete && segments.front().hasIdx1)
        return {AviRepair::Whole, int(framesBefore + last.frames.size())};
    const bool ok = segments.size() == 1
                        ? finishFirstPart(file, header, last)
                        : finishLaterPart(file, header, last, framesBefore,
                                          uint32_t(segments.front().frames.size()));
    if (!ok || !file.sync())
        return {AviRepair::Failed, 0};
    return {AviRepair::Repaired, int(framesBefore + last.frames.size())};
}

} // namespace zcap
