#pragma once
// The lights bar: the light switches and the 50/60 Hz choice.

#include "app/bars/dialog_bar.h"

class QPushButton;
class QRadioButton;

class LightsBar : public DialogBar
{
    Q_OBJECT
  public:
    // Frequency 1 is 60 Hz, anything else 50 Hz.
    explicit LightsBar(int frequency, QWidget* parent = nullptr);

    QPushButton* innerLight() const { return inner_; }
    QPushButton* outerLight() const { return outer_; }
    QPushButton* bottomLight() const { return bottom_; }
    QPushButton* laserLight() const { return laser_; }
    // Shows the switches' states without announcing them.
    void setSwitches(bool inner, bool outer, bool bottom, bool laser);
    // 0 for 50 Hz, 1 for 60 Hz.
    int frequency() const;
    // Checks the 50 Hz radio exactly for 0 and the 60 Hz radio exactly for 1.
    void setFrequency(int frequency);

  Q_SIGNALS:
    // A light switch by its control identifier.
    void lightToggled(int controlId, bool on);
    void frequencyChosen(int frequency);

  private:
    QPushButton* lightSwitch(QWidget* box, int id, const char* key);

    QPushButton* inner_;
    QPushButton* outer_;
    QPushButton* bottom_;
    QPushButton* laser_;
    QRadioButton* hz50_;
    QRadioButton* hz60_;
};
