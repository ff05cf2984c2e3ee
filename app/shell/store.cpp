#include "app/shell/store.h"

#include <cstring>
#include <utility>

#include "profo.h"

SettingsStore::SettingsStore(const std::string& path)
{
    if (PFInitialize(path.c_str(), &handle_) != 0)
        handle_ = nullptr;
}

SettingsStore::SettingsStore(SettingsStore&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr))
{
}

SettingsStore& SettingsStore::operator=(SettingsStore&& other) noexcept
{
    if (this != &other)
    {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void SettingsStore::close()
{
    if (handle_ != nullptr)
        PFUnInitialize(&handle_);
    handle_ = nullptr;
}

void SettingsStore::getString(const char* section, const char* key, const char* defaultText,
                              char* buffer) const
{
    std::memset(buffer, 0, 260);
    if (handle_ == nullptr || PFGetString(handle_, section, key, defaultText, buffer) != 0)
    {
        std::strncpy(buffer, defaultText ? defaultText : "", 259);
        buffer[259] = 0;
    }
}

int SettingsStore::getInt(const char* section, const char* key, int defaultValue) const
{
    int value = defaultValue;
    if (handle_ == nullptr || PFGetDWORD(handle_, section, key, defaultValue, &value) != 0)
        return defaultValue;
    return value;
}

bool SettingsStore::getBool(const char* section, const char* key, bool defaultValue) const
{
    int value = defaultValue ? 1 : 0;
    if (handle_ == nullptr || PFGetBOOL(handle_, section, key, value, &value) != 0)
        return defaultValue;
    return value != 0;
}

void SettingsStore::setString(const char* section, const char* key, const char* value)
{
    if (handle_ != nullptr)
        PFSetString(handle_, section, key, value);
}

void SettingsStore::setInt(const char* section, const char* key, int value)
{
    if (handle_ != nullptr)
        PFSetInt(handle_, section, key, value);
}

void SettingsStore::setBool(const char* section, const char* key, bool value)
{
    if (handle_ != nullptr)
        PFSetBOOL(handle_, section, key, value ? 1 : 0);
}
