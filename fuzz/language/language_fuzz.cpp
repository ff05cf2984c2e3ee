// Feeds any bytes to the program's language reading: the text file (through the settings
// store, into the fixed text table) and the tool-tip file. The first byte picks the
// language. Besides surviving, every slot must stay terminated inside its buffer, and texts
// written back must read back the same.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "app/shell/language.h"
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
        // Memory-backed when possible: every store write is flushed to disk.
        char pattern[] = "/dev/shm/fuzz_language_XXXXXX";
        if (access("/dev/shm", W_OK) != 0)
            std::memcpy(pattern, "/tmp/fuzz_language_XXXXXX", sizeof "/tmp/fuzz_language_XXXXXX");
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

// The blanks the settings store trims around names and values.
bool isStoreBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isReadOnly(std::string_view key)
{
    return key == "PenFontText" || key == "PenFontSize" || key == "ClassVideoSource" ||
           key == "SettingsNote";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Folder folder;
    const int index = size > 0 ? data[0] % 4 : 1;
    const std::string in = folder.path + "/in.ini";
    const std::string out = folder.path + "/out.ini";
    if (FILE* f = std::fopen(in.c_str(), "wb"))
    {
        if (size > 1)
            std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
    }
    std::remove(out.c_str());

    ToolTipTable tips;
    tips.load(in, toolTipSection(index));
    check(tips.entries().size() == 84, "tool-tip table holds every command");
    for (const ToolTipEntry& e : tips.entries())
        check(std::memchr(e.text, 0, sizeof e.text) != nullptr, "tool tip terminated");

    LanguageTexts texts;
    texts.load(SettingsStore(in), index);
    for (const LanguageKey& k : languageLayout())
        check(std::strlen(texts.text(k.section, k.key)) < kTextBufferSize, "slot terminated");

    {
        SettingsStore target(out);
        texts.save(target);
    }
    LanguageTexts reread;
    reread.load(SettingsStore(out), index);
    for (const LanguageKey& k : languageLayout())
    {
        if (isReadOnly(k.key))
            continue;
        // The store trims blanks around values (space, tab, line ends, vertical tab and form
        // feed) and refuses line breaks inside them, so only texts without either must survive.
        const std::string original = texts.text(k.section, k.key);
        if (original.empty() || isStoreBlank(original.front()) || isStoreBlank(original.back()) ||
            original.find_first_of("\r\n") != std::string::npos)
            continue;
        check(original == reread.text(k.section, k.key), "texts read back as written");
    }
    return 0;
}
