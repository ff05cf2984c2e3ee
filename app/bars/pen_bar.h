#pragma once
// The pen bar: the colours of finished figures and of the figure being drawn, and the width.

#include "app/bars/dialog_bar.h"

class CPenStyleCombo;
struct FrameSettings;

class PenBar : public DialogBar
{
    Q_OBJECT
  public:
    explicit PenBar(const FrameSettings& settings, QWidget* parent = nullptr);

    CPenStyleCombo* normalColour() const { return normal_; }
    CPenStyleCombo* tempColour() const { return temp_; }
    CPenStyleCombo* width() const { return width_; }

  Q_SIGNALS:
    void normalColourChosen(int index);
    void tempColourChosen(int index);
    void widthChosen(int index);

  private:
    CPenStyleCombo* picker(QWidget* box, int id, int mode, int index, const char* key, int column);

    CPenStyleCombo* normal_;
    CPenStyleCombo* temp_;
    CPenStyleCombo* width_;
};
