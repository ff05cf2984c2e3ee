#pragma once
// Thin calls onto a settings store handle; a null handle reads the defaults and writes nothing.

#include <string>

namespace store {

// Fills a 260-byte buffer; a missing or empty value gives the default.
void getString(void* handle, const char* section, const char* key, const char* defaultText,
               char* buffer);
int getInt(void* handle, const char* section, const char* key, int defaultValue);
bool getBool(void* handle, const char* section, const char* key, bool defaultValue);
void setString(void* handle, const char* section, const char* key, const char* value);
void setInt(void* handle, const char* section, const char* key, int value);
void setBool(void* handle, const char* section, const char* key, bool value);

// Creates a store bound to the path; null when it cannot be created.
void* open(const std::string& path);
void close(void*& handle);

} // namespace store
