#include "app/live/picture_adjustment.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <mutex>
#include <set>

#include "app/bars/lights_bar.h"
#include "app/bars/video_setting_bar.h"
#include "app/live/camera_session.h"
#include "app/shell/command_ids.h"
#include "app/shell/events.h"
#include "app/shell/settings.h"

namespace {

// The adjustments alive now. The camera's completion posts only to one of them, under the
// lock, so one being destroyed is never posted to.
std::mutex& adjustmentsMutex()
{
    static std::mutex mutex;
    return mutex;
}
std::set<const void*>& liveAdjustments()
{
    static std::set<const void*> set;
    return set;
}

constexpr int kBalanceFrames = 180;

} // namespace

PictureAdjustment::PictureAdjustment(FrameSettings& settings, CameraSession& camera,
                                     ColourBar& colour, VideoSettingBar& videoSetting,
                                     LightsBar& lights, std::function<bool()> liveActive,
                                     QObject* parent)
    : QObject(parent), settings_(settings), camera_(camera), colour_(colour),
      videoSetting_(videoSetting), lights_(lights),
      liveActive_(std::move(liveActive)), calls_{&ZcapSetCapInfo, &ZcapSetGammaValue,
                                                 &ZcapEnableColorOffset, &ZcapSetDoAWB}
{
    {
        std::lock_guard lock(adjustmentsMutex());
        liveAdjustments().insert(this);
    }
    auto whenLive = [this](auto handler) {
        return [this, handler](auto&&...) {
            if (liveActive_())
                handler();
        };
    };
    connect(&colour_, &ColourBar::sliderChanged, this, [this](ColourBar::Slider row, int) {
        if (liveActive_())
            onColourSlider(row);
    });
    // Releasing these sliders runs a handler again, as the bar has always done.
    connect(colour_.slider(ColourBar::BlueGain), &QSlider::sliderReleased, this,
            whenLive([this] { onColourSlider(ColourBar::BlueGain); }));
    for (ColourBar::Slider offset :
         {ColourBar::RedOffset, ColourBar::GreenOffset, ColourBar::BlueOffset})
        connect(colour_.slider(offset), &QSlider::sliderReleased, this,
                whenLive([this] { onColourSlider(ColourBar::RedOffset); }));
    connect(&colour_, &ColourBar::defaultClicked, this, whenLive([this] { onDefault(); }));
    connect(&videoSetting_, &VideoSettingBar::exposureChanged, this,
            whenLive([this] { onExposureSlider(); }));
    connect(&videoSetting_, &VideoSettingBar::whiteBalanceClicked, this,
            whenLive([this] { onWhiteBalance(); }));
    connect(&videoSetting_, &VideoSettingBar::verticalFlipToggled, this,
            [this] { onVerticalFlip(); });
    connect(&videoSetting_, &VideoSettingBar::horizontalFlipToggled, this,
            [this] { onHorizontalFlip(); });
    connect(&lights_, &LightsBar::frequencyChosen, this, [this](int f) { onFrequency(f); });
    lights_.setSwitches(settings_.lightInner != 0, settings_.lightOuter != 0,
                        settings_.backLight != 0, settings_.lightLaser != 0);
    connect(&lights_, &LightsBar::lightToggled, this, [this](int id, bool on) { onLight(id, on); });
    colour_.installEventFilter(this);
    videoSetting_.installEventFilter(this);
}

PictureAdjustment::~PictureAdjustment()
{
    {
        std::lock_guard lock(adjustmentsMutex());
        liveAdjustments().erase(this);
    }
    if (whiteBalance_ && camera_.device() != 0)
        calls_.setDoAWB(camera_.device(), 0, kBalanceFrames, nullptr, nullptr);
}

int& PictureAdjustment::stored(ColourBar::Slider row)
{
    switch (row)
    {
    case ColourBar::RedGain:
        return settings_.redGain;
    case ColourBar::GreenGain:
        return settings_.greenGain;
    case ColourBar::BlueGain:
        return settings_.blueGain;
    case ColourBar::Gamma:
        return settings_.gamma;
    case ColourBar::RedOffset:
        return settings_.redOffset;
    case ColourBar::GreenOffset:
        return settings_.greenOffset;
    case ColourBar::BlueOffset:
    case ColourBar::SliderCount:
        break;
    }
    return settings_.blueOffset;
}

