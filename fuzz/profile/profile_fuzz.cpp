// Feeds any bytes to the calibration-profile reader. Besides surviving, a profile that is
// read must hold a usable name and usable scales, write back to a text that reads as the
// same profile, and read the same from a file as from memory.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <unistd.h>

#include "app/calibration/profile_file.h"

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
        char pattern[] = "/tmp/fuzz_profile_XXXXXX";
        path = mkdtemp(pattern) ? pattern : "/tmp";
    }
    ~Folder()
    {
        std::remove(calib::profileFilePath(path, "in").c_str());
        rmdir(path.c_str());
    }
    std::string path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Folder folder;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const calib::ProfileParse parsed = calib::parseProfile(text);
    check(parsed.profile.has_value() == parsed.error.empty(), "a profile or an error");
    if (size > calib::kProfileFileLimit)
        check(!parsed.profile, "large input refused");

    const std::string in = calib::profileFilePath(folder.path, "in");
    if (FILE* f = std::fopen(in.c_str(), "wb"))
    {
        if (size > 0)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    const calib::ProfileParse read = calib::readProfileFile(in);
    check(read.profile.has_value() == parsed.profile.has_value(), "file and memory agree");
    if (!parsed.profile)
        return 0;
    check(*read.profile == *parsed.profile, "file and memory read the same profile");
    check(calib::isValidProfileName(parsed.profile->name()), "name usable");
    for (const calib::SizeScale& s : parsed.profile->scales())
        check(calib::isUsableScale(s.umPerPixel) && s.size.width > 0 && s.size.height > 0,
              "scale usable");
    const calib::ProfileParse again = calib::parseProfile(calib::serializeProfile(*parsed.profile));
    check(again.profile && *again.profile == *parsed.profile, "written profile reads back");
    return 0;
}
