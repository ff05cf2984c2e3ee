// Feeds any bytes to the INI reader and writer. The input is the file's text, optionally
// followed by NUL-separated section, key and value to write. Besides surviving, a write
// must read back as written and leave a differently named key alone.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "platform/profile.h"

namespace {

std::string_view trimmed(std::string_view text)
{
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string lowered(std::string_view text)
{
    std::string out(trimmed(text));
    for (char& c : out)
        c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    return out;
}

void check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// A private folder for the file round trip, removed when the run ends.
class Scratch
{
  public:
    Scratch()
    {
        char pattern[] = "/tmp/kwz_fuzz_ini.XXXXXX";
        if (mkdtemp(pattern) != nullptr)
            folder_ = pattern;
        file_ = (folder_.empty() ? std::string("/tmp/kwz_fuzz_ini.") + std::to_string(getpid())
                                 : folder_ + "/fuzz") +
                ".ini";
    }
    ~Scratch()
    {
        std::remove(file_.c_str());
        if (!folder_.empty())
            rmdir(folder_.c_str());
    }
    const std::string& file() const { return file_; }

  private:
    std::string folder_;
    std::string file_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    size_t from = 0;
    for (size_t nul; (nul = input.find('\0', from)) != std::string_view::npos; from = nul + 1)
        parts.push_back(input.substr(from, nul - from));
    parts.push_back(input.substr(from));

    const std::string text(parts[0]);
    const std::string_view section = parts.size() > 1 ? parts[1] : "Main";
    const std::string_view key = parts.size() > 2 ? parts[2] : "nWidth";
    const std::string_view value = parts.size() > 3 ? parts[3] : "12abc";

    kwz::ProfileText profile(text);
    for (const char* name : {"Main", "main", "nWidth", ""})
        profile.value(name, name);
    const std::string* other = profile.value("zz_other", "zz_key");
    const std::string otherBefore = other != nullptr ? *other : std::string("<none>");

    if (profile.set(section, key, value))
    {
        const std::string* back = profile.value(section, key);
        check(back != nullptr && *back == trimmed(value), "a written value reads back");
        if (lowered(section) != "zz_other" || lowered(key) != "zz_key")
        {
            other = profile.value("zz_other", "zz_key");
            check((other != nullptr ? *other : std::string("<none>")) == otherBefore,
                  "another key keeps its value");
        }
    }
    profile.remove(section, key);
    profile.remove(section, std::string_view());

    // The same through a file, as the libraries read and write it.
    static const Scratch scratch;
    const std::string& path = scratch.file();
    if (FILE* file = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        const std::string sectionText(section), keyText(key), valueText(value);
        char buffer[260];
        kwz::getProfileString(sectionText.c_str(), keyText.c_str(), "d", buffer, sizeof buffer,
                              path);
        kwz::getProfileInt(sectionText.c_str(), keyText.c_str(), 7, path);
        kwz::writeProfileString(sectionText.c_str(), keyText.c_str(), valueText.c_str(), path);
        std::remove(path.c_str());
    }
    return 0;
}
