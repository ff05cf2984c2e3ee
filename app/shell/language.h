#pragma once
// The language text table (one fixed slot per key of the text file) and the tool-tip table.
// Texts are kept narrow in GBK, as the files hold them; the widgets get them decoded.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell/store.h"

inline constexpr int kLanguageChinese = 0;
inline constexpr int kLanguageEnglish = 1;
inline constexpr int kLanguageChineseTraditional = 2;
inline constexpr int kLanguageSlotCount = 153;
inline constexpr size_t kTextBufferSize = 260;

struct LanguageKey
{
    const char* section;
    const char* key;
    const char* builtIn[3]; // UTF-8: English, Simplified Chinese, Traditional Chinese
};

std::span<const LanguageKey> languageLayout();

// Of a built-in text's three versions (UTF-8), the one of the language index, by the same
// columns as the layout's built-in texts.
const char* builtInText(int index, const char* english, const char* simplified,
                        const char* traditional);

// File names relative to the program folder, by language index.
const char* languageTextFile(int index);
const char* toolTipFile(int index);
const char* toolTipSection(int index);
const char* helpFile(int index);

class LanguageTexts
{
  public:
    LanguageTexts();

    // Reads every key of the layout from the store, the built-in text of the language being
    // the default; "SettingsNote" only for English (the Chinese languages leave its slot).
    void load(const SettingsStore& store, int index);
    // Writes every slot back but the three keys that are only read.
    void save(SettingsStore& store) const;
    void clearSection(std::string_view section);

    // GBK text of the first slot with that key (or section and key); "" when there is none.
    const char* text(std::string_view key) const;
    const char* text(std::string_view section, std::string_view key) const;

  private:
    int slotOf(std::string_view section, std::string_view key) const;

    std::array<std::array<char, kTextBufferSize>, kLanguageSlotCount> slots_{};
};

struct ToolTipEntry
{
    int id = 0;
    char name[kTextBufferSize] = {};
    char text[kTextBufferSize] = {};
};

struct ToolTipCommand
{
    const char* name;
    int id;
};
std::span<const ToolTipCommand> toolTipCommands();

class ToolTipTable
{
  public:
    // Empties the table and reads one entry per known command from the file's section; a
    // missing file or key gives an empty text.
    void load(const std::string& path, const char* section);
    // GBK text of the first entry with the identifier, "" when there is none.
    const char* text(int id) const;
    const std::vector<ToolTipEntry>& entries() const { return entries_; }

  private:
    std::vector<ToolTipEntry> entries_;
};

// The language in use: its index, the two tables, and the open text file that the texts are
// written back to at the end.
class LanguageSession
{
  public:
    LanguageSession() = default;
    ~LanguageSession() { close(); }
    LanguageSession(const LanguageSession&) = delete;
    LanguageSession& operator=(const LanguageSession&) = delete;

    // Reads the tool-tip file and the text file of a language, both under the program folder
    // (which ends with a separator); the text file stays open. The previous one is closed
    // unwritten.
    void LoadLanguage(const std::string& programFolder, int index);
    // Writes the whole text table into the open text file.
    void SaveLanguageTexts() { texts_.save(store_); }
    void close();

    int index() const { return index_; }
    bool isOpen() const { return store_.isOpen(); }
    const LanguageTexts& texts() const { return texts_; }
    const ToolTipTable& toolTips() const { return toolTips_; }
    const char* GetToolTipText(int commandId) const { return toolTips_.text(commandId); }

  private:
    int index_ = kLanguageChinese;
    SettingsStore store_;
    LanguageTexts texts_;
    ToolTipTable toolTips_;
};
