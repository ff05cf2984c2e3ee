#pragma once
// The main window's status bar: flat panes in colours of the program's choosing, which
// signal states (area of interest, high quality, recording, replay) at a glance. What the
// panes show is held by a status-pane model that the bar observes; without one handed to it
// the bar keeps its own.

#include <QStatusBar>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

#include "app/shell/status_panes.h"
#include "kwztypes.h"

class QPainter;

struct PaneStyle
{
    COLORREF background;
    COLORREF text;
    uint32_t reserved[2];
    int textShown;
};

class CSPStatusBar : public QStatusBar
{
    Q_OBJECT
  public:
    explicit CSPStatusBar(QWidget* parent = nullptr);

    // The panes to show from now on; the model must outlive the bar or be handed back first.
    void setModel(StatusPanes* model);
    StatusPanes* model() const { return model_; }

    // Sets one pane per identifier, every pane in the initial style; false for no panes.
    bool SetPanes(const unsigned* ids, int count);
    void EnableCustomPaint(int on)
    {
        customPaint_ = on != 0;
        update();
    }
    void SetPaneColours(int pane, COLORREF background, COLORREF text);
    // Also brings back the initial colours.
    void ShowPaneText(int pane, int shown);
    void SetPaneText(int pane, const QString& text);
    // Width in pixels; a stretching pane takes what the others leave.
    void setPaneInfo(int pane, int width, bool stretch = false);

    int paneCount() const { return model_->count(); }
    QRect paneRect(int pane) const;
    QString paneText(int pane) const;
    PaneStyle paneStyle(int pane) const;
    unsigned paneId(int pane) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool validPane(int pane) const { return pane >= 0 && pane < paneCount(); }
    static void drawFitted(QPainter& painter, const QRect& r, const QString& text);
    void modelReset();

    bool customPaint_ = false;
    StatusPanes ownModel_;
    StatusPanes* model_ = &ownModel_;
    std::vector<unsigned> ids_;
    std::vector<std::pair<COLORREF, COLORREF>> colours_; // as last painted, per pane
};
