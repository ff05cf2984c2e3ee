// Feeds any bytes to the ruler-file reader, from memory and from a file. Besides surviving,
// a ruler that is read must be one of the five units with a finite length, write back to the
// same 32 bytes (the reserved ones as zeros), and read the same from a file as from memory.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "app/image/ruler_file.h"

namespace {

void check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

struct Folder
{
    Folder()
    {
        char pattern[] = "/dev/shm/fuzz_ruler_XXXXXX";
        if (access("/dev/shm", W_OK) != 0)
            std::memcpy(pattern, "/tmp/fuzz_ruler_XXXXXX", sizeof "/tmp/fuzz_ruler_XXXXXX");
        path = mkdtemp(pattern) ? pattern : "/tmp";
    }
    ~Folder()
    {
        std::remove(rulerFilePath(path, "in").c_str());
        std::remove(rulerFilePath(path, "out").c_str());
        rmdir(path.c_str());
    }
    std::string path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Folder folder;
    const std::optional<RulerRecord> parsed = parseRuler(data, size);
    if (size < kRulerFileSize)
        check(!parsed, "short input refused");

    const std::string in = rulerFilePath(folder.path, "in");
    if (FILE* f = std::fopen(in.c_str(), "wb"))
    {
        if (size > 0)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    const std::optional<RulerRecord> read = readRulerFile(in);
    check(read.has_value() == parsed.has_value(), "file and memory agree");
    if (!parsed)
        return 0;
    check(*read == *parsed, "file and memory read the same ruler");
    check(parsed->unit >= 0 && parsed->unit <= 4, "unit is a length unit");
    check(std::isfinite(parsed->length), "length is a number");

    const auto bytes = serializeRuler(*parsed);
    for (size_t i = 0; i < 8; ++i)
        check(bytes[i] == 0, "reserved bytes written as zero");
    check(std::memcmp(bytes.data() + 8, data + 8, kRulerFileSize - 8) == 0,
          "fields written back as read");
    const std::string out = rulerFilePath(folder.path, "out");
    check(writeRulerFile(out, *parsed), "ruler written");
    const std::optional<RulerRecord> again = readRulerFile(out);
    check(again && *again == *parsed, "written ruler reads back");
    return 0;
}
