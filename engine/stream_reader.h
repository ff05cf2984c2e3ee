#pragma once
// Restores settings, ruler and graphics from a measurement data stream at the current
// position of an open file, appending to what the instance already holds.

#include "engine/gaugit_engine.h"
#include "kwztypes.h"

namespace gaugit {

class StreamReader
{
  public:
    enum class Outcome
    {
        Whole,            // every record arrived in full
        ShortHeader,      // nothing restored
        WrongVersion,     // nothing restored; the user was told
        ShortCounts,      // only the header settings applied
        DamagedRecord,    // graphics up to the end of the data restored
        CountsBeyondData, // only the header settings applied: the file cannot hold the
                          // records the counts promise, so none is built
    };

    explicit StreamReader(HANDLE file) : file_(file) {}

    Outcome read(GaugitEngine& engine);

  private:
    // Reads up to `size` bytes; false when fewer arrived (the end of the data).
    bool take(void* buffer, uint32_t size);
    // Reads and drops `size` bytes, or up to the end of the data.
    void skip(uint64_t size);

    template <typename G> bool restore(GaugitEngine& e, G& graphic);
    bool readRuler(RulerGraphic& ruler);
    bool readLine(LineGraphic& line);
    bool readRect(RectGraphic& rect);
    bool readCircle(CircleGraphic& circle);
    bool readEllipse(EllipseGraphic& ellipse);
    bool readAngle(AngleGraphic& angle);
    bool readPolygon(PolygonGraphic& polygon);
    bool readText(TextGraphic& text);

    // Whether the file, as far as its size tells, still holds the records the counts promise.
    bool countsFit(const int32_t (&counts)[7]) const;

    HANDLE file_;
    // Bytes read so far; with the file's size it bounds what can still arrive.
    uint64_t taken_ = 0;
    // Set once the data ended: every later record would be short too.
    bool ended_ = false;
    // Set by a record that was short or carried the wrong tag.
    bool damaged_ = false;
};

} // namespace gaugit
