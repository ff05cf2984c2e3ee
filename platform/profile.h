#pragma once
// INI (profile) files with the Win32 rules: section and key names match without regard to
// case, lines the call does not concern stay as they are (comments included), a write to a
// missing file, section or key creates it. Writes replace the file atomically.

#include <string>
#include <string_view>

#include "platform/files.h"

namespace kwz {

// Copies the value (or the default when the key is missing) into buffer, cut to size - 1
// bytes and terminated; returns the number of bytes copied, without the terminator.
// Surrounding blanks of names and values are ignored, as Win32 does; surrounding quotes are
// kept (unlike Win32), so every value written reads back as it was.
size_t getProfileString(const char* section, const char* key, const char* defaultValue,
                        char* buffer, size_t size, const std::string& path);
// The value taken as an optional minus sign and leading digits (letters give 0), or the
// default when the key is missing.
int getProfileInt(const char* section, const char* key, int defaultValue, const std::string& path);
// Writes key=value; a null value removes the key, a null key removes the section.
// False (and the file unchanged) when the file system refuses the write, when an existing
// file cannot be read, or when a name or value would break the file's lines (a line break
// in any of them, ']' in a section name, '=' in a key, a key starting with '[', ';' or '#').
// Flush::Later leaves flushing the file to the caller (a store that writes many keys in a row).
bool writeProfileString(const char* section, const char* key, const char* value,
                        const std::string& path,
                        AtomicFileWriter::Flush flush = AtomicFileWriter::Flush::Now);

// The same rules on a file's text held in memory, for readers of other INI-shaped input.
class ProfileText
{
  public:
    explicit ProfileText(std::string text);
    // Null when the section or key is missing.
    const std::string* value(std::string_view section, std::string_view key) const;
    // False (text unchanged) for names or values refused as by writeProfileString.
    bool set(std::string_view section, std::string_view key, std::string_view value);
    // Removes a key, or the whole section when key has no data (a default string_view);
    // false when there was nothing to remove.
    bool remove(std::string_view section, std::string_view key);
    const std::string& text() const { return text_; }

  private:
    std::string text_;
    mutable std::string cache_;
};

} // namespace kwz
