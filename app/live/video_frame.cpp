#include "app/live/video_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QScrollBar>
#include <QTimerEvent>

#include "app/bars/capture_bar.h"
#include "app/calibration/calibration_profiles.h"
#include "app/live/live_bars.h"
#include "app/live/overlay_dialog.h"
#include "app/live/video_doc.h"
#include "app/live/video_view.h"
#include "app/shell/command_ids.h"
#include "app/shell/gbk_text.h"
#include "app/shell/language.h"
#include "app/shell/picture_sizes.h"
#include "app/shell/settings.h"
#include "app/shell/status_panes.h"
#include "app/shell/ui_text.h"
#include "platform/message_box.h"
#include "support/values/figure_table.h"

using namespace cmd;

namespace {

uint64_t packSize(int width, int height)
{
    return uint64_t{static_cast<uint32_t>(width)} << 32 | static_cast<uint32_t>(height);
}

class CommandEvent : public QEvent
{
  public:
    explicit CommandEvent(int id) : QEvent(CVideoFrame::commandEvent()), id_(id) {}
    int id() const { return id_; }

  private:
    int id_;
};

// A bottom-up blue-green-red picture as the screen shows it.
QImage screenImage(const std::vector<BYTE>& bgr, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
    {
        const BYTE* s = bgr.data() + static_cast<size_t>(height - 1 - y) * width * 3;
        auto* d = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, s += 3)
            d[x] = 0xFF000000u | uint32_t{s[2]} << 16 | uint32_t{s[1]} << 8 | s[0];
    }
    return image;
}

} // namespace

QEvent::Type CVideoFrame::commandEvent()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

CVideoFrame::CVideoFrame(CVideoDoc& document, LiveServices& services, CameraSession& session,
                         QWidget* parent)
    : QMdiSubWindow(parent), document_(document), services_(services), session_(session),
      livePanes_(live_, services.panes, services.languages), pictureSize_(packSize(1280, 1024)),
      capture_(std::make_unique<LiveCapture>(live_, services, session))
{
    connect(capture_.get(), &LiveCapture::stateChanged, this, &CVideoFrame::stateChanged);
    connect(capture_.get(), &LiveCapture::commandWanted, this, &CVideoFrame::onCommand);
    // Queued, so it runs once the command is through; dropped when either object goes.
    connect(capture_.get(), &LiveCapture::livePanesWanted, this, &CVideoFrame::onSetFocus,
            Qt::QueuedConnection);
    if (CalibrationProfiles* calibration = services.calibration)
        connect(&live_, &LiveSession::pictureSizeChanged, calibration,
                &CalibrationProfiles::setLiveSize);
    view_ = new CVideoView(&document);
    view_->setSession(&live_, &session_, &services_);
    // The overlay's marks and the drawn line's length follow the live scale.
    if (services_.calibration != nullptr)
        connect(services_.calibration, &CalibrationProfiles::liveScaleChanged, view_->viewport(),
                qOverload<>(&QWidget::update));
    connect(view_, &CVideoView::placed, this, [this](QSize shown) {
        panes().setPaneText(kPanePictureSize, sizeText(shown.width(), shown.height()));
    });
    connect(view_, &CVideoView::exposureStepRequested, this, &CVideoFrame::changeExposure);
    connect(view_, &CVideoView::pointerMoved, this, [this](QPoint p, bool onPicture) {
        panes().setPaneText(kPanePointer, onPicture
                                              ? QString::asprintf("X: %d  Y: %d  ", p.x(), p.y())
                                              : QString());
    });
    connect(view_, &CVideoView::focusGained, this, &CVideoFrame::onSetFocus);
    setWidget(view_);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(document.title());
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates before, Qt::WindowStates now) {
                if (!(before & Qt::WindowActive) && (now & Qt::WindowActive))
                    onActivate();
            });
    view_->onInitialUpdate();
}

CVideoFrame::~CVideoFrame()
{
    // The capture thread must be done with the view's surface and with this frame before
    // either goes; both calls return only when the camera no longer touches them.
    if (live_.started())
        ZcapStopView(viewDevice_);
}

bool CVideoFrame::pictureSize(int index, int& width, int& height)
{
    const PictureSize* size = pictureSizeAt(index);
    if (size == nullptr)
        return false;
    width = size->width;
    height = size->height;
    return true;
}

int CVideoFrame::sizeIndexOfButton(int controlId)
{
    for (int i = 0; i < static_cast<int>(std::size(kPictureSizes)); ++i)
        if (kPictureSizes[i].controlId == controlId)
            return i;
    return -1;
}

QString CVideoFrame::sizeText(int width, int height) const
{
    return QString::asprintf(builtInText(services_.languages.index(), "width:%d height:%d",
                                         "宽:%d 高:%d", "width:%d height:%d"),
                             width, height);
}

