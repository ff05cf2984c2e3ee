#pragma once
// Writes an instance's settings, ruler and graphics as the measurement data stream, from the
// current position of an open file.

#include "engine/gaugit_engine.h"
#include "kwztypes.h"

namespace gaugit {

// Sizes of the stream's parts.
constexpr uint32_t kStreamHeaderSize = 156;
constexpr uint32_t kStreamCountsSize = 28;
constexpr uint32_t kRulerRecordSize = 60;
constexpr uint32_t kLineRecordSize = 52;
constexpr uint32_t kCircleRecordSize = 60;
constexpr uint32_t kPolygonRecordSize = 40;
constexpr uint32_t kTextRecordSize = 220;
constexpr uint16_t kStreamMainVersion = 0;
constexpr uint16_t kStreamMinorVersion = 5;

class StreamWriter
{
  public:
    explicit StreamWriter(HANDLE file) : file_(file) {}

    // False when a part was not written whole; the writing stops there.
    bool write(const GaugitEngine& engine);

  private:
    bool put(const std::vector<uint8_t>& bytes);

    HANDLE file_;
};

} // namespace gaugit
