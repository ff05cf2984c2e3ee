#include "app/calibration/profile_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/files.h"

namespace calib {

namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::optional<int> parseSide(std::string_view s)
{
    int value = 0;
    if (s.empty() || s.size() > 5 || s.front() == '+' || s.front() == '-')
        return std::nullopt;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || value <= 0 || value > kLargestSide)
        return std::nullopt;
    return value;
}

std::optional<PixelSize> parseSize(std::string_view s)
{
    const size_t x = s.find_first_of("xX");
    if (x == std::string_view::npos)
        return std::nullopt;
    const auto w = parseSide(s.substr(0, x));
    const auto h = parseSide(s.substr(x + 1));
    if (!w || !h)
        return std::nullopt;
    return PixelSize{*w, *h};
}

std::optional<double> parseScale(std::string_view s)
{
    // strtod reads locale-dependent forms and needs a terminator; the numbers are ours.
    if (s.empty() || s.size() > 40)
        return std::nullopt;
    for (const char c : s)
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+'))
            return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || !isUsableScale(value))
        return std::nullopt;
    return value;
}

std::string lineError(size_t line, const char* what)
{
    return "line " + std::to_string(line) + ": " + what;
}

} // namespace

ProfileParse parseProfile(std::string_view text)
{
    ProfileParse result;
    if (text.size() > kProfileFileLimit)
    {
        result.error = "the file is larger than 64 KiB";
        return result;
    }
    if (text.find('\0') != std::string_view::npos)
    {
        result.error = "the file holds a NUL byte";
        return result;
    }
    enum class Section
    {
        None,
        Profile,
        Scales,
    };
    Section section = Section::None;
    bool sawProfile = false;
    bool sawScales = false;
    std::optional<std::string> name;
    CalibrationProfile profile;
    size_t lineNo = 0;
    size_t at = 0;
    // A UTF-8 mark at the start is what some editors add.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        at = 3;
    while (at <= text.size())
    {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trimmed(text.substr(at, end - at));
        ++lineNo;
        at = end + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[')
        {
            if (line.back() != ']')
            {
                result.error = lineError(lineNo, "a section name without its closing bracket");
                return result;
            }
            const std::string_view title = trimmed(line.substr(1, line.size() - 2));
            if (equalNoCase(title, "Profile") && !sawProfile)
            {
                section = Section::Profile;
                sawProfile = true;
            }
            else if (equalNoCase(title, "Scales") && !sawScales)
            {
                section = Section::Scales;
                sawScales = true;
            }
            else
            {
                result.error = lineError(lineNo, "an unknown or repeated section");
                return result;
            }
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
        {
            result.error = lineError(lineNo, "a line that is neither a section nor key=value");
            return result;
        }
        const std::string_view key = trimmed(line.substr(0, eq));
        const std::string_view value = trimmed(line.substr(eq + 1));
        if (section == Section::Profile)
        {
            if (!equalNoCase(key, "Name") || name)
            {
                result.error = lineError(lineNo, "an unknown or repeated key in [Profile]");
                return result;
            }
            if (!isValidProfileName(value))
            {
                result.error = lineError(lineNo, "a profile name that cannot be used");
                return result;
            }
            name = std::string(value);
        }
        else if (section == Section::Scales)
        {
            const std::optional<PixelSize> size = parseSize(key);
            if (!size)
            {
                result.error = lineError(lineNo, "a picture size that is not WIDTHxHEIGHT");
                return result;
            }
            const size_t blank = value.find_first_of(" \t");
            const std::string_view number = value.substr(0, blank);
            const std::string_view mark =
                blank == std::string_view::npos ? std::string_view() : trimmed(value.substr(blank));
            const std::optional<double> scale = parseScale(number);
            if (!scale)
            {
                result.error = lineError(lineNo, "a scale that is not a usable number");
                return result;
            }
            bool calibrated = false;
            if (equalNoCase(mark, "calibrated"))
                calibrated = true;
            else if (!equalNoCase(mark, "derived"))
            {
                result.error = lineError(lineNo, "a scale marked neither calibrated nor derived");
                return result;
            }
            if (profile.find(*size) != nullptr)
            {
                result.error = lineError(lineNo, "a picture size given twice");
                return result;
            }
            profile.setScale({*size, *scale, calibrated});
        }
        else
        {
            result.error = lineError(lineNo, "a key before any section");
            return result;
        }
    }
    if (!name)
    {
        result.error = "the file has no [Profile] Name";
        return result;
    }
    profile.setName(*name);
    result.profile = std::move(profile);
    return result;
}

std::string serializeProfile(const CalibrationProfile& profile)
{
    std::string text = "; kwzview calibration profile: micrometres per pixel by picture size\n";
    text += "[Profile]\nName=" + profile.name() + "\n[Scales]\n";
    for (const SizeScale& s : profile.scales())
    {
        char line[96];
        // Seventeen significant digits read back as the same double.
        std::snprintf(line, sizeof line, "%dx%d=%.17g %s\n", s.size.width, s.size.height,
                      s.umPerPixel, s.calibrated ? "calibrated" : "derived");
        text += line;
    }
    return text;
}

ProfileParse readProfileFile(const std::string& path)
{
    ProfileParse result;
    HANDLE file = kwz::createFile(path, kwz::FileAccess::Read, kwz::FileDisposition::OpenExisting);
    if (file == INVALID_HANDLE_VALUE || file == nullptr)
    {
        result.error = "the file cannot be opened";
        return result;
    }
    // One byte more than allowed tells a file that is too large.
    std::string bytes(kProfileFileLimit + 1, '\0');
    size_t filled = 0;
    bool ok = true;
    while (filled < bytes.size())
    {
        uint32_t done = 0;
        if (!kwz::readFile(file, bytes.data() + filled, uint32_t(bytes.size() - filled), &done))
        {
            ok = false;
            break;
        }
        if (done == 0)
            break;
        filled += done;
    }
    kwz::closeHandle(file);
    if (!ok)
    {
        result.error = "the file cannot be read";
        return result;
    }
    bytes.resize(filled);
    return parseProfile(bytes);
}

bool writeProfileFile(const std::string& path, const CalibrationProfile& profile)
{
    const std::string text = serializeProfile(profile);
    kwz::AtomicFileWriter writer(path);
    return writer.open() && writer.write(text.data(), uint32_t(text.size())) && writer.commit();
}

std::string profileFilePath(const std::string& folder, std::string_view name)
{
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    path += kProfileExtension;
    return path;
}

std::vector<std::string> listProfiles(const std::string& folder)
{
    const size_t extension = std::strlen(kProfileExtension);
    std::vector<std::string> names;
    for (std::string& file : kwz::findFiles(profileFilePath(folder, "*")))
    {
        if (file.size() <= extension)
            continue;
        file.resize(file.size() - extension);
        names.push_back(std::move(file));
    }
    return names;
}

} // namespace calib