void CVideoFrame::SetPictureSize(int index)
{
    int width = 0;
    int height = 0;
    if (pictureSize(index, width, height))
    {
        pictureSize_.store(packSize(width, height));
        session_.captureInfo().dwWidth = static_cast<DWORD>(width);
        session_.captureInfo().dwHeight = static_cast<DWORD>(height);
    }
    services_.settings.captureSizeIndex = index;
    // The size bar follows the index.
    live_.setPicture(index, QSize(pictureWidth(), pictureHeight()));
}

void CVideoFrame::StartPreview()
{
    const ZCAPHANDLE device = session_.device();
    if (device == 0 || live_.started())
        return;
    const QSize client = mdiArea() != nullptr ? mdiArea()->viewport()->size() : size();
    const int cw = client.width();
    const int ch = client.height();
    const int w = pictureWidth();
    const int h = pictureHeight();
    // The restored placement, for when the user takes the frame out of maximised state.
    if (!isMaximized() && w < cw)
    {
        int fw = w + 12;
        int x = 0;
        if (fw < cw)
            x = cw / 2 - fw / 2;
        else
            fw = cw;
        const int fh = h + 38;
        if (fh < ch)
            setGeometry(x, (ch - 80) / 2 - fh / 2, fw, fh);
        else
            setGeometry(x, 0, fw, ch - 80);
    }
    showMaximized();
    view_->horizontalScrollBar()->setValue(0);
    view_->verticalScrollBar()->setValue(0);

    ZcapSetCapInfo(device, &session_.captureInfo());
    view_->surface().restart();
    if (ZcapStartView(device, "Tarnwick", 0x50000000, 0, 0, w, h, view_->window(), 0) != ZCAP_OK)
    {
        kwz::messageBox(nullptr, "ggf", services_.languages.texts().text("AppTitle"), kwz::MB_OK);
        return;
    }
    viewDevice_ = device;
    document_.setPictureSize(w, h);
    panes().setPaneText(kPanePictureSize, sizeText(w, h));
    document_.updateAllViews();
    // A frame the camera painted before the view placed the picture never reaches the screen.
    view_->surface().restart();
    live_.setStarted(true);
    if (timerId_ == 0)
        timerId_ = startTimer(1000);
    Q_EMIT stateChanged();
}

void CVideoFrame::StopPreview()
{
    // The camera goes on recording while the picture is frozen, and so does the time shown.
    if (!capture_->recording())
        stopOneSecondTimer();
    const ZCAPHANDLE device = session_.device();
    if (device != 0 && live_.started() && ZcapStopView(device) == ZCAP_OK)
    {
        live_.setStarted(false);
        view_->viewport()->update();
    }
    Q_EMIT stateChanged();
}

void CVideoFrame::stopOneSecondTimer()
{
    if (timerId_ != 0)
    {
        killTimer(timerId_);
        timerId_ = 0;
    }
}

void CVideoFrame::SwitchPictureSize(int index)
{
    // The cross-hair stays as it is and is drawn at the centre of the new size.
    StopPreview();
    SetPictureSize(index);
    StartPreview();
    panes().setPaneText(kPanePictureSize, sizeText(pictureWidth(), pictureHeight()));
}

bool CVideoFrame::onCommand(int id)
{
    if (capture_->onCommand(id))
    {
        Q_EMIT stateChanged();
        return true;
    }
    const int sizeIndex = sizeIndexOfButton(id);
    if (sizeIndex >= 0)
    {
        if (services_.settings.captureSizeIndex != sizeIndex)
            SwitchPictureSize(sizeIndex);
        return true;
    }
    switch (id)
    {
    case ID_VIDEO_FILLWINDOW:
        onFillWindow();
        break;
    case ID_BUTTON_FREEZE:
        onFreeze();
        break;
    case ID_VIDEO_CROSSLINE:
        onCrossLine();
        break;
    case ID_OVERLAY_SCALEBAR:
    case ID_OVERLAY_CROSS:
    case ID_OVERLAY_GRID:
    case ID_OVERLAY_IN_CAPTURES:
    case ID_OVERLAY_SETTINGS:
        onOverlayCommand(id);
        break;
    case ID_VIDEO_SHOWCOLORBAR:
        services_.bars.toggle(LiveBar::Color);
        break;
    case ID_CAPTURE_SETTING:
        services_.bars.toggle(LiveBar::Capture);
        break;
    case ID_VIDEO_SHOWSIZEBAR:
        services_.bars.toggle(LiveBar::Size);
        break;
    case ID_VIEW_VIDEO_TOOLBAR:
        services_.bars.toggle(LiveBar::VideoTool);
        break;
    case ID_VIEW_VIDEO_STATUSBAR:
        services_.bars.toggle(LiveBar::VideoStatus);
        break;
    case ID_VIDEO_MANUALWB:
        if (!live_.frozen() && session_.device() != 0)
            services_.bars.toggle(LiveBar::VideoSetting);
        break;
    case ID_VIDEO_SHOWSETTINGBAR:
        break; // only its check mark means something
    default:
        return false;
    }
    Q_EMIT stateChanged();
    return true;
}

