#pragma once
// The main frame as the live window sees it: panes, settings, texts, the client area and the
// bars of live work.

#include "app/live/live_host.h"

class LiveFrameParts;

class FrameLiveHost : public LiveHost
{
  public:
    FrameLiveHost(LiveFrameParts& frame, CaptureHost& capture) : frame_(frame), capture_(capture) {}

    void SetPaneText(int pane, const QString& text) override;
    void SetPaneColours(int pane, COLORREF background, COLORREF text) override;
    void SetPaneWidth(int pane, int width) override;
    FrameSettings& settings() override;
    int languageIndex() const override;
    const char* GetToolTipText(int commandId) const override;
    const char* LanguageText(const char* key) const override;
    QSize clientSize() const override;
    void SetLiveWindow(int live) override;
    void ToggleBar(LiveBar bar) override;
    bool IsBarShown(LiveBar bar) const override;
    void SetSizeButtons(int index) override;
    bool SetExposureSlider(int exposure) override;
    void ShowVideoBars() override;
    void ShowVideoSideBars() override;
    void HideVideoBars() override;
    void HideStatusBar() override;
    CaptureHost* captureHost() override;

  private:
    LiveFrameParts& frame_;
    CaptureHost& capture_;
};
