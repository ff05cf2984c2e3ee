#pragma once
// Ruler files: one calibration ruler in 32 little-endian bytes (8 reserved, start and end
// point, unit, length), kept as "<name>.ruler" in the Rulers folder.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kwztypes.h"

inline constexpr size_t kRulerFileSize = 32;
inline constexpr const char* kRulerExtension = ".ruler";
// Rulers that come with the program and cannot be deleted.
inline constexpr const char* kDefaultRulerName = "RulerDefault";
inline constexpr const char* kPlainRulerName = "Ruler";

struct RulerRecord
{
    POINT start{0, 0};
    POINT end{0, 0};
    int32_t unit = 0; // ZQUNIT
    float length = 0.0f;

    bool operator==(const RulerRecord& other) const
    {
        return start.x == other.start.x && start.y == other.start.y && end.x == other.end.x &&
               end.y == other.end.y && unit == other.unit && length == other.length;
    }
};

// The record of the first 32 bytes; none for fewer bytes, a unit that is not one of the five
// length units, or a length that is not a finite number. Bytes after the 32nd are ignored.
std::optional<RulerRecord> parseRuler(const uint8_t* data, size_t size);
std::array<uint8_t, kRulerFileSize> serializeRuler(const RulerRecord& record);

// None when the file is missing, unreadable or refused by parseRuler.
std::optional<RulerRecord> readRulerFile(const std::string& path);
// Replaces the file only once all 32 bytes were written.
bool writeRulerFile(const std::string& path, const RulerRecord& record);

bool isSystemRuler(std::string_view name);
// A name that stays inside the ruler folder: not empty, no path separator, no NUL, not "."
// or "..".
bool isValidRulerName(std::string_view name);
std::string rulerFilePath(const std::string& folder, std::string_view name);
// Names of the ruler files of a folder without their extension, in name order.
std::vector<std::string> listRulers(const std::string& folder);
