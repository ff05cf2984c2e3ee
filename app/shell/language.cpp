#include "app/shell/language.h"

#include <cstring>

#include "app/shell/store.h"
#include "platform/encoding.h"
#include "platform/profile.h"

namespace {

constexpr LanguageKey kLayout[] = {
#include "app/shell/language_layout.inc"
};
static_assert(std::size(kLayout) == kLanguageSlotCount);

constexpr ToolTipCommand kToolTipCommands[] = {
    {"ID_VIDEO_CAPTURE", 32774},
    {"ID_CAPTURE_MEASURE", 32828},
    {"ID_CAPTURE_SETTING", 32827},
    {"ID_VIDEO_TIMERCAPTURE", 32775},
    {"ID_VIDEO_RECORD", 32776},
    {"ID_BUTTON_RecordSetting", 32825},
    {"ID_VIDEO_SELECTCOMPRESSOR", 32777},
    {"ID_VIDEO_MANUALWB", 32778},
    {"ID_VIDEO_FILLWINDOW", 32780},
    {"ID_VIDEO_SHOWSIZEBAR", 32781},
    {"ID_VIDEO_SHOWCOLORBAR", 32782},
    {"ID_VIDEO_SHOWSETTINGBAR", 32783},
    {"ID_MAIN_CONNECT", 32784},
    {"ID_VIEW_VIDEO_STATUSBAR", 32786},
    {"ID_VIEW_VIDEO_TOOLBAR", 32787},
    {"ID_IMAGE_NORMAL", 32789},
    {"ID_IMAGE_ZOOM", 32822},
    {"ID_IMAGE_MESURE_LINE", 32790},
    {"ID_IMAGE_MEASURE_CIRCLE", 32791},
    {"ID_IMAGE_MEASURE_ELLIPSE", 32792},
    {"ID_IMAGE_MEASURE_RECT", 32793},
    {"ID_IMAGE_MEASURE_ANGLE", 32794},
    {"ID_IMAGE_MEASURE_POLYLINE", 32795},
    {"ID_IMAGE_MEASURE_TEXT", 32796},
    {"ID_VIEW_IMAGE_TOOLBAR", 32797},
    {"ID_VIEW_IMAGE_STATUSBAR", 32798},
    {"ID_IMAGE_SETTINGS_RULER", 32799},
    {"ID_IMAGE_SETTINGS_PEN", 32800},
    {"ID_IMAGE_SETTINGS_TEXT", 32801},
    {"ID_IMAGE_MEASURE_DELETE", 32802},
    {"ID_RETURN_VIDEO", 32803},
    {"ID_IMAGE_MEASURE_DELETEALL", 32804},
    {"ID_VIDEO_SHOWLEDBAR", 32805},
    {"ID_IMAGE_MEASURE_CIRCLE0", 32806},
    {"ID_IMAGE_MEASURE_CIRCLE1", 32807},
    {"ID_IMAGE_MEASURE_CIRCLE2", 32808},
    {"ID_IMAGE_MEASURE_ELLIPSE0", 32809},
    {"ID_IMAGE_MEASURE_ELLIPSE1", 32810},
    {"IDM_ENGLISHLANGUAGE", 32815},
    {"IDM_CHINESELANGUAGE", 32816},
    {"AFX_IDS_IDLEMESSAGE", 57345},
    {"ID_FILE_NEW", 57600},
    {"ID_FILE_OPEN", 57601},
    {"ID_FILE_CLOSE", 57602},
    {"ID_FILE_SAVE", 57603},
    {"ID_FILE_SAVE_AS", 57604},
    {"ID_FILE_PAGE_SETUP", 57605},
    {"ID_FILE_PRINT_SETUP", 57606},
    {"ID_FILE_PRINT", 57607},
    {"ID_FILE_PRINT_PREVIEW", 57609},
    {"ID_EDIT_CLEAR", 57632},
    {"ID_EDIT_CLEAR_ALL", 57633},
    {"ID_EDIT_COPY", 57634},
    {"ID_EDIT_CUT", 57635},
    {"ID_EDIT_FIND", 57636},
    {"ID_EDIT_PASTE", 57637},
    {"ID_EDIT_REPEAT", 57640},
    {"ID_EDIT_REPLACE", 57641},
    {"ID_EDIT_SELECT_ALL", 57642},
    {"ID_EDIT_UNDO", 57643},
    {"ID_EDIT_REDO", 57644},
    {"ID_WINDOW_NEW", 57648},
    {"ID_WINDOW_ARRANGE", 57649},
    {"ID_WINDOW_CASCADE", 57650},
    {"ID_WINDOW_TILE_HORZ", 57651},
    {"ID_WINDOW_TILE_VERT", 57652},
    {"ID_WINDOW_SPLIT", 57653},
    {"ID_APP_ABOUT", 57664},
    {"ID_APP_EXIT", 57665},
    {"ID_NEXT_PANE", 57680},
    {"ID_PREV_PANE", 57681},
    {"ID_INDICATOR_EXT", 59136},
    {"ID_INDICATOR_CAPS", 59137},
    {"ID_INDICATOR_NUM", 59138},
    {"ID_INDICATOR_SCRL", 59139},
    {"ID_INDICATOR_OVR", 59140},
    {"ID_INDICATOR_REC", 59141},
    {"ID_VIEW_TOOLBAR", 59392},
    {"ID_VIEW_STATUS_BAR", 59393},
    {"ID_OP_VIDEO_WINDOW", 32888},
    {"ID_OP_IMAGE_WINDOW", 32889},
    {"ID_BUTTON_ALLBTN", 32832},
    {"ID_BUTTON_FREEZE", 32834},
    {"ID_BUTTON_IMAGEALL", 32833},
};
static_assert(std::size(kToolTipCommands) == 84);

// Keys read from the file but never written back.
bool isReadOnlyKey(std::string_view key)
{
    return key == "PenFontText" || key == "PenFontSize" || key == "ClassVideoSource";
}

// Column of the layout's built-in texts: English, Simplified, Traditional Chinese.
int builtInColumn(int index)
{
    switch (index)
    {
    case kLanguageEnglish:
        return 0;
    case kLanguageChinese:
        return 1;
    default:
        return 2;
    }
}

// The built-in texts in GBK, converted once.
const std::vector<std::string>& builtInGbk(int column)
{
    static const auto tables = [] {
        std::array<std::vector<std::string>, 3> t;
        for (int c = 0; c < 3; ++c)
            for (const LanguageKey& k : kLayout)
                t[c].push_back(kwz::utf8ToGbk(k.builtIn[c]));
        return t;
    }();
    return tables[column];
}

void copyText(std::array<char, kTextBufferSize>& slot, std::string_view text)
{
    slot.fill(0);
    std::memcpy(slot.data(), text.data(), std::min(text.size(), kTextBufferSize - 1));
}

} // namespace

