#include "app/shell/store.h"

#include <cstring>

#include "profo.h"

namespace store {

void getString(void* handle, const char* section, const char* key, const char* defaultText,
               char* buffer)
{
    std::memset(buffer, 0, 260);
    if (handle == nullptr || PFGetString(handle, section, key, defaultText, buffer) != 0)
    {
        std::strncpy(buffer, defaultText ? defaultText : "", 259);
        buffer[259] = 0;
    }
}

int getInt(void* handle, const char* section, const char* key, int defaultValue)
{
    int value = defaultValue;
    if (handle == nullptr || PFGetDWORD(handle, section, key, defaultValue, &value) != 0)
        return defaultValue;
    return value;
}

bool getBool(void* handle, const char* section, const char* key, bool defaultValue)
{
    int value = defaultValue ? 1 : 0;
    if (handle == nullptr || PFGetBOOL(handle, section, key, value, &value) != 0)
        return defaultValue;
    return value != 0;
}

void setString(void* handle, const char* section, const char* key, const char* value)
{
    if (handle != nullptr)
        PFSetString(handle, section, key, value);
}

void setInt(void* handle, const char* section, const char* key, int value)
{
    if (handle != nullptr)
        PFSetInt(handle, section, key, value);
}

void setBool(void* handle, const char* section, const char* key, bool value)
{
    if (handle != nullptr)
        PFSetBOOL(handle, section, key, value ? 1 : 0);
}

void* open(const std::string& path)
{
    void* handle = nullptr;
    if (PFInitialize(path.c_str(), &handle) != 0)
        return nullptr;
    return handle;
}

void close(void*& handle)
{
    if (handle != nullptr)
        PFUnInitialize(&handle);
    handle = nullptr;
}

} // namespace store
