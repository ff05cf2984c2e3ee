#pragma once
// Little-endian fields of the file formats, read and written one by one: the build is 64-bit
// and the formats are 32-bit, so records are never copied as C++ structs.

#include <cstdint>
#include <cstring>
#include <vector>

namespace kwz {

inline uint16_t readU16le(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t readU32le(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t readI32le(const uint8_t* p)
{
    return int32_t(readU32le(p));
}
inline float readF32le(const uint8_t* p)
{
    const uint32_t bits = readU32le(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void writeU16le(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void writeU32le(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void writeI32le(uint8_t* p, int32_t v)
{
    writeU32le(p, uint32_t(v));
}
inline void writeF32le(uint8_t* p, float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    writeU32le(p, bits);
}

// Appending forms, for records built field after field.
inline void appendU16le(std::vector<uint8_t>& out, uint16_t v)
{
    uint8_t bytes[2];
    writeU16le(bytes, v);
    out.insert(out.end(), bytes, bytes + 2);
}
inline void appendU32le(std::vector<uint8_t>& out, uint32_t v)
{
    uint8_t bytes[4];
    writeU32le(bytes, v);
    out.insert(out.end(), bytes, bytes + 4);
}
inline void appendI32le(std::vector<uint8_t>& out, int32_t v)
{
    appendU32le(out, uint32_t(v));
}
inline void appendF32le(std::vector<uint8_t>& out, float v)
{
    uint8_t bytes[4];
    writeF32le(bytes, v);
    out.insert(out.end(), bytes, bytes + 4);
}

} // namespace kwz
