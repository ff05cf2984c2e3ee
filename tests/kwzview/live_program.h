#pragma once
// A whole program started on a fresh folder with the simulated camera in its deterministic
// mode, in English, with its message boxes recorded and its live window a call away.

#include <QAction>
#include <QDir>
#include <QTest>
#include <memory>

#include "app/bars/capture_bar.h"
#include "app/controls/sp_status_bar.h"
#include "app/live/video_frame.h"
#include "app/live/video_view.h"
#include "app/shell/gbk_text.h"
#include "app_run.h"
#include "platform/message_box.h"
#include "test_support.h"

struct Messages
{
    QStringList texts;
    int answer = -1; // -1: the default button
};

inline int recordMessage(void* context, HWND, const char* text, const char*, unsigned type)
{
    auto* messages = static_cast<Messages*>(context);
    messages->texts << fromGbk(text);
    return messages->answer >= 0 ? messages->answer : kwz::defaultAnswer(type);
}

inline LocalClock fixedClock(int millisecond, int second = 9)
{
    return [=] { return LocalTime{2007, 3, 5, 14, 2, second, millisecond}; };
}

// A program started on a fresh folder, in English; connect() opens its live window.
class Program
{
  public:
    explicit Program(const QByteArray& user = {})
    {
        qputenv("KWZ_CAMERA", "sim:fixed");
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n[User]\n" + user);
        run = std::make_unique<Run>();
        kwz::setMessageBoxHandler(&recordMessage, &messages);
    }
    ~Program() { run.reset(); }

    CMainFrame* frame() const { return run->frame(); }
    FrameSettings& settings() const { return run->frame()->settings(); }
    CaptureBar* bar() const { return run->frame()->bars().capture; }
    CVideoFrame* connect()
    {
        frame()->onConnect();
        live = dynamic_cast<CVideoFrame*>(run->app.documents().FindVideoFrame());
        return live;
    }
    void command(int id) const { frame()->action(id)->trigger(); }
    bool checked(int id) const { return frame()->action(id)->isChecked(); }
    QString pane(int i) const { return frame()->statusBarControl()->paneText(i); }
    PaneStyle paneStyle(int i) const { return frame()->statusBarControl()->paneStyle(i); }
    QStringList files(const QString& folder) const
    {
        return QDir(home.path(folder)).entryList(QDir::Files, QDir::Name);
    }
    // Waits until the camera has painted that many more frames.
    bool waitFrames(int count) const
    {
        const uint64_t from = live->view()->surface().paintedFrames();
        return QTest::qWaitFor(
            [&] { return live->view()->surface().paintedFrames() >= from + count; }, 15000);
    }

    TempHome home;
    Messages messages;
    std::unique_ptr<Run> run;
    CVideoFrame* live = nullptr;
};