bool CVideoFrame::updateCommand(int id, CommandState& state)
{
    bool& enabled = state.enabled;
    bool& checked = state.checked;
    enabled = true;
    checked = false;
    if (capture_->updateCommand(id, state))
        return true;
    if (sizeIndexOfButton(id) >= 0)
        return true;
    switch (id)
    {
    case ID_VIDEO_FILLWINDOW:
        checked = live_.fit();
        return true;
    case ID_BUTTON_FREEZE:
        checked = live_.frozen();
        return true;
    case ID_VIDEO_CROSSLINE:
        checked = live_.crossHair();
        return true;
    case ID_OVERLAY_SCALEBAR:
        checked = services_.settings.overlay.scaleBar;
        return true;
    case ID_OVERLAY_CROSS:
        checked = services_.settings.overlay.reticle == Reticle::Cross;
        return true;
    case ID_OVERLAY_GRID:
        checked = services_.settings.overlay.reticle == Reticle::Grid;
        return true;
    case ID_OVERLAY_IN_CAPTURES:
        checked = services_.settings.overlay.inCaptures;
        return true;
    case ID_OVERLAY_SETTINGS:
        return true;
    case ID_VIDEO_SHOWCOLORBAR:
        checked = services_.bars.shown(LiveBar::Color);
        return true;
    case ID_CAPTURE_SETTING:
    case ID_VIDEO_SHOWSETTINGBAR:
        checked = services_.bars.shown(LiveBar::Capture);
        return true;
    case ID_VIDEO_SHOWSIZEBAR:
        checked = services_.bars.shown(LiveBar::Size);
        return true;
    case ID_VIEW_VIDEO_TOOLBAR:
        checked = services_.bars.shown(LiveBar::VideoTool);
        return true;
    case ID_VIEW_VIDEO_STATUSBAR:
        checked = services_.bars.shown(LiveBar::VideoStatus);
        return true;
    case ID_VIDEO_MANUALWB:
        checked = services_.bars.shown(LiveBar::VideoSetting);
        return true;
    case ID_VIDEO_SELECTCOMPRESSOR:
    case ID_VIDEO_HIGHQUALITY:
        enabled = false; // no handler: the camera library chooses the codec
        return true;
    default:
        return false;
    }
}

void CVideoFrame::postCommand(int id)
{
    QCoreApplication::postEvent(this, new CommandEvent(id));
}

bool CVideoFrame::event(QEvent* event)
{
    if (event->type() == commandEvent())
    {
        onCommand(static_cast<CommandEvent*>(event)->id());
        return true;
    }
    return QMdiSubWindow::event(event);
}

void CVideoFrame::onFillWindow()
{
    if (live_.frozen())
        return;
    live_.setFit(!live_.fit());
    document_.updateAllViews();
}

void CVideoFrame::onFreeze()
{
    const bool frozen = !live_.frozen();
    freezeBuffer_.clear();
    freezeBuffer_.shrink_to_fit();
    live_.setFrozenPicture(QImage());
    // The buffer is taken only when freezing: unfreezing restarts the live picture, which
    // never shows it.
    if (frozen)
    {
        const int w = pictureWidth();
        const int h = pictureHeight();
        freezeBuffer_.assign(static_cast<size_t>(w) * h * 3, 0);
        ZCAPINFO info = session_.captureInfo();
        info.dwWidth = static_cast<DWORD>(w);
        info.dwHeight = static_cast<DWORD>(h);
        ZcapGetRgbFrame(session_.device(), &info, freezeBuffer_.data());
        live_.setFrozenPicture(screenImage(freezeBuffer_, w, h));
    }
    live_.setFrozen(frozen);
    document_.updateAllViews();
    if (frozen)
        StopPreview();
    else
        StartPreview();
}

void CVideoFrame::onCrossLine()
{
    // Drawn by the view over what is shown, never into the camera's frames: captures and
    // recordings hold the camera's picture only.
    live_.setCrossHair(!live_.crossHair());
}

