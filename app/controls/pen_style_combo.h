#pragma once
// Drop-down picker of a pen colour (16 entries) or line width (1 to 8 pixels), each entry
// drawn as what it picks.

#include <QComboBox>

#include "kwztypes.h"

class CPenStyleCombo : public QComboBox
{
    Q_OBJECT
  public:
    enum Mode
    {
        ColourMode = 0,
        WidthMode = 1,
    };
    static constexpr int kColourCount = 16;
    static constexpr int kWidthCount = 8;

    CPenStyleCombo(int mode, QWidget* parent = nullptr);

    int mode() const { return mode_; }
    bool filled() const { return filled_; }
    // Black, or 2 pixels, when nothing is selected.
    COLORREF GetSelectedColour() const;
    int GetSelectedWidth() const;
    // A colour not in the table selects entry 0.
    void SelectColour(COLORREF colour);
    // Index of the entry, or -1 with the selection kept when no entry has that width.
    int SelectWidth(int width);

    static COLORREF colourAt(int index);
    static int widthAt(int index);
    // Draws one entry as the list and the closed box show it.
    void drawEntry(QPainter& painter, const QRect& rect, int index, bool focus) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int mode_;
    bool filled_ = false;
};
