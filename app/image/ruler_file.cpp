#include "app/image/ruler_file.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "platform/files.h"

namespace {

constexpr size_t kStartOffset = 8;
constexpr int32_t kLastUnit = 4; // inch

uint32_t readU32le(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
int32_t readI32le(const uint8_t* p)
{
    return int32_t(readU32le(p));
}
void writeU32le(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
void writeI32le(uint8_t* p, int32_t v)
{
    writeU32le(p, uint32_t(v));
}

} // namespace

std::optional<RulerRecord> parseRuler(const uint8_t* data, size_t size)
{
    if (data == nullptr || size < kRulerFileSize)
        return std::nullopt;
    const uint8_t* p = data + kStartOffset;
    RulerRecord r;
    r.start = POINT{readI32le(p), readI32le(p + 4)};
    r.end = POINT{readI32le(p + 8), readI32le(p + 12)};
    r.unit = readI32le(p + 16);
    r.length = std::bit_cast<float>(readU32le(p + 20));
    if (r.unit < 0 || r.unit > kLastUnit || !std::isfinite(r.length))
        return std::nullopt;
    return r;
}

std::array<uint8_t, kRulerFileSize> serializeRuler(const RulerRecord& record)
{
    std::array<uint8_t, kRulerFileSize> bytes{};
    uint8_t* p = bytes.data() + kStartOffset;
    writeI32le(p, record.start.x);
    writeI32le(p + 4, record.start.y);
    writeI32le(p + 8, record.end.x);
    writeI32le(p + 12, record.end.y);
    writeI32le(p + 16, record.unit);
    writeU32le(p + 20, std::bit_cast<uint32_t>(record.length));
    return bytes;
}

std::optional<RulerRecord> readRulerFile(const std::string& path)
{
    HANDLE file = kwz::createFile(path, kwz::FileAccess::Read, kwz::FileDisposition::OpenExisting);
    if (file == INVALID_HANDLE_VALUE || file == nullptr)
        return std::nullopt;
    uint8_t bytes[kRulerFileSize] = {};
    uint32_t done = 0;
    const bool read = kwz::readFile(file, bytes, sizeof bytes, &done);
    kwz::closeHandle(file);
    if (!read)
        return std::nullopt;
    return parseRuler(bytes, done);
}

bool writeRulerFile(const std::string& path, const RulerRecord& record)
{
    const auto bytes = serializeRuler(record);
    kwz::AtomicFileWriter writer(path);
    return writer.open() && writer.write(bytes.data(), uint32_t(bytes.size())) && writer.commit();
}

bool isSystemRuler(std::string_view name)
{
    return name == kDefaultRulerName || name == kPlainRulerName;
}

bool isValidRulerName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::string rulerFilePath(const std::string& folder, std::string_view name)
{
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    path += kRulerExtension;
    return path;
}

std::vector<std::string> listRulers(const std::string& folder)
{
    const size_t extension = std::strlen(kRulerExtension);
    std::vector<std::string> names;
    for (std::string& file : kwz::findFiles(rulerFilePath(folder, "*")))
    {
        if (file.size() <= extension)
            continue;
        file.resize(file.size() - extension);
        names.push_back(std::move(file));
    }
    return names;
}
