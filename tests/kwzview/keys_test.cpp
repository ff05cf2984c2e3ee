// Command keys: each answers in its own kind of window and the bars of its work, never in the
// other kind, never with a modifier it does not name, never while a line edit or a menu takes
// the letters; menus and tool tips show them.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>
#include <memory>
#include <set>
#include <vector>

#include "app/bars/pen_bar.h"
#include "app/controls/client_wnd.h"
#include "app/controls/pen_style_combo.h"
#include "app/frame/command_router.h"
#include "app/frame/command_table.h"
#include "app/frame/frame_menus.h"
#include "app/image/image_frame.h"
#include "app/image/image_view.h"
#include "app/shell/command_ids.h"
#include "app/shell/command_target.h"
#include "include/gaugit.h"
#include "live_program.h"

using namespace cmd;

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Takes every command, as the main frame takes bar toggles whichever window is active: only
// the keys' places keep a letter to its window.
struct Recorder : CommandTarget
{
    bool onCommand(int id) override
    {
        taken.push_back(id);
        return true;
    }
    bool updateCommand(int, CommandState& state) override
    {
        state.enabled = enabled;
        return true;
    }
    std::vector<int> taken;
    bool enabled = true;
};

// A window of one kind: a focusable view and a line edit, as the text tool has.
struct ChildWindow
{
    ChildWindow(QMdiArea& area, const QString& name)
    {
        frame = new QMdiSubWindow;
        auto* body = new QWidget;
        auto* layout = new QVBoxLayout(body);
        view = new QWidget;
        view->setObjectName(name);
        view->setFocusPolicy(Qt::StrongFocus);
        view->setMinimumSize(80, 60);
        edit = new QLineEdit;
        layout->addWidget(view);
        layout->addWidget(edit);
        frame->setWidget(body);
        area.addSubWindow(frame);
        frame->show();
    }
    QMdiSubWindow* frame;
    QWidget* view;
    QLineEdit* edit;
};

// A bar of one kind's work outside the client area, with a check box and an edit.
struct SideBar
{
    SideBar(QMainWindow& main)
    {
        auto* host = new QToolBar(&main);
        content = new QWidget;
        auto* layout = new QVBoxLayout(content);
        box = new QCheckBox("box");
        edit = new QLineEdit;
        layout->addWidget(box);
        layout->addWidget(edit);
        host->addWidget(content);
        main.addToolBar(host);
    }
    QWidget* content;
    QCheckBox* box;
    QLineEdit* edit;
};

struct Frame
{
    Frame()
        : area(new QMdiArea), live(*area, "live"), image(*area, "image"), liveBar(main),
          imageBar(main)
    {
        main.setCentralWidget(area);
        commands = new CommandRouter(&main);
        commands->setTargets([] { return nullptr; }, &recorder, nullptr);
        menus = std::make_unique<FrameMenus>(&main, *commands);
        commands->addKeysTo(live.frame, KeyWindow::Live);
        commands->addKeysTo(liveBar.content, KeyWindow::Live);
        commands->addKeysTo(image.frame, KeyWindow::Image);
        commands->addKeysTo(imageBar.content, KeyWindow::Image);
        commands->refresh();
        main.resize(700, 500);
        main.show();
        main.activateWindow();
    }

    // The commands that one key press ran, once the posted ones arrived.
    std::vector<int> press(QWidget* focus, int key, Qt::KeyboardModifiers modifiers = {})
    {
        focus->setFocus();
        recorder.taken.clear();
        QTest::keyClick(focus, Qt::Key(key), modifiers);
        settle();
        return recorder.taken;
    }

    Recorder recorder; // outlives the window that routes to it
    QMainWindow main;
    QMdiArea* area;
    ChildWindow live;
    ChildWindow image;
    SideBar liveBar;
    SideBar imageBar;
    CommandRouter* commands = nullptr;
    std::unique_ptr<FrameMenus> menus;
};

// The first key of a command, with its modifiers.
QKeyCombination keyOf(const CommandInfo& info)
{
    return QKeySequence::listFromString(QString::fromLatin1(info.key)).front()[0];
}

