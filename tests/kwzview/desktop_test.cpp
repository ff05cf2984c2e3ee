// What a desktop user expects of the main window: the Window menu's list of windows, Open and
// the recent files from every window.

#include <QAction>
#include <QDropEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <algorithm>

#include "app/controls/client_wnd.h"
#include "app/frame/main_frame.h"
#include "app/image/image_doc.h"
#include "app/image/image_window.h"
#include "app/live/video_frame.h"
#include "app/live/video_view.h"
#include "app/shell/command_ids.h"
#include "app/shell/qt_translations.h"
#include "app_run.h"
#include "image_test_support.h"
#include "rast.h"
#include "test_support.h"

using namespace cmd;

namespace {

// The Window menu of the work shown, filled as when it opens.
QMenu* openWindowMenu(CMainFrame* frame)
{
    QMenu* menu = frame->shownMenu() == MenuKind::Video ? frame->menu(MenuKind::Video, 5)
                                                        : frame->menu(MenuKind::Image, 4);
    Q_EMIT menu->aboutToShow();
    return menu;
}

// The items that name windows: their texts without the number, and which is checked.
QList<QAction*> windowItems(QMenu* menu)
{
    QList<QAction*> items;
    for (QAction* a : menu->actions())
        if (a->isCheckable() && a->data().toInt() == 0)
            items << a;
    return items;
}

QString titleOf(const QAction* item)
{
    return item->text().section(' ', 1);
}

// The names a "Latest Files" submenu lists, filled as when the menu above it opens.
QStringList recentShown(CMainFrame* frame, MenuKind kind)
{
    QMenu* recent = frame->menus().recentMenu(kind);
    QMenu* parent = frame->menu(kind, 0);
    Q_EMIT parent->aboutToShow();
    QStringList names;
    for (QAction* a : recent->actions())
        names << a->data().toString();
    return names;
}

QAction* recentItem(CMainFrame* frame, MenuKind kind, const QString& path)
{
    recentShown(frame, kind);
    for (QAction* a : frame->menus().recentMenu(kind)->actions())
        if (a->data().toString() == path)
            return a;
    return nullptr;
}

size_t imageCount(Run& run)
{
    return run.app.documents().imageTemplate()->documents().size();
}

// A measurement file of a plain picture with one line on it.
bool writeMeasureFile(const QString& bmp, const QString& mea)
{
    if (!writePatternBmp(bmp, 80, 60))
        return false;
    CImageDoc document;
    return document.open(bmp) &&
           RASTWriteMeasureFile(document.bitmap()->handle(), mea.toLocal8Bit().constData()) == 0;
}

} // namespace

class DesktopTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void theWindowMenuListsTheWindowsAndChoosesOne()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        QVERIFY(writePatternBmp(home.path("first.bmp"), 60, 40));
        QVERIFY(writePatternBmp(home.path("second & more.bmp"), 60, 40));
        qputenv("KWZ_CAMERA", "sim:fixed");
        Run run;
        QVERIFY(run.started);
        CMainFrame* frame = run.frame();
        frame->routeCommand(ID_DEVICE_CONNECTDEVICE);
        QVERIFY(run.app.openDocumentFile(home.path("first.bmp")) != nullptr);
        QVERIFY(run.app.openDocumentFile(home.path("second & more.bmp")) != nullptr);
        CClientWnd* area = frame->client();
        QCOMPARE(area->subWindowList().size(), 3);

        QMenu* menu = openWindowMenu(frame);
        QList<QAction*> items = windowItems(menu);
        QCOMPARE(items.size(), 3);
        QStringList titles;
        for (QAction* item : items)
            titles << titleOf(item);
        QCOMPARE(titles.mid(1), (QStringList{"first.bmp", "second && more.bmp"}));
        QVERIFY(items[0]->text().startsWith("&1 "));
        // Only the active one is checked.
        QVERIFY(!items[0]->isChecked() && !items[1]->isChecked() && items[2]->isChecked());

        // Choosing one activates it; the menu, opened again, says so and lists no item twice.
        items[1]->trigger();
        QCOMPARE(area->activeSubWindow(), area->subWindowList().at(1));
        items = windowItems(openWindowMenu(frame));
        QCOMPARE(items.size(), 3);
        QVERIFY(items[1]->isChecked() && !items[2]->isChecked());

        // The live window's menu lists them too, and shows the next-window key.
        items[0]->trigger();
        QCOMPARE(frame->shownMenu(), MenuKind::Video);
        menu = openWindowMenu(frame);
        items = windowItems(menu);
        QCOMPARE(items.size(), 3);
        QVERIFY(items[0]->isChecked());
        QAction* next = nullptr;
        for (QAction* a : menu->actions())
            if (a->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_Tab))
                next = a;
        QVERIFY(next != nullptr && next->isEnabled());
        QCOMPARE(next->text(), QStringLiteral("&Next Window"));
        next->trigger();
        QVERIFY(area->activeSubWindow() != area->subWindowList().at(0));

        // A closed window leaves the list.
        QMdiSubWindow* closing = area->activeSubWindow();
        auto* image = qobject_cast<CImageFrame*>(closing);
        QVERIFY(image != nullptr);
        image->agreeWithoutAsking();
        closing->close();
        QTRY_COMPARE(area->subWindowList().size(), 2);
        QCOMPARE(windowItems(openWindowMenu(frame)).size(), 2);
    }

    void ctrlTabGoesToTheNextWindow()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        QVERIFY(writePatternBmp(home.path("a.bmp"), 60, 40));
        QVERIFY(writePatternBmp(home.path("b.bmp"), 60, 40));
        Run run;
        QVERIFY(run.started);
        QVERIFY(run.app.openDocumentFile(home.path("a.bmp")) != nullptr);
        QVERIFY(run.app.openDocumentFile(home.path("b.bmp")) != nullptr);
        CClientWnd* area = run.frame()->client();
        QMdiSubWindow* before = area->activeSubWindow();
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus != nullptr);
        QTest::keyClick(focus, Qt::Key_Tab, Qt::ControlModifier);
        QTRY_VERIFY(area->activeSubWindow() != before);
    }

    void ctrlOFromTheLiveWindowOpensAndTheRecentListOutlivesTheProgram()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        QVERIFY(writeMeasureFile(home.path("plain.bmp"), home.path("scan.Mea")));
        QVERIFY(writePatternBmp(home.path("a.bmp"), 60, 40));
        qputenv("KWZ_CAMERA", "sim:fixed");
        {
            Run run;
            QVERIFY(run.started);
            CMainFrame* frame = run.frame();
            QVERIFY(recentShown(frame, MenuKind::Main).isEmpty());
            QVERIFY(!frame->menus().recentMenu(MenuKind::Main)->menuAction()->isEnabled());
            frame->onConnect();
            auto* live = dynamic_cast<CVideoFrame*>(run.app.documents().FindVideoFrame());
            QVERIFY(live != nullptr);
            live->view()->setFocus();
            QTRY_VERIFY(live->view()->hasFocus());
            int asked = 0;
            run.app.setOpenFileChooser([&](QWidget*, const QString&, const QString&) {
                ++asked;
                return home.path("scan.Mea");
            });
            QTest::keyClick(live->view(), Qt::Key_O, Qt::ControlModifier);
            QTRY_COMPARE(asked, 1);
            QTRY_COMPARE(imageCount(run), size_t(1));
            QVERIFY(run.app.openDocumentFile(home.path("a.bmp")) != nullptr);
            // Newest first, in every window's menu.
            const QStringList expected{home.path("a.bmp"), home.path("scan.Mea")};
            QCOMPARE(recentShown(frame, MenuKind::Image), expected);
            QCOMPARE(recentShown(frame, MenuKind::Video), expected);
            QCOMPARE(frame->menus().recentMenu(MenuKind::Image)->actions().first()->text(),
                     "&1 " + home.path("a.bmp"));
        }
        const QByteArray file = home.read("MeasureTool.ini");
        QVERIFY(file.contains("[RecentFiles]"));

        Run run;
        QVERIFY(run.started);
        CMainFrame* frame = run.frame();
        QCOMPARE(recentShown(frame, MenuKind::Main),
                 (QStringList{home.path("a.bmp"), home.path("scan.Mea")}));
        QVERIFY(frame->menus().recentMenu(MenuKind::Main)->menuAction()->isEnabled());
        QCOMPARE(frame->menus().recentMenu(MenuKind::Main)->title(),
                 QStringLiteral("Latest Files"));
        // One chosen from the list opens; a missing one leaves the list with a word.
        MessageRecorder messages;
        recentItem(frame, MenuKind::Main, home.path("scan.Mea"))->trigger();
        QTRY_COMPARE(imageCount(run), size_t(1));
        QCOMPARE(recentShown(frame, MenuKind::Image).first(), home.path("scan.Mea"));
        QVERIFY(QFile::remove(home.path("a.bmp")));
        recentItem(frame, MenuKind::Image, home.path("a.bmp"))->trigger();
        QTRY_COMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts.first().contains(home.path("a.bmp")));
        QVERIFY(messages.texts.first().contains("no longer there"));
        QCOMPARE(imageCount(run), size_t(1));
        QCOMPARE(recentShown(frame, MenuKind::Image), QStringList{home.path("scan.Mea")});
        const QByteArray after = home.read("MeasureTool.ini");
        QVERIFY(!after.contains("a.bmp"));
    }

    void filesDroppedOnTheMainWindowOpenAndASavedOneIsRemembered()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        QVERIFY(writePatternBmp(home.path("one.bmp"), 60, 40));
        QVERIFY(writePatternBmp(home.path("two.bmp"), 60, 40));
        Run run;
        QVERIFY(run.started);
        CMainFrame* frame = run.frame();
        MessageRecorder messages;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(home.path("one.bmp")),
                      QUrl::fromLocalFile(home.path("two.bmp")),
                      QUrl("https://example.invalid/three.bmp")});
        const QPointF at(frame->width() / 2, frame->height() / 2);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &drop);
        QCOMPARE(imageCount(run), size_t(2));
        QCOMPARE(frame->shownMenu(), MenuKind::Image);
        QCOMPARE(recentShown(frame, MenuKind::Image),
                 (QStringList{home.path("two.bmp"), home.path("one.bmp")}));

        // Only files: a drag of web links alone is not taken.
        QMimeData links;
        links.setUrls({QUrl("https://example.invalid/x.bmp")});
        QDragEnterEvent web(at.toPoint(), Qt::CopyAction, &links, Qt::LeftButton, Qt::NoModifier);
        web.setAccepted(false);
        QApplication::sendEvent(frame, &web);
        QVERIFY(!web.isAccepted());

        // A picture measured on and saved is remembered under the name it was written to.
        auto* image = qobject_cast<CImageFrame*>(frame->client()->activeSubWindow());
        QVERIFY(image != nullptr);
        CImageDoc& document = image->document();
        document.setModified(true);
        QVERIFY(document.save());
        QVERIFY(!document.pathName().isEmpty());
        QCOMPARE(recentShown(frame, MenuKind::Image).first(), document.pathName());
        QVERIFY(home.read("MeasureTool.ini").contains(document.pathName().toUtf8()));
    }

    void qtsOwnTextsFollowTheInterfaceLanguage()
    {
        const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
        const auto chinese = [](const QString& text) {
            return std::any_of(text.begin(), text.end(),
                               [](QChar c) { return c.unicode() >= 0x4E00; });
        };
        {
            QtTranslations qt;
            QVERIFY(qt.apply(0));
            QVERIFY(qt.installedFile().endsWith("qtbase_zh_CN.qm"));
            QVERIFY(chinese(cancel()));
            QVERIFY(qt.apply(2));
            QVERIFY(qt.installedFile().endsWith("qtbase_zh_TW.qm"));
            QVERIFY(chinese(cancel()));
            QVERIFY(!qt.apply(1));
            QCOMPARE(cancel(), QStringLiteral("Cancel"));
            QVERIFY(qt.apply(0));
        }
        // Gone with its owner.
        QCOMPARE(cancel(), QStringLiteral("Cancel"));
        // Without Qt's translations the texts stay English, and nothing is said.
        QTemporaryDir empty;
        QtTranslations none(empty.path());
        QVERIFY(!none.apply(0));
        QVERIFY(none.installedFile().isEmpty());
        QCOMPARE(cancel(), QStringLiteral("Cancel"));

        // The program installs the one of its language, at start and on a switch.
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=0\n");
        Run run;
        QVERIFY(run.started);
        QVERIFY(run.app.qtTranslations()->installedFile().endsWith("qtbase_zh_CN.qm"));
        QVERIFY(chinese(cancel()));
        run.frame()->action(IDM_ENGLISHLANGUAGE)->trigger();
        QVERIFY(run.app.qtTranslations()->installedFile().isEmpty());
        QCOMPARE(cancel(), QStringLiteral("Cancel"));
        run.frame()->action(IDM_FANTICHINESELANGUAGE)->trigger();
        QVERIFY(run.app.qtTranslations()->installedFile().endsWith("qtbase_zh_TW.qm"));
    }
};

#include "desktop_test.moc"

std::unique_ptr<QObject> makeDesktopTest()
{
    return std::make_unique<DesktopTest>();
}
