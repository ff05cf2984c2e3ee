#pragma once
// The manual in a window of the program's own, for machines where no desktop handler opens
// it: a text browser with Back, Forward and Home.

#include <QMainWindow>

class QAction;
class QTextBrowser;

class HelpWindow : public QMainWindow
{
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Loads the page (and makes it Home) unless it is the one shown, then shows the window
    // in front.
    void showPage(const QString& path);
    // Texts of the buttons and the caption in the language index.
    void applyTexts(int languageIndex);
    QTextBrowser* browser() const { return browser_; }
    QAction* backAction() const { return back_; }
    QAction* forwardAction() const { return forward_; }
    QAction* homeAction() const { return home_; }

  private:
    QTextBrowser* browser_;
    QAction* back_;
    QAction* forward_;
    QAction* home_;
};
