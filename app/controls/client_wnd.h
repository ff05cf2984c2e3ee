#pragma once
// The multiple-document client area. It keeps the standard look; it only knows its frame and
// whether a live window is open.

#include <QMdiArea>

class QMainWindow;

class CClientWnd : public QMdiArea
{
    Q_OBJECT
  public:
    explicit CClientWnd(QWidget* parent = nullptr) : QMdiArea(parent) {}

    void setMainFrame(QMainWindow* frame) { mainFrame_ = frame; }
    QMainWindow* mainFrame() const { return mainFrame_; }
    void setLiveWindow(bool live) { liveWindow_ = live; }
    bool liveWindow() const { return liveWindow_; }

  private:
    QMainWindow* mainFrame_ = nullptr;
    bool liveWindow_ = false;
};
