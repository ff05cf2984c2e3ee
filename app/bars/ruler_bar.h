#pragma once
// The ruler bar: the ruler in use, the unit of the measured values, the precision and the
// descriptors' visibility.

#include "app/bars/dialog_bar.h"

class QCheckBox;
class QPushButton;
struct FrameSettings;

// The precisions offered: 0 to 6 digits.
QStringList precisionItems();

class RulerBar : public DialogBar
{
    Q_OBJECT
  public:
    explicit RulerBar(const FrameSettings& settings, QWidget* parent = nullptr);

    void setRulerNames(const QStringList& names, int selected);
    void setUnitWords(const QStringList& words, int selected);

    QComboBox* rulers() const { return rulers_; }
    QComboBox* measureUnit() const { return unit_; }
    QComboBox* precision() const { return precision_; }
    QCheckBox* hideDescriptors() const { return hideDesc_; }

  Q_SIGNALS:
    void rulerChosen(int index);
    void measureUnitChosen(int index);
    void precisionChosen(int index);
    void hideDescriptorsToggled(bool on);
    void defineClicked();

  private:
    QComboBox* rulers_;
    QComboBox* unit_;
    QComboBox* precision_;
    QCheckBox* hideDesc_;
    QPushButton* define_;
};
