#pragma once
// The ruler definition bar: name, load, save and delete ruler files; the true length and unit
// of the ruler; the unit of the measured values, the precision; hide ruler and descriptors.

#include "app/bars/dialog_bar.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
struct FrameSettings;

class RulerMeasureBar : public DialogBar
{
    Q_OBJECT
  public:
    explicit RulerMeasureBar(const FrameSettings& settings, QWidget* parent = nullptr);

    void setRulerNames(const QStringList& names, int selected);
    // The ruler's own unit list has no micrometre: its index is one less than the unit's.
    void setUnitWords(const QStringList& words, int measureUnit, int rulerUnit);

    QLineEdit* name() const { return name_; }
    QComboBox* rulers() const { return rulers_; }
    QLineEdit* length() const { return length_; }
    QComboBox* rulerUnit() const { return rulerUnit_; }
    QComboBox* measureUnit() const { return measureUnit_; }
    QComboBox* precision() const { return precision_; }
    QCheckBox* hideRuler() const { return hideRuler_; }
    QCheckBox* hideDescriptors() const { return hideDesc_; }

  Q_SIGNALS:
    void loadClicked();
    void saveClicked();
    void deleteClicked();
    void applyClicked();
    void returnClicked();
    void rulerChosen(int index);
    void rulerUnitChosen(int index);
    void measureUnitChosen(int index);
    void precisionChosen(int index);
    void hideRulerToggled(bool on);
    void hideDescriptorsToggled(bool on);

  private:
    QPushButton* button(QWidget* box, int id, const char* section, const char* key,
                        void (RulerMeasureBar::*clicked)());

    QLineEdit* name_;
    QComboBox* rulers_;
    QLineEdit* length_;
    QComboBox* rulerUnit_;
    QComboBox* measureUnit_;
    QComboBox* precision_;
    QCheckBox* hideRuler_;
    QCheckBox* hideDesc_;
};
