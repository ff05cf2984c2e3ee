#pragma once
// The three menu bars of the main frame (no document, live work, image work) and the language
// texts on them.

#include <QStringList>
#include <array>
#include <functional>
#include <vector>

class CommandRouter;
class LanguageTexts;
class QMenu;
class QMdiArea;
class QMenuBar;
class QObject;
class QWidget;

enum class MenuKind
{
    Main,
    Video,
    Image
};

class FrameMenus
{
  public:
    // Builds all three; their items trigger the router's commands.
    FrameMenus(QWidget* owner, CommandRouter& commands);

    // A top-level menu by its position, or null.
    QMenu* menu(MenuKind kind, int position) const;
    MenuKind shown() const { return shown_; }
    void show(MenuKind kind, QMenuBar* bar);

    // Top-level menus by position, items by command identifier; missing items are skipped.
    void applyMainTexts(const LanguageTexts& texts);
    // The index chooses the text of the one item without a key (0, 1, others as 2).
    void applyVideoTexts(const LanguageTexts& texts, int languageIndex);
    void applyImageTexts(const LanguageTexts& texts);
    // The language of the texts that come with the program rather than from the text files.
    void setLanguageIndex(int index) { languageIndex_ = index; }
    // The Window menus list the windows of `area` each time they open.
    void setWindowArea(QMdiArea* area) { area_ = area; }
    // The "Latest Files" submenus list `list()` each time their menu opens (greyed when it is
    // empty); choosing one hands its path to `open`.
    void setRecentFiles(std::function<QStringList()> list,
                        std::function<void(const QString&)> open);
    QMenu* recentMenu(MenuKind kind) const { return recent_[static_cast<int>(kind)]; }

  private:
    QMenu* addMenu(MenuKind kind, const char* title);
    void applyHelpTexts(MenuKind kind, int position, const LanguageTexts& texts);
    // Import Picture and Export CSV, which no language file names.
    void applyExtraFileTexts(MenuKind kind);
    // Next window, then one checkable item per window, the active one checked, below the
    // fixed items.
    void fillWindowList(QMenu* menu);
    void addRecentMenu(MenuKind kind, QMenu* parent);
    void fillRecentMenu(QMenu* menu);
    void applyRecentTitles(MenuKind kind, const LanguageTexts& texts);
    void setItemTexts(MenuKind kind, const LanguageTexts& texts, const char* section,
                      const char* const* tops, int topCount,
                      std::initializer_list<std::pair<int, const char*>> items);

    QWidget* owner_;
    CommandRouter& commands_;
    QObject* letters_; // keeps the letters of open menus with them; owned by `owner`
    std::array<std::vector<QMenu*>, 3> menus_;
    MenuKind shown_ = MenuKind::Main;
    QMdiArea* area_ = nullptr;
    std::array<QMenu*, 3> recent_{};
    std::function<QStringList()> recentList_;
    std::function<void(const QString&)> recentOpen_;
    int languageIndex_ = 0;
};