void CVideoFrame::onOverlayCommand(int id)
{
    OverlaySettings& overlay = services_.settings.overlay;
    auto toggleReticle = [&overlay](Reticle kind) {
        overlay.reticle = overlay.reticle == kind ? Reticle::None : kind;
    };
    switch (id)
    {
    case ID_OVERLAY_SCALEBAR:
        overlay.scaleBar = !overlay.scaleBar;
        break;
    case ID_OVERLAY_CROSS:
        toggleReticle(Reticle::Cross);
        break;
    case ID_OVERLAY_GRID:
        toggleReticle(Reticle::Grid);
        break;
    case ID_OVERLAY_IN_CAPTURES:
        overlay.inCaptures = !overlay.inCaptures;
        if (services_.captureBar != nullptr)
            services_.captureBar->showOverlayInCaptures(overlay.inCaptures);
        break;
    case ID_OVERLAY_SETTINGS: {
        // Runs without a user answer it as cancelled.
        if (qEnvironmentVariable("KWZ_NONINTERACTIVE") == "1")
            return;
        const QString unit =
            QString::fromStdString(kwz::values::unitName(services_.settings.measureUnitIndex));
        OverlayDialog dialog(overlay, unit, services_.languages.index(), this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        overlay = dialog.settings();
        break;
    }
    default:
        return;
    }
    // Drawn over what is shown: only the screen changes, and a recording that carries it.
    capture_->overlayChanged();
    view_->viewport()->update();
    Q_EMIT stateChanged();
}

void CVideoFrame::changeExposure(int step)
{
    int& exposure = services_.settings.exposure;
    if (step < 0 && exposure > 0)
        --exposure;
    else if (step > 0 && exposure < 1000)
        ++exposure;
    else
        return;
    if (services_.exposureSlider && services_.exposureSlider(exposure))
        return;
    if (session_.device() != 0)
    {
        session_.captureInfo().dwExposure = static_cast<DWORD>(exposure);
        ZcapSetCapInfo(session_.device(), &session_.captureInfo());
    }
}

void CVideoFrame::onSetFocus()
{
    Q_EMIT focused();
    StatusPanes& shown = panes();
    static constexpr int kWidths[8] = {0, 130, 110, 130, 50, 120, 120, 80};
    for (int pane = 0; pane < 8; ++pane)
        shown.setPaneWidth(pane, kWidths[pane], kWidths[pane] == 0);
    shown.setPaneText(kPanePointer, QStringLiteral("X: 0 Y: 0"));
    for (int pane = kPaneAoi; pane < kPaneCount; ++pane)
    {
        shown.setPaneColours(pane, kPaneInactiveBackground, kPaneInactiveText);
        shown.setPaneText(pane, modePaneText(services_.languages.index(), pane));
    }
    // The bars shown or hidden change the check marks of their commands.
    Q_EMIT stateChanged();
}

void CVideoFrame::onActivate()
{
    Q_EMIT activated();
    panes().setPaneText(kPaneFrameRate,
                        fromGbk(services_.languages.GetToolTipText(ID_OP_VIDEO_WINDOW)));
    Q_EMIT stateChanged();
}

void CVideoFrame::onTimer()
{
    capture_->onTimer();
    if (!live_.started())
        return;
    const ZCAPHANDLE device = session_.device();
    const int language = services_.languages.index();
    int state = ZCAP_DEVICE_PRESENT;
    if (ZcapGetDeviceState(device, &state) == ZCAP_OK && state == ZCAP_DEVICE_GONE)
    {
        if (!cameraGone_)
        {
            cameraGone_ = true;
            view_->setNotice(uiText(language,
                                    "The camera is disconnected.\nPlug it in again: the picture "
                                    "comes back by itself.",
                                    "摄像头已断开。\n重新接上后画面会自动恢复。",
                                    "攝影機已中斷連線。\n重新接上後畫面會自動恢復。"));
            panes().setPaneText(kPanePrompt, uiText(language, "The camera is disconnected",
                                                    "摄像头已断开", "攝影機已中斷連線"));
            Q_EMIT stateChanged();
        }
        live_.setFrameRate(0);
        // A new request makes the library open the device again: plugged back in, it streams.
        ZcapSetCapInfo(device, &session_.captureInfo());
        return;
    }
    if (cameraGone_)
    {
        cameraGone_ = false;
        view_->setNotice(QString());
        panes().setPaneText(kPanePrompt, uiText(language, "The camera is connected again",
                                                "摄像头已重新连接", "攝影機已重新連線"));
        Q_EMIT stateChanged();
    }
    float fps = 0;
    ZcapGetFrameRate(device, &fps);
    live_.setFrameRate(fps);
}

void CVideoFrame::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == timerId_)
        onTimer();
    else
        QMdiSubWindow::timerEvent(event);
}

void CVideoFrame::closeEvent(QCloseEvent* event)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    StopPreview();
    capture_->onClose();
    stopOneSecondTimer();
    freezeBuffer_.clear();
    freezeBuffer_.shrink_to_fit();
    live_.setFrozenPicture(QImage());
    Q_EMIT closing();
    QApplication::restoreOverrideCursor();
    QMdiSubWindow::closeEvent(event);
}
