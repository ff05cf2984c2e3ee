#include "app/frame/frame_live_host.h"

#include <QLabel>
#include <QSlider>
#include <QToolBar>
#include <optional>

#include "app/bars/dialog_bars.h"
#include "app/bars/size_bar.h"
#include "app/bars/video_setting_bar.h"
#include "app/controls/client_wnd.h"
#include "app/controls/sp_status_bar.h"
#include "app/frame/live_frame_parts.h"
#include "app/frame/picture_adjustment.h"
#include "app/shell/language.h"
#include "app/shell/settings.h"

namespace {

// The dialog bar behind a live bar; the tool bar and the status bar are none.
std::optional<Bar> dialogBarOf(LiveBar bar)
{
    switch (bar)
    {
    case LiveBar::Color:
        return Bar::Colour;
    case LiveBar::Capture:
        return Bar::Capture;
    case LiveBar::Size:
        return Bar::Size;
    case LiveBar::VideoSetting:
        return Bar::VideoSetting;
    case LiveBar::VideoTool:
    case LiveBar::VideoStatus:
        break;
    }
    return std::nullopt;
}

} // namespace

void FrameLiveHost::SetPaneText(int pane, const QString& text)
{
    frame_.SetPaneText(pane, text);
}

void FrameLiveHost::SetPaneColours(int pane, COLORREF background, COLORREF text)
{
    frame_.SetPaneColours(pane, background, text);
}

void FrameLiveHost::SetPaneWidth(int pane, int width)
{
    frame_.statusBarControl()->SetPaneInfo(pane, width, width == 0);
}

FrameSettings& FrameLiveHost::settings()
{
    return frame_.settings();
}

int FrameLiveHost::languageIndex() const
{
    return frame_.languages().index();
}

const char* FrameLiveHost::GetToolTipText(int commandId) const
{
    return frame_.languages().GetToolTipText(commandId);
}

const char* FrameLiveHost::LanguageText(const char* key) const
{
    return frame_.languages().texts().text(key);
}

QSize FrameLiveHost::clientSize() const
{
    return frame_.client()->viewport()->size();
}

void FrameLiveHost::SetLiveWindow(int live)
{
    frame_.client()->setLiveWindow(live);
}

void FrameLiveHost::ToggleBar(LiveBar bar)
{
    if (const std::optional<Bar> dialogBar = dialogBarOf(bar))
        frame_.ToggleBar(*dialogBar);
    else if (bar == LiveBar::VideoTool)
        frame_.ToggleVideoToolBar();
    else
        frame_.ToggleStatusBar(true);
}

bool FrameLiveHost::IsBarShown(LiveBar bar) const
{
    if (const std::optional<Bar> dialogBar = dialogBarOf(bar))
        return !frame_.barHost(*dialogBar)->isHidden();
    if (bar == LiveBar::VideoTool)
        return !frame_.videoToolBar()->isHidden();
    return !frame_.statusBarControl()->isHidden();
}

void FrameLiveHost::SetSizeButtons(int index)
{
    frame_.bars().size->setSizeIndex(index);
}

bool FrameLiveHost::SetExposureSlider(int exposure)
{
    return frame_.adjustment().SetExposureSlider(exposure);
}

void FrameLiveHost::ShowVideoBars()
{
    frame_.ShowVideoBars();
}

void FrameLiveHost::ShowVideoSideBars()
{
    frame_.OnVideoFrameActivated();
}

void FrameLiveHost::HideVideoBars()
{
    frame_.HideVideoBars();
}

void FrameLiveHost::HideStatusBar()
{
    frame_.statusBarControl()->hide();
}

CaptureHost* FrameLiveHost::captureHost()
{
    return &capture_;
}
