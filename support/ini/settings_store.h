#pragma once
// One INI file's named values. Holds only the path: every call goes to the file.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kwz {

class SettingsStore
{
  public:
    static constexpr size_t kPathBufferSize = 260;
    static constexpr size_t kValueBufferSize = 260;

    // Nothing when the path does not fit the 260-byte buffer.
    static std::optional<std::string> checkedPath(const char* path);

    explicit SettingsStore(std::string_view path);
    // Flushes the file once for all the writes made through this store.
    virtual ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const char* path() const { return path_.data(); }

    bool setString(const char* section, const char* key, const char* value);
    bool setInt(const char* section, const char* key, int value);
    bool setBool(const char* section, const char* key, bool flag);

    // Copies the value, cut to 259 bytes, into buffer; a missing or empty value gives the
    // default. False (buffer "") when that leaves nothing because the default is null.
    bool getString(const char* section, const char* key, const char* defaultValue,
                   char (&buffer)[kValueBufferSize]) const;
    int getInt(const char* section, const char* key, int defaultValue) const;

  private:
    std::array<char, kPathBufferSize> path_{};
    // Every write replaces the file at once, so readers and a killed process only ever see
    // whole files; waiting for the disk after each of the hundred keys saved at exit made
    // the exit take seconds on a busy disk, so the store waits once, when it closes.
    bool unflushed_ = false;
};

} // namespace kwz
