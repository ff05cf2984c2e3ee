#pragma once
// The text bar: the font, its size, and the colours of finished labels and of the label being
// drawn.

#include "app/bars/dialog_bar.h"

class CFontCombo;
class CPenStyleCombo;
struct FrameSettings;

class TextBar : public DialogBar
{
    Q_OBJECT
  public:
    explicit TextBar(const FrameSettings& settings, QWidget* parent = nullptr);

    // The sizes offered, in points.
    static QStringList sizeItems();

    CFontCombo* font() const { return font_; }
    QComboBox* size() const { return size_; }
    CPenStyleCombo* normalColour() const { return normal_; }
    CPenStyleCombo* tempColour() const { return temp_; }

  Q_SIGNALS:
    void fontChosen(int index);
    void sizeChosen(int index);
    void normalColourChosen(int index);
    void tempColourChosen(int index);

  private:
    CFontCombo* font_;
    QComboBox* size_;
    CPenStyleCombo* normal_;
    CPenStyleCombo* temp_;
};
