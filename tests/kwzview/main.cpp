// Runs one suite of the program's tests, named by the first argument, on one QApplication.

#include <QApplication>
#include <QTest>
#include <memory>

std::unique_ptr<QObject> makeShellTest();
std::unique_ptr<QObject> makeControlsTest();
std::unique_ptr<QObject> makeAppTest();
std::unique_ptr<QObject> makeProcessTest();
std::unique_ptr<QObject> makePathsTest();
std::unique_ptr<QObject> makeFrameTest();
std::unique_ptr<QObject> makeCaptureTest();
std::unique_ptr<QObject> makeAdjustmentTest();
std::unique_ptr<QObject> makeImageDocTest();
std::unique_ptr<QObject> makeImageViewTest();
std::unique_ptr<QObject> makeMeasureSettingsTest();
std::unique_ptr<QObject> makeQPainterContextTest();
std::unique_ptr<QObject> makeImageWorkspaceTest();
std::unique_ptr<QObject> makeLiveTest();
std::unique_ptr<QObject> makeLiveWorkTest();
std::unique_ptr<QObject> makeMonkeyTest();
std::unique_ptr<QObject> makeKeysTest();
std::unique_ptr<QObject> makeDesktopTest();
std::unique_ptr<QObject> makeResultsTest();
std::unique_ptr<QObject> makeZoomTest();
std::unique_ptr<QObject> makeCalibrationTest();
std::unique_ptr<QObject> makeUndoTest();
std::unique_ptr<QObject> makeOverlayTest();

int main(int argc, char** argv)
{
    qputenv("KWZ_NONINTERACTIVE", "1");
    QApplication application(argc, argv);
    const QString suite = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QStringList rest;
    rest << QString::fromLocal8Bit(argv[0]);
    for (int i = 2; i < argc; ++i)
        rest << QString::fromLocal8Bit(argv[i]);
    std::unique_ptr<QObject> test;
    if (suite == "shell")
        test = makeShellTest();
    else if (suite == "controls")
        test = makeControlsTest();
    else if (suite == "app")
        test = makeAppTest();
    else if (suite == "process")
        test = makeProcessTest();
    else if (suite == "paths")
        test = makePathsTest();
    else if (suite == "frame")
        test = makeFrameTest();
    else if (suite == "capture")
        test = makeCaptureTest();
    else if (suite == "adjustment")
        test = makeAdjustmentTest();
    else if (suite == "image_doc")
        test = makeImageDocTest();
    else if (suite == "image_view")
        test = makeImageViewTest();
    else if (suite == "calibration")
        test = makeCalibrationTest();
    else if (suite == "measure_settings")
        test = makeMeasureSettingsTest();
    else if (suite == "qpainter_context")
        test = makeQPainterContextTest();
    else if (suite == "image_workspace")
        test = makeImageWorkspaceTest();
    else if (suite == "live")
        test = makeLiveTest();
    else if (suite == "livework")
        test = makeLiveWorkTest();
    else if (suite == "monkey")
        test = makeMonkeyTest();
    else if (suite == "keys")
        test = makeKeysTest();
    else if (suite == "desktop")
        test = makeDesktopTest();
    else if (suite == "results")
        test = makeResultsTest();
    else if (suite == "zoom")
        test = makeZoomTest();
    else if (suite == "undo")
        test = makeUndoTest();
    else if (suite == "overlay")
        test = makeOverlayTest();
    if (!test)
    {
        std::fprintf(stderr,
                     "usage: %s "
                     "shell|controls|app|frame|process|paths|image_doc|image_view|measure_settings|"
                     "qpainter_context|image_workspace|live|livework|capture|adjustment|monkey|"
                     "keys|desktop|results|zoom|calibration|undo|overlay [Qt Test "
                     "options]\n",
                     argv[0]);
        return 2;
    }
    return QTest::qExec(test.get(), rest);
}
