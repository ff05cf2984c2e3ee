#pragma once
// The capture bar: where still captures go (name, folder, JPEG or BMP) and the timed-capture
// interval and count.

#include "app/bars/dialog_bar.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct FrameSettings;

class CaptureBar : public DialogBar
{
    Q_OBJECT
  public:
    explicit CaptureBar(const FrameSettings& settings, QWidget* parent = nullptr);

    // Shows the capture settings: index increase, format, name, folder; interval 1, no limit,
    // count 3.
    void apply(const FrameSettings& settings);

    QCheckBox* saveToDisk() const { return saveToDisk_; }
    QCheckBox* autoIncrease() const { return autoInc_; }
    QLineEdit* name() const { return name_; }
    QLineEdit* path() const { return path_; }
    QRadioButton* jpeg() const { return jpeg_; }
    QRadioButton* bmp() const { return bmp_; }
    QLineEdit* interval() const { return interval_; }
    QCheckBox* limit() const { return limit_; }
    QLineEdit* count() const { return count_; }

  Q_SIGNALS:
    void browseClicked();
    void openFolderClicked();
    void limitToggled(bool on);

  private:
    QCheckBox* saveToDisk_;
    QCheckBox* autoInc_;
    QLineEdit* name_;
    QLineEdit* path_;
    QPushButton* browse_;
    QPushButton* openFolder_;
    QRadioButton* jpeg_;
    QRadioButton* bmp_;
    QLineEdit* interval_;
    QCheckBox* limit_;
    QLineEdit* count_;
};
