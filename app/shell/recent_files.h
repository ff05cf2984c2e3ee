#pragma once
// The files last opened or saved, newest first, kept in the settings file's section
// "RecentFiles" as File1 ... File8.

#include <string>
#include <vector>

class SettingsStore;

class RecentFiles
{
  public:
    static constexpr int kCapacity = 8;

    // Empty values, repeats and names too long to keep whole are skipped.
    void load(const SettingsStore& store);
    // Every one of the eight keys, empty past the end of the list.
    void save(SettingsStore& store) const;

    // Puts the path first; a path already listed moves up, the oldest falls off the end.
    // False (and nothing changes) for an empty path or one longer than a value can hold.
    bool add(const std::string& path);
    // False when the path was not listed.
    bool remove(const std::string& path);

    const std::vector<std::string>& files() const { return files_; }

  private:
    std::vector<std::string> files_;
};
