#pragma once
// The main window's status bar: flat panes in colours of the program's choosing, which
// signal states (area of interest, high quality, recording, replay) at a glance.

#include <QStatusBar>
#include <QString>
#include <cstdint>
#include <vector>

#include "kwztypes.h"

class QPainter;

struct PaneStyle
{
    COLORREF background;
    COLORREF text;
    uint32_t reserved[2];
    int textShown;
};

inline constexpr COLORREF kPaneInactiveBackground = RGB(200, 200, 200);
inline constexpr COLORREF kPaneInactiveText = RGB(100, 100, 100);

class CSPStatusBar : public QStatusBar
{
    Q_OBJECT
  public:
    explicit CSPStatusBar(QWidget* parent = nullptr);

    // Sets one pane per identifier, every pane in the initial style; false for no panes.
    bool SetPanes(const unsigned* ids, int count);
    void EnableCustomPaint(int on)
    {
        customPaint_ = on;
        update();
    }
    void SetPaneColours(int pane, COLORREF background, COLORREF text);
    // Also brings back the initial colours.
    void ShowPaneText(int pane, int shown);
    void SetPaneText(int pane, const QString& text);
    // Width in pixels; a stretching pane takes what the others leave.
    void SetPaneInfo(int pane, int width, bool stretch = false);

    int paneCount() const { return static_cast<int>(panes_.size()); }
    QRect paneRect(int pane) const;
    QString paneText(int pane) const;
    PaneStyle paneStyle(int pane) const;
    unsigned paneId(int pane) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Pane
    {
        unsigned id = 0;
        int width = 0;
        bool stretch = false;
        QString text;
    };
    bool validPane(int pane) const { return pane >= 0 && pane < paneCount(); }
    static void drawFitted(QPainter& painter, const QRect& r, const QString& text);

    int customPaint_ = 0;
    std::vector<Pane> panes_;
    std::vector<PaneStyle> styles_;
};
