#pragma once
// The three menu bars of the main frame (no document, live work, image work) and the language
// texts on them.

#include <array>
#include <vector>

class CommandRouter;
class LanguageTexts;
class QMenu;
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

  private:
    QMenu* addMenu(MenuKind kind, const char* title);
    void applyHelpTexts(MenuKind kind, int position, const LanguageTexts& texts);
    void setItemTexts(MenuKind kind, const LanguageTexts& texts, const char* section,
                      const char* const* tops, int topCount,
                      std::initializer_list<std::pair<int, const char*>> items);

    QWidget* owner_;
    CommandRouter& commands_;
    QObject* letters_; // keeps the letters of open menus with them; owned by `owner`
    std::array<std::vector<QMenu*>, 3> menus_;
    MenuKind shown_ = MenuKind::Main;
};
