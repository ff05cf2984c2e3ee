#pragma once
// The video-setting bar: exposure, automatic white balance and the flips.

#include "app/bars/dialog_bar.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
struct FrameSettings;

class VideoSettingBar : public DialogBar
{
    Q_OBJECT
  public:
    // The exposure slider gets its range and value only with a camera.
    VideoSettingBar(const FrameSettings& settings, bool cameraOpen, QWidget* parent = nullptr);

    QSlider* exposure() const { return exposure_; }
    QLabel* exposureNumber() const { return number_; }
    QPushButton* whiteBalance() const { return whiteBalance_; }
    QCheckBox* verticalFlip() const { return flip_; }
    QCheckBox* horizontalFlip() const { return mirror_; }

  Q_SIGNALS:
    void exposureChanged(int value);
    void whiteBalanceClicked();
    void verticalFlipToggled(bool on);
    void horizontalFlipToggled(bool on);

  private:
    QSlider* exposure_;
    QLabel* number_;
    QPushButton* whiteBalance_;
    QCheckBox* flip_;
    QCheckBox* mirror_;
};
