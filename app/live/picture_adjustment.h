#pragma once
// Picture adjustment and lights: what the colour, video-setting and lights bars do. Each value
// is stored in the settings and sent to the camera when its handler runs: when the user moves
// a slider, and when a bar's sliders are drawn anew in live work (the bar is shown, or the
// white balance moved them). Nothing acts unless the live window is the active window.
//
// The white-balance completion comes on the camera's thread; it only posts an event, and the
// bars and the capture description change on the interface thread.

#include <QObject>
#include <functional>

#include "app/bars/colour_bar.h"
#include "zcapapi.h"

class CameraSession;
class LightsBar;
class VideoSettingBar;
struct FrameSettings;

class PictureAdjustment : public QObject
{
    Q_OBJECT
  public:
    // The camera calls the handlers make; tests record them instead.
    struct CameraCalls
    {
        int (*setCapInfo)(ZCAPHANDLE, const ZCAPINFO*);
        int (*setGamma)(ZCAPHANDLE, float, int);
        int (*enableColorOffset)(ZCAPHANDLE, int, int, int, int);
        int (*setDoAWB)(ZCAPHANDLE, int, int, ZCAPAWBPROC, void*);
        int (*setLights)(ZCAPHANDLE, unsigned) = &ZcapSetLights;
    };

    // `liveActive` says whether the live window is the active window.
    PictureAdjustment(FrameSettings& settings, CameraSession& camera, ColourBar& colour,
                      VideoSettingBar& videoSetting, LightsBar& lights,
                      std::function<bool()> liveActive, QObject* parent = nullptr);
    // Cancels a white balance still running: its completion must find nobody.
    ~PictureAdjustment() override;

    // Before the live picture starts: the capture description, gamma and colour offsets take
    // what the bars show, so that showing a bar later changes nothing on the picture.
    void startCameraWithBarValues();
    // The slider handlers: position to the stored value, the number, the camera.
    void onColourSlider(ColourBar::Slider row);
    void onExposureSlider();
    // Rows 1 to 5 back to 30, 30, 30, gamma 1.00 and red offset 30.
    void onDefault();
    void onWhiteBalance();
    // On the interface thread, with the packed gains and half exposure of the camera.
    void onWhiteBalanceDone(uint32_t packed);
    void onVerticalFlip();
    void onHorizontalFlip();
    void onFrequency(int frequency);
    // A light switch by its control identifier: stored, and sent to the camera whenever one
    // is open (lamps are no part of the picture settings that wait for the live window).
    void onLight(int controlId, bool on);
    // The ZCAP_LIGHT_* bits of the stored switches.
    unsigned storedLights() const;
    // The exposure keys: the slider takes the value within its range, and its handler stores
    // and sends that. False while the slider has no range (no camera).
    bool setExposureSlider(int exposure);

    int whiteBalanceRunning() const { return whiteBalance_; }
    int verticalFlip() const { return verticalFlip_; }
    int horizontalFlip() const { return horizontalFlip_; }
    void setCameraCalls(const CameraCalls& calls) { calls_ = calls; }
    // The completion routine given to the camera; the context is the PictureAdjustment.
    static void whiteBalanceRoutine(DWORD packed, void* context);

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int& stored(ColourBar::Slider row);
    // The sliders of a bar were drawn: their handlers run, as the live window hears of it.
    void colourDrawn();
    void exposureDrawn();

    FrameSettings& settings_;
    CameraSession& camera_;
    ColourBar& colour_;
    VideoSettingBar& videoSetting_;
    LightsBar& lights_;
    std::function<bool()> liveActive_;
    CameraCalls calls_;
    int whiteBalance_ = 0; // set while automatic white balance runs
    int verticalFlip_ = 0;
    int horizontalFlip_ = 0;
};