std::vector<CommandInfo> keyedCommands()
{
    std::vector<CommandInfo> keyed;
    for (const CommandInfo& info : commandTable())
        if (info.key != nullptr)
            keyed.push_back(info);
    return keyed;
}

QAction* menuItem(QMenu* menu, int id)
{
    for (QAction* a : menu->actions())
    {
        if (a->menu() != nullptr)
            if (QAction* inner = menuItem(a->menu(), id))
                return inner;
        if (a->data().toInt() == id)
            return a;
    }
    return nullptr;
}

} // namespace

class KeysTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void theKeysAreTheSpecifiedOnes()
    {
        const std::vector<std::pair<int, const char*>> live = {
            {ID_VIDEO_SHOWCOLORBAR, "B"}, {ID_VIDEO_CAPTURE, "C"},   {ID_BUTTON_FREEZE, "E"},
            {ID_VIDEO_FILLWINDOW, "F"},   {ID_CAPTURE_MEASURE, "M"}, {ID_VIDEO_RECORD, "R"},
            {ID_VIDEO_SHOWSIZEBAR, "S"},  {ID_VIDEO_MANUALWB, "W"}};
        const std::vector<std::pair<int, const char*>> image = {{ID_IMAGE_MEASURE_DELETE, "Del"},
                                                                {ID_IMAGE_MEASURE_ANGLE, "A"},
                                                                {ID_IMAGE_MEASURE_CIRCLE1, "C"},
                                                                {ID_IMAGE_MEASURE_ELLIPSE0, "E"},
                                                                {ID_IMAGE_MESURE_LINE, "L"},
                                                                {ID_FILE_OPEN, "O"},
                                                                {ID_IMAGE_MEASURE_POLYLINE, "P"},
                                                                {ID_IMAGE_MEASURE_RECT, "R"},
                                                                {ID_FILE_SAVE, "S"},
                                                                {ID_IMAGE_MEASURE_TEXT, "T"},
                                                                {ID_RETURN_VIDEO, "V"},
                                                                {ID_IMAGE_ZOOM, "Z"},
                                                                {ID_VIEW_ZOOM_IN, "Ctrl++; Ctrl+="},
                                                                {ID_VIEW_ZOOM_OUT, "Ctrl+-"},
                                                                {ID_VIEW_ACTUAL_SIZE, "Ctrl+0"},
                                                                {ID_VIEW_FIT_WINDOW, "Ctrl+9"}};
        std::set<std::pair<int, std::string>> expected;
        for (const auto& [id, key] : live)
            expected.insert({id, std::string("L") + key});
        for (const auto& [id, key] : image)
            expected.insert({id, std::string("I") + key});
        std::set<std::pair<int, std::string>> actual;
        for (const CommandInfo& info : keyedCommands())
        {
            QVERIFY(info.window != KeyWindow::None);
            actual.insert(
                {info.id, (info.window == KeyWindow::Live ? "L" : "I") + std::string(info.key)});
        }
        QCOMPARE(actual, expected);
    }

    void everyKeyRunsItsCommandInItsWindowAndItsBarsOnly()
    {
        Frame f;
        QVERIFY(QTest::qWaitForWindowActive(&f.main));
        for (const CommandInfo& info : keyedCommands())
        {
            const bool live = info.window == KeyWindow::Live;
            ChildWindow& own = live ? f.live : f.image;
            ChildWindow& other = live ? f.image : f.live;
            SideBar& ownBar = live ? f.liveBar : f.imageBar;
            SideBar& otherBar = live ? f.imageBar : f.liveBar;
            const QKeyCombination combination = keyOf(info);
            const int key = combination.key();
            const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
            const QByteArray name(info.name);
            f.area->setActiveSubWindow(own.frame);
            QVERIFY2(f.press(own.view, key, modifiers) == std::vector<int>{info.id}, name);
            QVERIFY2(f.press(ownBar.box, key, modifiers) == std::vector<int>{info.id}, name);
            // The other window's letter, if it has one, is another command.
            f.area->setActiveSubWindow(other.frame);
            for (QWidget* focus : {other.view, static_cast<QWidget*>(otherBar.box)})
            {
                const std::vector<int> ran = f.press(focus, key, modifiers);
                QVERIFY2(std::find(ran.begin(), ran.end(), info.id) == ran.end(), name);
                QVERIFY2(ran.size() <= 1, name);
            }
        }
    }

    void lettersAnswerInEitherCaseButNotWithOtherModifiers()
    {
        Frame f;
        QVERIFY(QTest::qWaitForWindowActive(&f.main));
        QCOMPARE(f.press(f.live.view, Qt::Key_C, Qt::ShiftModifier),
                 std::vector<int>{ID_VIDEO_CAPTURE});
        for (Qt::KeyboardModifiers chord :
             {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::AltModifier),
              Qt::KeyboardModifiers(Qt::MetaModifier), Qt::ControlModifier | Qt::ShiftModifier})
        {
            QVERIFY(f.press(f.live.view, Qt::Key_C, chord).empty());
            QVERIFY(f.press(f.image.view, Qt::Key_L, chord).empty());
            QVERIFY(f.press(f.image.view, Qt::Key_Delete, chord).empty());
        }
        // Shift names no other key than the letter's upper case.
        QVERIFY(f.press(f.image.view, Qt::Key_Delete, Qt::ShiftModifier).empty());
    }

    void lineEditsTypeTheLetters()
    {
        Frame f;
        QVERIFY(QTest::qWaitForWindowActive(&f.main));
        for (QLineEdit* edit : {f.live.edit, f.liveBar.edit, f.image.edit, f.imageBar.edit})
        {
            edit->setFocus();
            f.recorder.taken.clear();
            QTest::keyClicks(edit, "cbelos");
            QTest::keyClick(edit, Qt::Key_Left);
            QTest::keyClick(edit, Qt::Key_Delete);
            QCoreApplication::processEvents();
            QCOMPARE(edit->text(), QStringLiteral("cbelo"));
            QVERIFY(f.recorder.taken.empty());
        }
    }

    void aKeyRunsItsCommandAfterTheKeyEventAndOnlyWhileEnabled()
    {
        Frame f;
        QVERIFY(QTest::qWaitForWindowActive(&f.main));
        f.live.view->setFocus();
        f.recorder.taken.clear();
        QTest::keyClick(f.live.view, Qt::Key_E);
        QVERIFY(f.recorder.taken.empty());
        QTRY_COMPARE(f.recorder.taken, std::vector<int>{ID_BUTTON_FREEZE});

        f.recorder.enabled = false;
        f.commands->refresh();
        QVERIFY(f.press(f.live.view, Qt::Key_E).empty());
        // Disabled between the key and its turn: nothing either.
        f.recorder.enabled = true;
        f.commands->refresh();
        f.recorder.taken.clear();
        QTest::keyClick(f.live.view, Qt::Key_E);
        f.recorder.enabled = false;
        f.commands->refresh();
        QCoreApplication::processEvents();
        QVERIFY(f.recorder.taken.empty());
    }

    void anOpenMenuKeepsItsLetters()
    {
        Frame f;
        QVERIFY(QTest::qWaitForWindowActive(&f.main));
        f.menus->show(MenuKind::Video, f.main.menuBar());
        f.live.view->setFocus();
        QMenu* operation = f.menus->menu(MenuKind::Video, 4);
        menuItem(operation, ID_VIDEO_CAPTURE)->setText("&Capture");
        operation->popup(f.main.mapToGlobal(QPoint(10, 10)));
        QTRY_COMPARE(QApplication::activePopupWidget(), operation);
        f.recorder.taken.clear();
        // A letter no item underlines chooses nothing, not the window's command either.
        QTest::keyClick(operation, Qt::Key_R);
        settle();
        QVERIFY(f.recorder.taken.empty());
        QCOMPARE(QApplication::activePopupWidget(), operation);
        // An underlined letter chooses its item, once.
        QTest::keyClick(operation, Qt::Key_C);
        settle();
        QCOMPARE(f.recorder.taken, std::vector<int>{ID_VIDEO_CAPTURE});
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
    }

    void menusShowTheKeysTheirCommandsAnswer()
    {
        Frame f;
        for (const CommandInfo& info : keyedCommands())
        {
            const MenuKind kind =
                info.window == KeyWindow::Live ? MenuKind::Video : MenuKind::Image;
            for (int position = 0; QMenu* menu = f.menus->menu(kind, position); ++position)
                if (QAction* item = menuItem(menu, info.id))
                    QCOMPARE(item->shortcut(),
                             QKeySequence::listFromString(QString::fromLatin1(info.key)).front());
        }
        QCOMPARE(menuItem(f.menus->menu(MenuKind::Video, 4), ID_VIDEO_CAPTURE)->shortcut(),
                 QKeySequence(Qt::Key_C));
        QCOMPARE(menuItem(f.menus->menu(MenuKind::Image, 3), ID_IMAGE_MEASURE_CIRCLE1)->shortcut(),
                 QKeySequence(Qt::Key_C));
        QCOMPARE(menuItem(f.menus->menu(MenuKind::Image, 3), ID_IMAGE_MEASURE_DELETE)->shortcut(),
                 QKeySequence(Qt::Key_Delete));
        QVERIFY(menuItem(f.menus->menu(MenuKind::Image, 3), ID_IMAGE_NORMAL)->shortcut().isEmpty());
    }

    // The program's own windows: C captures in the live window and draws a circle in an
    // image; a live bar's letter does not reach an image window; tool tips name the key.
    void theProgramsWindowsKeepTheirOwnLetters()
    {
        Program p("nCaptureSizeIndex=2\n");
        QVERIFY(p.run->started);
        CMainFrame* frame = p.frame();
        QVERIFY(p.connect() != nullptr);
        QVERIFY(p.waitFrames(2));
        QTest::keyClick(p.live->view(), Qt::Key_M);
        CImageFrame* image = nullptr;
        QTRY_VERIFY((image = dynamic_cast<CImageFrame*>(frame->client()->activeSubWindow())));
        image->view()->setFocus();
        const bool colourBar = !frame->barHost(Bar::Colour)->isHidden();
        const auto capturesBefore = p.files("Captures");
        QTest::keyClick(image->view(), Qt::Key_C);
        QTRY_COMPARE(image->tool(), int(GT_CIRCLE_CENTRE));
        QTest::keyClick(image->view(), Qt::Key_B);
        QTest::keyClick(image->view(), Qt::Key_W);
        settle();
        QCOMPARE(p.files("Captures"), capturesBefore);
        QCOMPARE(frame->settings().showVideoColorBar, int(colourBar));
        QVERIFY(frame->action(ID_IMAGE_MEASURE_CIRCLE1)->isChecked());
        // A control of an image bar passes the image window's letters on.
        PenBar* pen = frame->bars().pen;
        QTRY_VERIFY(pen->isVisible());
        pen->width()->setFocus();
        QTest::keyClick(pen->width(), Qt::Key_L);
        QTRY_COMPARE(image->tool(), int(GT_LINE));

        QVERIFY(frame->action(ID_VIDEO_CAPTURE)->toolTip().endsWith(" (C)"));
        QVERIFY(frame->action(ID_IMAGE_MEASURE_DELETE)->toolTip().endsWith(" (Del)"));
        QVERIFY(!frame->action(ID_IMAGE_NORMAL)->toolTip().contains('('));
    }

    // A highlighted menu item says what it does in the status bar, in every language,
    // including the commands the language files on disk predate.
    void everyMenuCommandHasAPromptInEveryLanguage()
    {
        Program p;
        CMainFrame* frame = p.frame();
        for (int language : {0, 1, 2})
        {
            p.run->app.switchLanguage(language);
            QStringList missing;
            for (MenuKind kind : {MenuKind::Main, MenuKind::Video, MenuKind::Image})
                for (int position = 0; QMenu* menu = frame->menu(kind, position); ++position)
                    for (QAction* item : menu->actions())
                        if (item->data().toInt() != 0 && item->statusTip().isEmpty())
                            missing << QString::number(item->data().toInt());
            QVERIFY2(missing.isEmpty(),
                     qPrintable(QString::number(language) + ": " + missing.join(QLatin1Char(' '))));
        }
    }
};

std::unique_ptr<QObject> makeKeysTest()
{
    return std::make_unique<KeysTest>();
}

#include "keys_test.moc"
