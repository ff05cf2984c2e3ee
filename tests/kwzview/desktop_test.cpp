// What a desktop user expects of the main window: the Window menu's list of windows, Open and
// the recent files from every window.

#include <QAction>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>

#include "app/controls/client_wnd.h"
#include "app/frame/main_frame.h"
#include "app/image/image_window.h"
#include "app/shell/command_ids.h"
#include "app_run.h"
#include "image_test_support.h"
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
};

#include "desktop_test.moc"

std::unique_ptr<QObject> makeDesktopTest()
{
    return std::make_unique<DesktopTest>();
}
