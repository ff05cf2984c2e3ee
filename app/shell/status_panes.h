#pragma once
// The panes of the main window's status bar: what each shows (text, colours, width), held
// without a widget. Windows write to it; the status bar observes it and paints.

#include <QObject>
#include <QString>
#include <vector>

#include "kwztypes.h"

enum StatusPane : int
{
    kPanePrompt,      // stretches: menu prompts and tool-tip texts
    kPanePictureSize, // 150 pixels
    kPanePointer,     // 100: "X: 0  Y: 0"
    kPaneFrameRate,   // 130: frame rate, or the window's name
    kPaneAoi,         // 50
    kPaneHighQuality, // 120
    kPaneRecording,   // 120
    kPaneReplay,      // 80: "Replaying", or the image tool's name
    kPaneCount
};

// The background of a highlighted pane; its text is red or black.
inline constexpr COLORREF kPaneHighlight = RGB(253, 185, 36);
inline constexpr COLORREF kPaneInactiveBackground = RGB(200, 200, 200);
inline constexpr COLORREF kPaneInactiveText = RGB(100, 100, 100);

// The resting text of a mode pane (kPaneAoi to kPaneReplay) in the interface language; only
// Simplified Chinese has words of its own for them.
QString modePaneText(int languageIndex, int pane);

class StatusPanes : public QObject
{
    Q_OBJECT
  public:
    struct Pane
    {
        QString text;
        COLORREF background = kPaneInactiveBackground;
        COLORREF textColour = kPaneInactiveText;
        bool textShown = true;
        int width = 0;
        bool stretch = false; // takes what the fixed panes leave
    };

    explicit StatusPanes(QObject* parent = nullptr);

    // Every pane back to an empty text in the inactive colours; announced as a reset.
    void setCount(int count);
    int count() const { return static_cast<int>(panes_.size()); }
    // A pane out of range reads as an empty one and ignores writes.
    const Pane& pane(int index) const;
    QString text(int index) const { return pane(index).text; }

    void setPaneText(int index, const QString& text);
    void setPaneColours(int index, COLORREF background, COLORREF text);
    // Width in pixels; a stretching pane takes the room the others leave.
    void setPaneWidth(int index, int width, bool stretch = false);
    // Also brings back the inactive colours.
    void setTextShown(int index, bool shown);

  Q_SIGNALS:
    // A pane's text, colours or width changed; not sent for writes that change nothing.
    void paneChanged(int index);
    // The number of panes changed and every pane is new.
    void panesReset();

  private:
    bool valid(int index) const { return index >= 0 && index < count(); }
    void replace(int index, const Pane& pane);

    std::vector<Pane> panes_;
};
