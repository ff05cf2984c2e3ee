#include "platform/profile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/platform_state_data.h"

namespace kwz {

namespace {

// Settings and language files are a few kilobytes; anything this large is not one of them
// and is neither loaded nor rewritten.
constexpr int64_t kMaxProfileBytes = 64 * 1024 * 1024;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Case-insensitive for ASCII letters only: the second byte of a GBK character may be an
// ASCII letter, and folding it would make two different Chinese names equal.
bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        const auto byte = static_cast<unsigned char>(a[i]);
        if (byte >= 0x81 && byte <= 0xFE && i + 1 < a.size())
        {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    }
    return true;
}

// One line of the text: where it starts, its content without the line break, and where the
// next line starts.
struct Line
{
    size_t begin = 0;
    size_t contentEnd = 0;
    size_t end = 0;
};

class LineScanner
{
  public:
    explicit LineScanner(std::string_view text) : text_(text)
    {
        // A byte-order mark would otherwise become part of the first section name.
        if (text_.substr(0, 3) == "\xEF\xBB\xBF")
            pos_ = 3;
    }

    bool next(Line* line)
    {
        if (pos_ >= text_.size())
            return false;
        line->begin = pos_;
        size_t newline = text_.find('\n', pos_);
        if (newline == std::string_view::npos)
        {
            line->contentEnd = text_.size();
            line->end = text_.size();
        }
        else
        {
            line->contentEnd = newline;
            line->end = newline + 1;
        }
        pos_ = line->end;
        return true;
    }

    std::string_view content(const Line& line) const
    {
        return text_.substr(line.begin, line.contentEnd - line.begin);
    }

  private:
    std::string_view text_;
    size_t pos_ = 0;
};

// The section name of a header line, or nothing when the line is not a header.
std::optional<std::string_view> sectionName(std::string_view content)
{
    std::string_view line = trimmed(content);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    size_t close = line.find(']');
    if (close != std::string_view::npos)
        line = line.substr(0, close);
    return trimmed(line);
}

struct KeyLine
{
    std::string_view key;
    std::string_view value;
};

// Key and value of a key=value line; comments and lines without '=' are not key lines.
std::optional<KeyLine> keyLine(std::string_view content)
{
    std::string_view line = trimmed(content);
    if (line.empty() || line.front() == ';' || line.front() == '#' || line.front() == '[')
        return std::nullopt;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1))};
}

// Where a section and one of its keys sit in the text. The first section of a name counts,
// and within it the first key of a name, as Windows does.
struct Location
{
    bool sectionFound = false;
    Line header;
    // The last line of the section that is not blank (the header when it has none), after
    // which a new key goes.
    Line lastFilled;
    // The line after the section (its end when the section is the last one).
    size_t sectionEnd = 0;
    bool keyFound = false;
    Line keyLine;
    std::string_view value;
};

Location locate(std::string_view text, std::string_view section, std::string_view key)
{
    Location where;
    LineScanner scanner(text);
    Line line;
    bool inside = false;
    while (scanner.next(&line))
    {
        std::string_view content = scanner.content(line);
        if (std::optional<std::string_view> name = sectionName(content))
        {
            if (inside)
            {
                where.sectionEnd = line.begin;
                return where;
            }
            if (!where.sectionFound && sameName(*name, section))
            {
                inside = true;
                where.sectionFound = true;
                where.header = line;
                where.lastFilled = line;
            }
            continue;
        }
        if (!inside)
            continue;
        if (!trimmed(content).empty())
            where.lastFilled = line;
        if (where.keyFound)
            continue;
        if (std::optional<KeyLine> entry = keyLine(content); entry && sameName(entry->key, key))
        {
            where.keyFound = true;
            where.keyLine = line;
            where.value = entry->value;
        }
    }
    where.sectionEnd = text.size();
    return where;
}