std::span<const LanguageKey> languageLayout()
{
    return kLayout;
}
std::span<const ToolTipCommand> toolTipCommands()
{
    return kToolTipCommands;
}

const char* builtInText(int index, const char* english, const char* simplified,
                        const char* traditional)
{
    const char* const versions[] = {english, simplified, traditional};
    return versions[builtInColumn(index)];
}

const char* languageTextFile(int index)
{
    switch (index)
    {
    case kLanguageChinese:
        return "Language/MTCHS.ini";
    case kLanguageEnglish:
        return "Language/MTENG.ini";
    default:
        return "Language/MTCHT.ini";
    }
}

const char* toolTipFile(int index)
{
    switch (index)
    {
    case kLanguageChinese:
        return "Language/ToolTipCn.ini";
    case kLanguageChineseTraditional:
        return "Language/ToolTipCt.ini";
    default:
        return "Language/ToolTipEn.ini";
    }
}

const char* toolTipSection(int index)
{
    switch (index)
    {
    case kLanguageChinese:
        return "Chinese";
    case kLanguageChineseTraditional:
        return "FantiChinese";
    default:
        return "English";
    }
}

const char* helpFile(int index)
{
    return index == kLanguageChinese ? "Doc/ZN41.chm" : "Doc/ZN42.chm";
}

LanguageTexts::LanguageTexts() = default;

void LanguageTexts::load(const SettingsStore& store, int index)
{
    const int column = builtInColumn(index);
    const auto& defaults = builtInGbk(column);
    for (int i = 0; i < kLanguageSlotCount; ++i)
    {
        const LanguageKey& k = kLayout[i];
        if (std::string_view(k.key) == "SettingsNote" && index != kLanguageEnglish)
            continue;
        char buffer[kTextBufferSize] = {};
        store.getString(k.section, k.key, defaults[i].c_str(), buffer);
        copyText(slots_[i], buffer);
    }
}

void LanguageTexts::save(SettingsStore& store) const
{
    auto write = [&](int i) {
        if (!isReadOnlyKey(kLayout[i].key))
            store.setString(kLayout[i].section, kLayout[i].key, slots_[i].data());
    };
    const int returnSlot = slotOf("DLGBAR_MEASURERULER", "Return");
    const int loadSlot = slotOf("DLGBAR_MEASURERULER", "LoadRuler");
    for (int i = 0; i < kLanguageSlotCount; ++i)
    {
        // The file has always had "LoadRuler" ahead of "Return".
        if (i == returnSlot)
            write(loadSlot);
        else if (i == loadSlot)
            write(returnSlot);
        else
            write(i);
    }
}

void LanguageTexts::clearSection(std::string_view section)
{
    for (int i = 0; i < kLanguageSlotCount; ++i)
        if (section == kLayout[i].section)
            slots_[i].fill(0);
}

int LanguageTexts::slotOf(std::string_view section, std::string_view key) const
{
    for (int i = 0; i < kLanguageSlotCount; ++i)
        if ((section.empty() || section == kLayout[i].section) && key == kLayout[i].key)
            return i;
    return -1;
}

const char* LanguageTexts::text(std::string_view key) const
{
    return text({}, key);
}

const char* LanguageTexts::text(std::string_view section, std::string_view key) const
{
    const int slot = slotOf(section, key);
    return slot < 0 ? "" : slots_[slot].data();
}

void ToolTipTable::load(const std::string& path, const char* section)
{
    entries_.clear();
    for (const ToolTipCommand& command : kToolTipCommands)
    {
        // The table has always grown in blocks of ten entries.
        if (entries_.size() == entries_.capacity())
            entries_.reserve(entries_.size() + 10);
        ToolTipEntry& entry = entries_.emplace_back();
        entry.id = command.id;
        std::strncpy(entry.name, command.name, kTextBufferSize - 1);
        kwz::getProfileString(section, command.name, "", entry.text, kTextBufferSize, path);
    }
}

const char* ToolTipTable::text(int id) const
{
    for (const ToolTipEntry& entry : entries_)
        if (entry.id == id)
            return entry.text;
    return "";
}

void LanguageSession::LoadLanguage(const std::string& programFolder, int index)
{
    index_ = index;
    toolTips_.load(programFolder + toolTipFile(index), toolTipSection(index));
    store_.close();
    texts_.clearSection("TOOL_CLASS");
    store_ = SettingsStore(programFolder + languageTextFile(index));
    texts_.load(store_, index);
}

void LanguageSession::close()
{
    store_.close();
}
