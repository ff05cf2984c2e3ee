// Start-up, the main frame and shutdown, run in this process on a fresh program folder.

#include <QAction>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

#include "app/bars/dialog_bar.h"
#include "app/controls/client_wnd.h"
#include "app/controls/sp_status_bar.h"
#include "app/documents/doc_template.h"
#include "app/frame/main_frame.h"
#include "app/measure_tool_app.h"
#include "app/shell/command_ids.h"
#include "app/shell/gbk_text.h"
#include "app/shell/work_folders.h"
#include "app_run.h"
#include "platform/profile.h"
#include "test_support.h"

using namespace cmd;

namespace {

std::string value(const QByteArray& file, const char* section, const char* key)
{
    kwz::ProfileText text(file.toStdString());
    const std::string* v = text.value(section, key);
    return v ? *v : std::string("<missing>");
}

QStringList menuTitles(CMainFrame* frame)
{
    QStringList titles;
    for (QAction* a : frame->menuBar()->actions())
        titles << a->text();
    return titles;
}

QString itemText(QMenu* menu, int id)
{
    for (QAction* a : menu->actions())
        if (a->data().toInt() == id)
            return a->text();
    return {};
}

} // namespace

class AppTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void firstRunInEnglishCreatesFoldersAndWritesCompleteFiles()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        {
            Run run;
            QVERIFY(run.started);
            for (const char* folder : {"Rulers", "Language", "Captures", "Records"})
                QVERIFY2(QFileInfo(home.path(folder)).isDir(), folder);
            QCOMPARE(menuTitles(run.frame()), (QStringList{"&Device", "Language(&H)", "&Help"}));
            QCOMPARE(
                itemText(run.frame()->menu(CMainFrame::MenuKind::Main, 0), ID_DEVICE_CONNECTDEVICE),
                QStringLiteral("&Connect"));
            QCOMPARE(run.frame()->windowTitle(), QStringLiteral("kwzview"));
            QVERIFY(run.frame()->windowState() & Qt::WindowMaximized);
            QCOMPARE(run.frame()->property("MeasureTool").toInt(), 1);
            QVERIFY(run.frame()->action(IDM_ENGLISHLANGUAGE)->isChecked());
            QVERIFY(!run.frame()->action(IDM_CHINESELANGUAGE)->isChecked());
            QCOMPARE(run.app.camera().device() != 0, true);
        }
        QVERIFY(QFile::exists(home.dataPath("applications/kwzview.desktop")));
        QVERIFY(QFile::exists(home.dataPath("mime/packages/kwzview.xml")));
        const QByteArray texts = home.read("Language/MTENG.ini");
        QCOMPARE(value(texts, "MAINFRAME_MENU", "Device"), std::string("&Device"));
        QCOMPARE(value(texts, "Promt", "msgVideoRecord"),
                 std::string("Video record must be under the smaller size."));
        QCOMPARE(value(texts, "DLGBAR_PEN", "PenFontText"), std::string("<missing>"));
        QCOMPARE(texts.count('='), kLanguageSlotCount - 3);
        const QByteArray settings = home.read("MeasureTool.ini");
        QCOMPARE(value(settings, "MAIN", "Language"), std::string("1"));
        QCOMPARE(value(settings, "User", "strCapturePath"), home.path("Captures").toStdString());
        QCOMPARE(value(settings, "User", "bShowImageRulerMeasureBar"), std::string("0"));
        QCOMPARE(value(settings, "DescriptionMark", "bPolyLineArea"), std::string("1"));

        // A second run writes the same files.
        {
            Run run;
            QVERIFY(run.started);
        }
        QCOMPARE(home.read("Language/MTENG.ini"), texts);
        QCOMPARE(home.read("MeasureTool.ini"), settings);
    }

    void textsFromTheLanguageFileShowInTheMenus()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=0\n");
        // "Device" empty takes the built-in text; "Help" is GBK for "帮助X".
        home.write("Language/MTCHS.ini", "[MAINFRAME_MENU]\nDevice=\nHelp=\xB0\xEF\xD6\xFAX\n"
                                         "[VIDEO_TITLE]\nAppTitle=\xB2\xE2\xCA\xD4\n");
        Run run;
        QVERIFY(run.started);
        QCOMPARE(menuTitles(run.frame()), (QStringList{"设备(&D)", "语言(&H)", "帮助X"}));
        QCOMPARE(run.frame()->windowTitle(), QStringLiteral("测试"));
        QCOMPARE(run.frame()->statusBarControl()->paneText(5), QStringLiteral(" 高质量 "));
    }

    void languageCommandsSwitchTextsAndMarks()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        const QByteArray english = "[DLGBAR_SETTINGS]\nSettingsNote=All from the file\n";
        home.write("Language/MTENG.ini", english);
        {
            Run run;
            QVERIFY(run.started);
            CMainFrame* frame = run.frame();
            frame->action(IDM_FANTICHINESELANGUAGE)->trigger();
            QCOMPARE(run.app.languages().index(), 2);
            QVERIFY(frame->action(IDM_FANTICHINESELANGUAGE)->isChecked());
            QVERIFY(!frame->action(IDM_ENGLISHLANGUAGE)->isChecked());
            QCOMPARE(menuTitles(frame).first(), QStringLiteral("設備(&D)"));
            QCOMPARE(frame->menuLanguage(), 2);
            // Bar texts follow, and the unit lists come in the new language.
            auto* label = frame->bar(Bar::Colour)->textOf("DLGBAR_COLOR", "DlgColorDefault");
            QCOMPARE(static_cast<QWidget*>(label)->property("text").toString(),
                     QStringLiteral("默認值"));
            auto* units = frame->bar(Bar::RulerMeasure)->control(IDC_MRULER_MEASUREUNIT);
            QCOMPARE(units->property("currentText").toString(), QStringLiteral("微米"));
            // The English note stays until the next start.
            QCOMPARE(qtext(run.app.languages().texts(), "SettingsNote").left(3),
                     QStringLiteral("All"));

            frame->action(IDM_CHINESELANGUAGE)->trigger();
            QCOMPARE(menuTitles(frame).first(), QStringLiteral("设备(&D)"));
            QVERIFY(frame->action(IDM_CHINESELANGUAGE)->isChecked());
        }
        // The index is saved at exit and the last language's file written; the English one
        // was never written since the program switched away from it.
        QCOMPARE(value(home.read("MeasureTool.ini"), "MAIN", "Language"), std::string("0"));
        QVERIFY(QFile::exists(home.path("Language/MTCHS.ini")));
        QCOMPARE(home.read("Language/MTENG.ini"), english);
        QVERIFY(!QFile::exists(home.path("Language/MTCHT.ini")));
    }

    void aBitmapNamedInCapitalsOpensInAnImageWindow()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        home.write("PICTURE.BMP", tinyBmp());
        Run run({home.path("PICTURE.BMP")});
        QVERIFY(run.started);
        QCOMPARE(run.app.documents().imageTemplate()->documents().size(), size_t(1));
        QCOMPARE(run.app.commandLineFile(), home.path("PICTURE.BMP"));
        QCOMPARE(run.frame()->shownMenu(), CMainFrame::MenuKind::Image);
        QCOMPARE(menuTitles(run.frame()).first(), QStringLiteral("&File"));
    }

    void aPrintCommandOpensNothing()
    {
        TempHome home;
        home.write("PICTURE.bmp", tinyBmp());
        Run run({"/p", home.path("PICTURE.bmp")});
        QVERIFY(run.started);
        QVERIFY(run.app.documents().imageTemplate()->documents().empty());
        QVERIFY(run.app.commandLineFile().isEmpty());
        QCOMPARE(run.frame()->shownMenu(), CMainFrame::MenuKind::Main);
    }

    void aFileTheImageWindowRefusesEndsStartUp()
    {
        TempHome home;
        home.write("photo.jpg", "\xFF\xD8\xFF\xE0 not a bitmap");
        {
            Run run({home.path("photo.jpg")});
            QVERIFY(!run.started);
            QVERIFY(run.frame() != nullptr);
        }
        // The frame was made, so its settings were saved on the way out.
        QVERIFY(home.read("MeasureTool.ini").contains("[User]"));
        Run missing({home.path("nothing-here.bmp")});
        QVERIFY(!missing.started);
    }

    void statusBarHasEightPanesInTheirColours()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=2\n");
        Run run;
        QVERIFY(run.started);
        CSPStatusBar* bar = run.frame()->statusBarControl();
        QCOMPARE(bar->paneCount(), 8);
        QVERIFY(bar->isHidden());
        const int widths[8] = {0, 150, 100, 130, 50, 120, 120, 80};
        bar->resize(1400, 22);
        for (int i = 1; i < 7; ++i)
            QCOMPARE(bar->paneRect(i).width(), widths[i]);
        QCOMPARE(bar->paneRect(7).right(), bar->rect().right());
        QCOMPARE(bar->paneText(2), QStringLiteral("X: 0  Y: 0"));
        // Traditional Chinese shows the English pane texts.
        QCOMPARE(bar->paneText(4), QStringLiteral(" AOI "));
        QCOMPARE(bar->paneText(5), QStringLiteral(" High Quality "));
        QCOMPARE(bar->paneText(6), QStringLiteral(" Video Record "));
        QCOMPARE(bar->paneText(7), QStringLiteral("Replaying"));
        for (int i = 4; i < 8; ++i)
            QCOMPARE(bar->paneStyle(i).background, kPaneInactiveBackground);
    }

    void everyBarExistsHiddenWithItsControls()
    {
        TempHome home;
        Run run;
        QVERIFY(run.started);
        CMainFrame* frame = run.frame();
        const int resources[] = {IDD_SIZEBAR,    IDD_LEDBAR,    IDD_VIDEOSETTINGBAR, IDD_COLORBAR,
                                 IDD_CAPTUREBAR, IDD_RECORDBAR, IDD_ZOOMBAR,         IDD_RULERBAR,
                                 IDD_PENBAR,     IDD_TEXTBAR,   IDD_RULERMEASUREBAR};
        for (int b = 0; b < kBarCount; ++b)
        {
            auto which = static_cast<Bar>(b);
            QCOMPARE(frame->bar(which)->resourceId(), resources[b]);
            QVERIFY(frame->barHost(which)->isHidden());
            QCOMPARE(frame->toolBarArea(frame->barHost(which)), Qt::TopToolBarArea);
        }
        QVERIFY(frame->videoToolBar()->isHidden());
        QVERIFY(frame->imageToolBar()->isHidden());

        const std::pair<Bar, std::vector<int>> controls[] = {
            {Bar::Size, {1132, 1133, 1134, 1165, 1166}},
            {Bar::Colour,
             {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1015,
              1016}},
            {Bar::Capture, {1013, 1014, 1015, 1016, 1021, 1022, 1023, 1103, 1121, 1122}},
            {Bar::Lights, {1129, 1130, 1131, 1135, 1136, 1138}},
            {Bar::VideoSetting, {1095, 1109, 1110, 1112, 1113}},
            {Bar::Record, {1018, 1019, 1020, 1079, 1104}},
            {Bar::Ruler, {1088, 1090, 1140}},
            {Bar::RulerMeasure, {1026, 1027, 1037, 1040, 1042, 1144, 1152, 1157, 1159}},
            {Bar::Text, {1034}},
        };
        for (const auto& [which, ids] : controls)
            for (int id : ids)
                QVERIFY2(frame->bar(which)->control(id) != nullptr,
                         qPrintable(QString::number(id)));

        // The capture bar shows its defaults; flips and the compressor start disabled.
        DialogBar* capture = frame->bar(Bar::Capture);
        QCOMPARE(capture->control(IDC_CAPTURE_NAME)->property("text").toString(),
                 QStringLiteral("Capture"));
        QCOMPARE(capture->control(IDC_CAPTURE_INTERVAL)->property("text").toString(),
                 QStringLiteral("1"));
        QCOMPARE(capture->control(IDC_CAPTURE_COUNT)->property("text").toString(),
                 QStringLiteral("3"));
        QVERIFY(!capture->control(IDC_CAPTURE_COUNT)->isEnabled());
        QVERIFY(capture->control(IDC_CAPTURE_JPEG)->property("checked").toBool());
        QVERIFY(!capture->control(IDC_CAPTURE_AUTOINC)->isVisibleTo(capture));
        QVERIFY(!frame->bar(Bar::VideoSetting)->control(IDC_FLIP_VERTICAL)->isEnabled());
        QVERIFY(!frame->bar(Bar::Record)->control(IDC_RECORD_COMPRESSOR)->isEnabled());
        QCOMPARE(frame->bar(Bar::Colour)->control(IDC_SLIDER_GAMMA)->property("value").toInt(),
                 100);
        QCOMPARE(frame->bar(Bar::Colour)->control(IDC_NUM_GAMMA)->property("text").toString(),
                 QStringLiteral("100"));

        // Tool bars hold their buttons in order, each with a picture.
        const QList<QAction*> video = frame->videoToolBar()->actions();
        QCOMPARE(video.size(), 12);
        QCOMPARE(video.first()->data().toInt(), ID_CAPTURE_MEASURE);
        QCOMPARE(video.last()->data().toInt(), ID_BUTTON_FREEZE);
        int separators = 0;
        for (QAction* a : frame->imageToolBar()->actions())
        {
            separators += a->isSeparator();
            QVERIFY(a->isSeparator() || !a->icon().isNull());
        }
        QCOMPARE(separators, 4);
        QCOMPARE(frame->imageToolBar()->actions().size(), 27);
    }

    void barFlagsAndTheirMasters()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[User]\nbShowVideoSizeBar=0\nbShowImageRulerMeasureBar=1\n");
        Run run;
        QVERIFY(run.started);
        CMainFrame* frame = run.frame();
        QVERIFY(!frame->videoSideBars());
        QVERIFY(frame->imageSideBars());
        QCOMPARE(frame->settings().showImageRulerMeasureBar, 0);

        // With the master flag clear, video work shows nothing until the all-bars button.
        frame->showVideoBars();
        QVERIFY(frame->videoToolBar()->isHidden());
        QVERIFY(frame->statusBarControl()->isHidden());
        frame->action(ID_BUTTON_ALLBTN)->trigger();
        QVERIFY(frame->videoSideBars());
        QVERIFY(frame->action(ID_BUTTON_ALLBTN)->isChecked());

        // A toggle shows a hidden bar, stores the flag and checks the item.
        frame->action(ID_BUTTON_RecordSetting)->trigger();
        QVERIFY(!frame->barHost(Bar::Record)->isHidden());
        QCOMPARE(frame->settings().showVideoRecordSettingBar, 1);
        QVERIFY(frame->action(ID_BUTTON_RecordSetting)->isChecked());
        frame->action(ID_BUTTON_RecordSetting)->trigger();
        QVERIFY(frame->barHost(Bar::Record)->isHidden());
        QCOMPARE(frame->settings().showVideoRecordSettingBar, 0);
    }

    void connectOpensTheLiveWindowWithTheVideoMenu()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        Run run;
        QVERIFY(run.started);
        CMainFrame* frame = run.frame();
        frame->action(ID_DEVICE_CONNECTDEVICE)->trigger();
        QVERIFY(run.app.documents().FindVideoFrame() != nullptr);
        QCOMPARE(frame->shownMenu(), CMainFrame::MenuKind::Video);
        QCOMPARE(menuTitles(frame).first(), QStringLiteral("&Video"));
        QCOMPARE(frame->statusBarControl()->paneStyle(5).background, kPaneHighlight);
        QVERIFY(frame->client()->liveWindow());
        QCOMPARE(int(run.app.camera().captureInfo().dwWidth), 640);
        // Scripted runs answer the about box at once instead of waiting for a click.
        frame->action(ID_APP_ABOUT)->trigger();
        // A second connect brings the same window forward.
        frame->action(ID_DEVICE_CONNECTDEVICE)->trigger();
        QCOMPARE(run.app.documents().videoTemplate()->documents().size(), size_t(1));
    }

    void droppedFilesOpenInImageWindows()
    {
        TempHome home;
        home.write("a.kwz", tinyBmp());
        home.write("b.txt", "not an image");
        Run run;
        QVERIFY(run.started);
        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(home.path("a.kwz")), QUrl::fromLocalFile(home.path("b.txt"))});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QVERIFY(run.frame()->acceptDrops());
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(run.frame(), &enter);
        QVERIFY(enter.isAccepted());
        QCoreApplication::sendEvent(run.frame(), &drop);
        QCOMPARE(run.app.documents().imageTemplate()->documents().size(), size_t(1));
        QCOMPARE(run.app.documents().imageTemplate()->documents().front()->path(),
                 home.path("a.kwz"));
    }

    void programFolderEndsWithASeparator()
    {
        TempHome home;
        char folder[260] = {};
        const int length = GetProgramFolder(folder);
        QCOMPARE(QString::fromLocal8Bit(folder), home.home() + "/");
        QCOMPARE(length, int(strlen(folder)));
        QVERIFY(CreateFolderIfMissing(folder));
        QVERIFY(CreateFolderIfMissing((home.home() + "/new").toLocal8Bit()));
        QVERIFY(!CreateFolderIfMissing((home.home() + "/a/b/c").toLocal8Bit()));
    }
};

#include "app_test.moc"

std::unique_ptr<QObject> makeAppTest()
{
    return std::make_unique<AppTest>();
}
