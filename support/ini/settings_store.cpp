#include "support/ini/settings_store.h"

#include <cstring>

#include "platform/files.h"
#include "platform/profile.h"

namespace kwz {

std::optional<std::string> SettingsStore::checkedPath(const char* path)
{
    if (path == nullptr)
        return std::nullopt;
    size_t length = strnlen(path, kPathBufferSize);
    if (length >= kPathBufferSize)
        return std::nullopt;
    return std::string(path, length);
}

SettingsStore::SettingsStore(std::string_view path)
{
    size_t length = std::min(path.size(), kPathBufferSize - 1);
    std::memcpy(path_.data(), path.data(), length);
}

SettingsStore::~SettingsStore()
{
    if (unflushed_)
        flushFileAt(path_.data());
}

bool SettingsStore::setString(const char* section, const char* key, const char* value)
{
    if (section == nullptr || key == nullptr)
        return false;
    const bool written =
        writeProfileString(section, key, value, path_.data(), AtomicFileWriter::Flush::Later);
    unflushed_ = unflushed_ || written;
    return written;
}

bool SettingsStore::setInt(const char* section, const char* key, int value)
{
    return setString(section, key, std::to_string(value).c_str());
}

bool SettingsStore::setBool(const char* section, const char* key, bool flag)
{
    return setString(section, key, flag ? "1" : "0");
}

bool SettingsStore::getString(const char* section, const char* key, const char* defaultValue,
                              char (&buffer)[kValueBufferSize]) const
{
    size_t length = getProfileString(section, key, "", buffer, kValueBufferSize, path_.data());
    if (length > 0)
        return true;
    if (defaultValue == nullptr)
    {
        buffer[0] = '\0';
        return false;
    }
    size_t copied = strnlen(defaultValue, kValueBufferSize - 1);
    std::memcpy(buffer, defaultValue, copied);
    buffer[copied] = '\0';
    return true;
}

int SettingsStore::getInt(const char* section, const char* key, int defaultValue) const
{
    return getProfileInt(section, key, defaultValue, path_.data());
}

} // namespace kwz
