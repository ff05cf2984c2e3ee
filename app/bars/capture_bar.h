#pragma once
// The capture bar: where still captures go (name, folder, JPEG, BMP or
// calibrated TIFF) and the timed-capture
// interval and count.

#include <string>

#include "app/bars/dialog_bar.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QString;
struct FrameSettings;

class CaptureBar : public DialogBar
{
    Q_OBJECT
  public:
    explicit CaptureBar(const FrameSettings& settings, QWidget* parent = nullptr);

    // Shows the capture settings: index increase, format, name, folder; interval 1, no limit,
    // count 3.
    void apply(const FrameSettings& settings);
    // Takes the bar's contents into the settings: format, name and index from its trailing
    // digits, folder, interval, limit and count.
    void read(FrameSettings& settings) const;

    QCheckBox* saveToDisk() const { return saveToDisk_; }
    QCheckBox* autoIncrease() const { return autoInc_; }
    QLineEdit* name() const { return name_; }
    QLineEdit* path() const { return path_; }
    QRadioButton* jpeg() const { return jpeg_; }
    QRadioButton* bmp() const { return bmp_; }
    QRadioButton* tiff() const { return tiff_; }
    QCheckBox* overlayInCaptures() const { return overlay_; }
    // The live overlay switch for captures mirrors a command, so it is set from outside too.
    void showOverlayInCaptures(bool on);
    void setOverlayText(const QString& text);
    QLineEdit* interval() const { return interval_; }
    QCheckBox* limit() const { return limit_; }
    QLineEdit* count() const { return count_; }

  Q_SIGNALS:
    void browseClicked();
    void openFolderClicked();
    // The user clicked the limit box (not when the bar is filled).
    void limitToggled(bool on);
    // The user clicked the overlay-in-captures box.
    void overlayInCapturesClicked(bool on);

  private:
    QCheckBox* saveToDisk_;
    QCheckBox* autoInc_;
    QLineEdit* name_;
    QLineEdit* path_;
    QPushButton* browse_;
    QPushButton* openFolder_;
    QRadioButton* jpeg_;
    QRadioButton* bmp_;
    QRadioButton* tiff_;
    QCheckBox* overlay_;
    QLineEdit* interval_;
    QCheckBox* limit_;
    QLineEdit* count_;
};

// Cuts the run of digits at the end of a name off and returns it as a number (saturated at
// the largest int), 0 when there is none: "Sample12" becomes "Sample" and 12.
int takeTrailingNumber(std::string& name);
// The decimal number at the start of a text as the C library's atoi reads it (blanks, a sign,
// digits; saturated at the ends of int); 0 when there is none.
int decimalValue(const QString& text);
