// Feeds any bytes as a settings file to the live overlay's reader. Whatever the file holds,
// the values read are in range, and writing them and reading again gives the same values.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "app/shell/overlay_settings.h"
#include "app/shell/store.h"

namespace {

void check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

std::string scratchFile()
{
    char folder[] = "/tmp/kwz_overlay_fuzz_XXXXXX";
    const char* made = mkdtemp(folder);
    return made ? std::string(made) + "/MeasureTool.ini" : std::string();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = scratchFile();
    if (path.empty())
        return 0;
    if (FILE* f = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    OverlaySettings read;
    {
        SettingsStore store(path);
        read = loadOverlaySettings(store);
    }
    check(read.corner >= 0 && read.corner <= 3, "corner");
    check(read.colour <= 0x00FFFFFFu, "colour");
    check(std::isfinite(read.scaleBarLength) && read.scaleBarLength >= 0, "length");
    check(std::isfinite(read.reticleSpacing) && read.reticleSpacing >= 0, "spacing");
    {
        SettingsStore store(path);
        saveOverlaySettings(store, read);
    }
    SettingsStore store(path);
    const OverlaySettings again = loadOverlaySettings(store);
    check(again.scaleBar == read.scaleBar && again.corner == read.corner &&
              again.colour == read.colour && again.reticle == read.reticle &&
              again.inCaptures == read.inCaptures && again.stillScaleBar == read.stillScaleBar,
          "round trip");
    // Lengths go through nine significant digits.
    check(std::fabs(again.scaleBarLength - read.scaleBarLength) <= 1e-8 * read.scaleBarLength,
          "length round trip");
    return 0;
}