void PictureAdjustment::startCameraWithBarValues()
{
    const ZCAPHANDLE device = camera_.device();
    if (device == 0)
        return;
    ZCAPINFO& info = camera_.captureInfo();
    const QSlider* exposure = videoSetting_.exposure();
    info.dwExposure = static_cast<DWORD>(
        exposure->maximum() > exposure->minimum() ? exposure->value() : settings_.exposure);
    info.byRedGain = static_cast<BYTE>(colour_.slider(ColourBar::RedGain)->value() & 0xFF);
    info.byGreenGain = static_cast<BYTE>(colour_.slider(ColourBar::GreenGain)->value() & 0xFF);
    info.byBlueGain = static_cast<BYTE>(colour_.slider(ColourBar::BlueGain)->value() & 0xFF);
    calls_.setGamma(device, static_cast<float>(colour_.slider(ColourBar::Gamma)->value() * 0.01),
                    1);
    calls_.enableColorOffset(device, colour_.slider(ColourBar::RedOffset)->value(),
                             colour_.slider(ColourBar::GreenOffset)->value(),
                             colour_.slider(ColourBar::BlueOffset)->value(), 1);
    calls_.setLights(device, storedLights());
}

unsigned PictureAdjustment::storedLights() const
{
    return (settings_.lightInner ? ZCAP_LIGHT_TOP_INNER : 0u) |
           (settings_.lightOuter ? ZCAP_LIGHT_TOP_OUTER : 0u) |
           (settings_.backLight ? ZCAP_LIGHT_BOTTOM : 0u) |
           (settings_.lightLaser ? ZCAP_LIGHT_LASER : 0u);
}

void PictureAdjustment::onLight(int controlId, bool on)
{
    switch (controlId)
    {
    case cmd::IDC_LIGHT_INNER:
        settings_.lightInner = on ? 1 : 0;
        break;
    case cmd::IDC_LIGHT_OUTER:
        settings_.lightOuter = on ? 1 : 0;
        break;
    case cmd::IDC_LIGHT_BOTTOM:
        settings_.backLight = on ? 1 : 0;
        break;
    case cmd::IDC_LIGHT_LASER:
        settings_.lightLaser = on ? 1 : 0;
        break;
    default:
        return;
    }
    if (camera_.device() != 0)
        calls_.setLights(camera_.device(), storedLights());
}

void PictureAdjustment::onColourSlider(ColourBar::Slider row)
{
    const ZCAPHANDLE device = camera_.device();
    if (device == 0)
        return;
    const int value = colour_.slider(row)->value();
    stored(row) = value;
    colour_.number(row)->setText(row == ColourBar::Gamma ? QString::asprintf("%.2f", value * 0.01)
                                                         : QString::asprintf("%d", value));
    ZCAPINFO& info = camera_.captureInfo();
    switch (row)
    {
    case ColourBar::RedGain:
        info.byRedGain = static_cast<BYTE>(value & 0xFF);
        calls_.setCapInfo(device, &info);
        break;
    case ColourBar::GreenGain:
        info.byGreenGain = static_cast<BYTE>(value & 0xFF);
        calls_.setCapInfo(device, &info);
        break;
    case ColourBar::BlueGain:
        info.byBlueGain = static_cast<BYTE>(value & 0xFF);
        calls_.setCapInfo(device, &info);
        break;
    case ColourBar::Gamma:
        calls_.setGamma(device, static_cast<float>(value * 0.01), 1);
        break;
    default:
        calls_.enableColorOffset(device, settings_.redOffset, settings_.greenOffset,
                                 settings_.blueOffset, 1);
        break;
    }
}

void PictureAdjustment::onDefault()
{
    constexpr std::pair<ColourBar::Slider, int> kDefaults[] = {{ColourBar::RedGain, 30},
                                                               {ColourBar::GreenGain, 30},
                                                               {ColourBar::BlueGain, 30},
                                                               {ColourBar::Gamma, 100},
                                                               {ColourBar::RedOffset, 30}};
    for (auto [row, value] : kDefaults)
    {
        const QSignalBlocker quiet(colour_.slider(row));
        colour_.slider(row)->setValue(value);
    }
    for (auto [row, value] : kDefaults)
        onColourSlider(row);
}

void PictureAdjustment::onExposureSlider()
{
    const ZCAPHANDLE device = camera_.device();
    if (device == 0)
        return;
    const int exposure = videoSetting_.exposure()->value();
    settings_.exposure = exposure;
    videoSetting_.exposureNumber()->setText(QString::asprintf("%d", exposure));
    camera_.captureInfo().dwExposure = static_cast<DWORD>(exposure);
    calls_.setCapInfo(device, &camera_.captureInfo());
}

