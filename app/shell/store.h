#pragma once
// A settings file opened through the profile library. The store owns its handle; a store that
// is not open reads the defaults and writes nothing.

#include <string>

class SettingsStore
{
  public:
    SettingsStore() = default;
    // Bound to the path; not open when the profile library cannot create it.
    explicit SettingsStore(const std::string& path);
    ~SettingsStore() { close(); }
    SettingsStore(SettingsStore&& other) noexcept;
    SettingsStore& operator=(SettingsStore&& other) noexcept;
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    bool isOpen() const { return handle_ != nullptr; }
    void close();

    // Fills a 260-byte buffer; a missing or empty value gives the default.
    void getString(const char* section, const char* key, const char* defaultText,
                   char* buffer) const;
    int getInt(const char* section, const char* key, int defaultValue) const;
    bool getBool(const char* section, const char* key, bool defaultValue) const;
    void setString(const char* section, const char* key, const char* value);
    void setInt(const char* section, const char* key, int value);
    void setBool(const char* section, const char* key, bool value);

  private:
    void* handle_ = nullptr;
};