std::string lineBreakOf(std::string_view text)
{
    size_t newline = text.find('\n');
    if (newline == std::string_view::npos)
        return "\r\n"; // the files these libraries keep come from Windows
    return (newline > 0 && text[newline - 1] == '\r') ? "\r\n" : "\n";
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Names and values that would change the structure of the file are refused, so a value can
// never smuggle in a line of its own.
bool validSection(std::string_view section)
{
    std::string_view name = trimmed(section);
    return !name.empty() && !hasLineBreak(section) && name.find(']') == std::string_view::npos;
}

bool validKey(std::string_view key)
{
    std::string_view name = trimmed(key);
    return !name.empty() && !hasLineBreak(key) && name.find('=') == std::string_view::npos &&
           name.front() != '[' && name.front() != ';' && name.front() != '#';
}

enum class ReadResult
{
    Ok,
    Missing,
    Failed,
};

ReadResult readWholeFile(const std::string& path, std::string* text)
{
    text->clear();
    HANDLE file = createFile(path, FileAccess::Read, FileDisposition::OpenExisting);
    if (file == INVALID_HANDLE_VALUE)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    int64_t size = fileSize(file);
    if (size < 0 || size > kMaxProfileBytes)
    {
        closeHandle(file);
        return ReadResult::Failed;
    }
    text->resize(size_t(size));
    uint32_t done = 0;
    bool ok = readFile(file, text->data(), uint32_t(size), &done);
    closeHandle(file);
    if (!ok)
        return ReadResult::Failed;
    text->resize(done);
    return ReadResult::Ok;
}

bool replaceFile(const std::string& path, const std::string& text, AtomicFileWriter::Flush flush)
{
    AtomicFileWriter writer(path);
    if (!writer.open())
        return false;
    if (!text.empty() && !writer.write(text.data(), uint32_t(text.size())))
        return false;
    return writer.commit(flush);
}

int parseLeadingInt(std::string_view text)
{
    bool negative = false;
    size_t i = 0;
    if (!text.empty() && text[0] == '-')
    {
        negative = true;
        i = 1;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    {
        value = value * 10 + (text[i] - '0');
        // Saturate rather than wrap: a huge number must not read as a small or negative one.
        if (value > int64_t(INT_MAX) + 1)
            value = int64_t(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return int(value);
}

} // namespace

ProfileText::ProfileText(std::string text) : text_(std::move(text)) {}

const std::string* ProfileText::value(std::string_view section, std::string_view key) const
{
    Location where = locate(text_, trimmed(section), trimmed(key));
    if (!where.keyFound)
        return nullptr;
    cache_.assign(where.value);
    return &cache_;
}

bool ProfileText::set(std::string_view section, std::string_view key, std::string_view value)
{
    if (!validSection(section) || !validKey(key) || hasLineBreak(value))
        return false;
    section = trimmed(section);
    key = trimmed(key);
    const std::string lineBreak = lineBreakOf(text_);
    Location where = locate(text_, section, key);
    std::string entry;
    entry.reserve(key.size() + value.size() + 3);
    if (where.keyFound)
    {
        // Keep the key as the file spells it, and the line's own break.
        std::optional<KeyLine> old = keyLine(std::string_view(text_).substr(
            where.keyLine.begin, where.keyLine.contentEnd - where.keyLine.begin));
        entry.append(old->key).append("=").append(value);
        if (where.keyLine.contentEnd > where.keyLine.begin &&
            text_[where.keyLine.contentEnd - 1] == '\r')
            entry.push_back('\r');
        text_.replace(where.keyLine.begin, where.keyLine.contentEnd - where.keyLine.begin, entry);
        return true;
    }
    entry.append(key).append("=").append(value).append(lineBreak);
    if (where.sectionFound)
    {
        size_t at = where.lastFilled.end;
        if (where.lastFilled.end == where.lastFilled.contentEnd)
        {
            // The section's last line ends the file without a break.
            text_.insert(at, lineBreak);
            at += lineBreak.size();
        }
        text_.insert(at, entry);
        return true;
    }
    if (!text_.empty() && text_.back() != '\n')
        text_.append(lineBreak);
    text_.append("[").append(section).append("]").append(lineBreak).append(entry);
    return true;
}

bool ProfileText::remove(std::string_view section, std::string_view key)
{
    section = trimmed(section);
    Location where = locate(text_, section, trimmed(key));
    if (!where.sectionFound)
        return false;
    if (key.data() == nullptr)
    {
        text_.erase(where.header.begin, where.sectionEnd - where.header.begin);
        return true;
    }
    if (!where.keyFound)
        return false;
    text_.erase(where.keyLine.begin, where.keyLine.end - where.keyLine.begin);
    return true;
}

size_t getProfileString(const char* section, const char* key, const char* defaultValue,
                        char* buffer, size_t size, const std::string& path)
{
    if (buffer == nullptr || size == 0)
        return 0;
    std::string text;
    std::optional<std::string> found;
    if (section != nullptr && key != nullptr)
    {
        std::lock_guard lock(platformState().profileMutex);
        if (readWholeFile(path, &text) == ReadResult::Ok)
        {
            Location where = locate(text, trimmed(section), trimmed(key));
            if (where.keyFound)
                found.emplace(where.value);
        }
    }
    std::string_view value = found ? std::string_view(*found)
                                   : std::string_view(defaultValue != nullptr ? defaultValue : "");
    size_t count = std::min(value.size(), size - 1);
    std::memcpy(buffer, value.data(), count);
    buffer[count] = '\0';
    return count;
}

int getProfileInt(const char* section, const char* key, int defaultValue, const std::string& path)
{
    if (section == nullptr || key == nullptr)
        return defaultValue;
    std::string text;
    {
        std::lock_guard lock(platformState().profileMutex);
        if (readWholeFile(path, &text) != ReadResult::Ok)
            return defaultValue;
    }
    Location where = locate(text, trimmed(section), trimmed(key));
    // A missing or empty value means the default.
    if (!where.keyFound || where.value.empty())
        return defaultValue;
    return parseLeadingInt(where.value);
}

bool writeProfileString(const char* section, const char* key, const char* value,
                        const std::string& path, AtomicFileWriter::Flush flush)
{
    if (section == nullptr || path.empty())
        return false;
    std::lock_guard lock(platformState().profileMutex);
    std::string text;
    // An existing file that cannot be read must not be replaced by one holding only this key.
    ReadResult read = readWholeFile(path, &text);
    if (read == ReadResult::Failed)
        return false;
    ProfileText profile(text);
    if (value != nullptr)
    {
        if (key == nullptr || !profile.set(section, key, value))
            return false;
    }
    else
    {
        if (key != nullptr && !validKey(key))
            return false;
        // Removing what is not there changes nothing and is no failure.
        if (!profile.remove(section, key != nullptr ? std::string_view(key) : std::string_view()))
            return true;
    }
    // Settings are mostly written back as they were read; such a write costs no disk flush
    // but still fails where a real one would.
    if (read == ReadResult::Ok && profile.text() == text)
        return fileWritable(path);
    return replaceFile(path, profile.text(), flush);
}

} // namespace kwz
