// Feeds any bytes as the settings file to the recent-files list. Besides surviving, the list
// holds at most eight names, none empty or twice, and what it writes reads back the same.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include <unistd.h>

#include "app/shell/recent_files.h"
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

struct Folder
{
    Folder()
    {
        char pattern[] = "/tmp/fuzz_recent_XXXXXX";
        path = mkdtemp(pattern) ? pattern : "/tmp";
    }
    ~Folder()
    {
        for (const char* name : {"/in.ini", "/out.ini"})
            std::remove((path + name).c_str());
        rmdir(path.c_str());
    }
    std::string path;
};

void checkShape(const RecentFiles& recent)
{
    check(recent.files().size() <= RecentFiles::kCapacity, "at most eight");
    std::set<std::string> seen;
    for (const std::string& f : recent.files())
    {
        check(!f.empty(), "no empty name");
        check(seen.insert(f).second, "no name twice");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Folder folder;
    const std::string in = folder.path + "/in.ini";
    const std::string out = folder.path + "/out.ini";
    if (FILE* f = std::fopen(in.c_str(), "wb"))
    {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    RecentFiles recent;
    {
        SettingsStore store(in);
        recent.load(store);
    }
    checkShape(recent);
    // A name made of the input joins the list only if it can come back whole.
    const std::string extra(reinterpret_cast<const char*>(data), std::min<size_t>(size, 300));
    recent.add(extra);
    checkShape(recent);

    std::remove(out.c_str());
    RecentFiles again;
    {
        SettingsStore store(out);
        recent.save(store);
        again.load(store);
    }
    check(again.files() == recent.files(), "written list reads back");
    return 0;
}
