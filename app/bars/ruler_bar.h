#pragma once
// The ruler bar: the ruler in use, the unit of the measured values, the precision and the
// descriptors' visibility.

#include "app/bars/dialog_bar.h"

class QCheckBox;
class QLabel;
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

    // The calibration profiles: entry 0 is "none", entry i + 1 the profile names[i].
    void setProfiles(const QStringList& names, int active);
    // The words of the profile row in the program's language.
    void setProfileTexts(const QString& label, const QString& none);
    // The scale the active picture is measured with, as the profile gives it.
    void setScaleText(const QString& text);

    QComboBox* rulers() const { return rulers_; }
    QComboBox* profiles() const { return profiles_; }
    QLabel* scale() const { return scale_; }
    QComboBox* measureUnit() const { return unit_; }
    QComboBox* precision() const { return precision_; }
    QCheckBox* hideDescriptors() const { return hideDesc_; }

  Q_SIGNALS:
    void rulerChosen(int index);
    // -1 for "none", else the profile's position in the names given.
    void profileChosen(int index);
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
    QComboBox* profiles_;
    QLabel* profileLabel_;
    QLabel* scale_;
    QString none_;
};
