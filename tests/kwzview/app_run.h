#pragma once
// A start of the program in this process, on the program folder that a TempHome set.

#include <QTest>

#include "app/frame/main_frame.h"
#include "app/measure_tool_app.h"

// Ends the program when it goes out of scope.
struct Run
{
    explicit Run(const QStringList& arguments = {}) : app(argc, argv)
    {
        started = app.initInstance(arguments);
        // Keys reach commands only in the active window, as a user's keys do.
        if (started && app.mainFrame() != nullptr && app.mainFrame()->isVisible())
            QTest::qWaitForWindowActive(app.mainFrame());
    }
    ~Run() { app.exitInstance(); }
    CMainFrame* frame() { return app.mainFrame(); }

    int argc = 1;
    char name[8] = "kwzview";
    char* argv[2] = {name, nullptr};
    CMeasureToolApp app;
    bool started = false;
};