bool PictureAdjustment::setExposureSlider(int exposure)
{
    QSlider* slider = videoSetting_.exposure();
    if (slider->maximum() <= slider->minimum())
        return false;
    {
        const QSignalBlocker quiet(slider);
        slider->setValue(exposure);
    }
    videoSetting_.exposureNumber()->setText(QString::asprintf("%d", slider->value()));
    onExposureSlider();
    return true;
}

void PictureAdjustment::onWhiteBalance()
{
    QPushButton* button = videoSetting_.whiteBalance();
    button->setCheckable(true);
    button->setChecked(true);
    const ZCAPHANDLE device = camera_.device();
    if (device == 0)
        return;
    whiteBalance_ = !whiteBalance_;
    const int result =
        calls_.setDoAWB(device, whiteBalance_, kBalanceFrames, &whiteBalanceRoutine, this);
    // A balance cancelled, or one that never started, sends no completion to release the
    // button; it is released here instead.
    if (!whiteBalance_ || result != ZCAP_OK)
    {
        whiteBalance_ = 0;
        button->setChecked(false);
    }
}

void PictureAdjustment::whiteBalanceRoutine(DWORD packed, void* context)
{
    std::lock_guard lock(adjustmentsMutex());
    if (liveAdjustments().count(context) != 0)
        QCoreApplication::postEvent(static_cast<PictureAdjustment*>(context),
                                    new ValueEvent(events::whiteBalanceDone(), packed));
}

bool PictureAdjustment::event(QEvent* event)
{
    if (event->type() != events::whiteBalanceDone())
        return QObject::event(event);
    onWhiteBalanceDone(static_cast<ValueEvent*>(event)->value());
    return true;
}

void PictureAdjustment::onWhiteBalanceDone(uint32_t packed)
{
    // A balance cancelled meanwhile has nothing more to say.
    if (!whiteBalance_)
        return;
    ZCAPINFO& info = camera_.captureInfo();
    info.byRedGain = static_cast<BYTE>(packed & 0xFF);
    info.byGreenGain = static_cast<BYTE>((packed >> 8) & 0xFF);
    info.byBlueGain = static_cast<BYTE>((packed >> 16) & 0xFF);
    info.dwExposure = ((packed >> 24) & 0xFF) * 2;
    const std::pair<QSlider*, int> positions[] = {
        {colour_.slider(ColourBar::RedGain), info.byRedGain},
        {colour_.slider(ColourBar::GreenGain), info.byGreenGain},
        {colour_.slider(ColourBar::BlueGain), info.byBlueGain},
        {videoSetting_.exposure(), static_cast<int>(info.dwExposure)}};
    for (auto [slider, value] : positions)
    {
        const QSignalBlocker quiet(slider);
        slider->setValue(value);
    }
    if (camera_.device() != 0)
        calls_.setCapInfo(camera_.device(), &info);
    videoSetting_.whiteBalance()->setChecked(false);
    whiteBalance_ = 0;
    // The sliders are drawn at their new positions; the stored values and numbers follow.
    QMetaObject::invokeMethod(
        this,
        [this] {
            colourDrawn();
            exposureDrawn();
        },
        Qt::QueuedConnection);
}

void PictureAdjustment::onVerticalFlip()
{
    if (camera_.device() != 0)
        verticalFlip_ = !verticalFlip_;
}

void PictureAdjustment::onHorizontalFlip()
{
    if (camera_.device() != 0)
        horizontalFlip_ = !horizontalFlip_;
}

void PictureAdjustment::onFrequency(int frequency)
{
    if (liveActive_() && settings_.frequency != frequency)
        settings_.frequency = frequency;
    // The radios always show the stored choice, also after a click that changed nothing.
    lights_.setFrequency(settings_.frequency);
}

void PictureAdjustment::colourDrawn()
{
    // A hidden bar draws nothing.
    if (!colour_.isVisible() || !liveActive_())
        return;
    for (int row = 0; row < ColourBar::SliderCount; ++row)
        onColourSlider(static_cast<ColourBar::Slider>(row));
}

void PictureAdjustment::exposureDrawn()
{
    if (videoSetting_.isVisible() && liveActive_())
        onExposureSlider();
}

bool PictureAdjustment::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show)
    {
        // After the showing is through, when the live window is surely the active one.
        if (watched == &colour_)
            QMetaObject::invokeMethod(
                this, [this] { colourDrawn(); }, Qt::QueuedConnection);
        else if (watched == &videoSetting_)
            QMetaObject::invokeMethod(
                this, [this] { exposureDrawn(); }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
