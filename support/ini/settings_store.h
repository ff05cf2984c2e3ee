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
    virtual ~SettingsStore() = default;

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
};

} // namespace kwz
