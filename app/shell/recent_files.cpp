#include "app/shell/recent_files.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "app/shell/store.h"

namespace {

constexpr const char* kSection = "RecentFiles";
// A cut path names another file, so only what a 260-byte value holds whole is kept.
constexpr size_t kLongest = 259;

std::string keyOf(int index)
{
    return "File" + std::to_string(index + 1);
}

} // namespace

void RecentFiles::load(const SettingsStore& store)
{
    files_.clear();
    for (int i = 0; i < kCapacity; ++i)
    {
        char buffer[260];
        store.getString(kSection, keyOf(i).c_str(), "", buffer);
        const std::string path(buffer, strnlen(buffer, kLongest));
        if (path.empty() || std::find(files_.begin(), files_.end(), path) != files_.end())
            continue;
        files_.push_back(path);
    }
}

void RecentFiles::save(SettingsStore& store) const
{
    for (int i = 0; i < kCapacity; ++i)
    {
        const std::string value = i < static_cast<int>(files_.size()) ? files_[i] : std::string();
        store.setString(kSection, keyOf(i).c_str(), value.c_str());
    }
}

bool RecentFiles::add(const std::string& path)
{
    // A NUL would cut the value, a line break end it, and blanks at either end are trimmed
    // by the settings file: such a name would come back as another.
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    };
    if (path.empty() || path.size() > kLongest || blank(path.front()) || blank(path.back()) ||
        path.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos)
        return false;
    remove(path);
    files_.insert(files_.begin(), path);
    if (files_.size() > static_cast<size_t>(kCapacity))
        files_.resize(kCapacity);
    return true;
}

bool RecentFiles::remove(const std::string& path)
{
    const auto found = std::find(files_.begin(), files_.end(), path);
    if (found == files_.end())
        return false;
    files_.erase(found);
    return true;
}
