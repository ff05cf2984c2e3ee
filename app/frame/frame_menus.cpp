#include "app/frame/frame_menus.h"

#include <QAction>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include "app/frame/command_router.h"
#include "app/shell/command_ids.h"
#include "app/shell/gbk_text.h"
#include "app/shell/language.h"

using namespace cmd;

namespace {

// Marks the items that the Window menus make afresh each time they open.
constexpr const char* kWindowListItem = "windowListItem";

// Puts texts on the items of a menu and its submenus.
void setItemText(QMenu* menu, int id, const QString& text)
{
    if (menu == nullptr)
        return;
    for (QAction* a : menu->actions())
    {
        if (a->menu() != nullptr)
            setItemText(a->menu(), id, text);
        else if (a->data().toInt() == id)
            a->setText(text);
    }
}

// An open menu, or the menu bar while the keyboard walks it, keeps its letters: they choose
// its items rather than the commands of the window behind it.
class MenuLetters : public QObject
{
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return QObject::eventFilter(watched, event);
        event->accept();
        return true;
    }
};

// The overlay, scale bar and TIFF commands came after the language files: their texts come
// with the program.
struct BuiltInItem
{
    int id;
    const char* english;
    const char* simplified;
    const char* traditional;
};
constexpr BuiltInItem kOverlayTexts[] = {
    {ID_OVERLAY_SCALEBAR, "Scale &Bar", "比例尺(&B)", "比例尺(&B)"},
    {ID_OVERLAY_CROSS, "Reticle: &Cross", "分划线：十字(&C)", "分劃線：十字(&C)"},
    {ID_OVERLAY_GRID, "Reticle: &Grid", "分划线：网格(&G)", "分劃線：網格(&G)"},
    {ID_OVERLAY_IN_CAPTURES, "Overlay in &Captures", "抓图时带叠加(&P)", "擷取時帶疊加(&P)"},
    {ID_OVERLAY_SETTINGS, "&Overlay Settings...", "叠加设置(&O)...", "疊加設定(&O)..."},
    {ID_IMAGE_SCALEBAR, "Scale &Bar", "比例尺(&B)", "比例尺(&B)"},
    {ID_FILE_EXPORT_TIFF, "Export &TIFF...", "导出TIFF(&T)...", "匯出TIFF(&T)..."},
};

} // namespace

FrameMenus::FrameMenus(QWidget* owner, CommandRouter& commands)
    : owner_(owner), commands_(commands), letters_(new MenuLetters(owner))
{
    auto items = [this](QMenu* m, std::initializer_list<int> ids) {
        for (int id : ids)
        {
            if (id == 0)
                m->addSeparator();
            else
                commands_.addMenuItem(m, id);
        }
    };

    QMenu* device = addMenu(MenuKind::Main, "&Device");
    items(device, {ID_DEVICE_CONNECTDEVICE, 0});
    // Opening a picture needs no image window first.
    commands_.addMenuItem(device, ID_FILE_OPEN, true);
    items(device, {0, ID_APP_EXIT});
    items(addMenu(MenuKind::Main, "Language(&H)"),
          {IDM_ENGLISHLANGUAGE, IDM_CHINESELANGUAGE, IDM_FANTICHINESELANGUAGE});
    items(addMenu(MenuKind::Main, "&Help"), {ID_HELP_CONTENTS, ID_APP_ABOUT});

    QMenu* video = addMenu(MenuKind::Video, "&Video");
    items(video, {ID_VIDEO_HIGHQUALITY, 0});
    commands_.addMenuItem(video, ID_FILE_OPEN, true);
    items(video, {0, ID_APP_EXIT});
    items(addMenu(MenuKind::Video, "&View"), {ID_VIEW_VIDEO_TOOLBAR, ID_VIEW_VIDEO_STATUSBAR});
    items(addMenu(MenuKind::Video, "&Settings"),
          {ID_VIDEO_SHOWSIZEBAR, ID_VIDEO_SHOWSETTINGBAR, ID_VIDEO_FILLWINDOW, 0,
           ID_VIDEO_CROSSLINE, 0, ID_OVERLAY_SCALEBAR, ID_OVERLAY_CROSS, ID_OVERLAY_GRID,
           ID_OVERLAY_IN_CAPTURES, ID_OVERLAY_SETTINGS});
    items(addMenu(MenuKind::Video, "&Adjust"), {ID_VIDEO_MANUALWB, ID_VIDEO_SHOWCOLORBAR});
    items(addMenu(MenuKind::Video, "&Operation"),
          {ID_VIDEO_CAPTURE, ID_VIDEO_TIMERCAPTURE, ID_VIDEO_RECORD, ID_VIDEO_SELECTCOMPRESSOR});
    QMenu* liveWindows = addMenu(MenuKind::Video, "Window(&W)");
    items(liveWindows, {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ});
    // Help in every window's menus, last as in the main one.
    items(addMenu(MenuKind::Video, "&Help"), {ID_HELP_CONTENTS, ID_APP_ABOUT});

    items(addMenu(MenuKind::Image, "&File"),
          {ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_EXPORT_TIFF, 0,
           ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, 0, ID_FILE_MRU_FILE1, 0,
           ID_APP_EXIT});
    items(addMenu(MenuKind::Image, "&View"),
          {ID_VIEW_IMAGE_TOOLBAR, ID_VIEW_IMAGE_STATUSBAR, ID_VIEW_RESULTS, 0, ID_IMAGE_SCALEBAR});
    QMenu* operation = addMenu(MenuKind::Image, "&Operation");
    items(operation, {ID_IMAGE_NORMAL, 0, ID_IMAGE_MESURE_LINE});
    QMenu* circle = operation->addMenu("Circle");
    QMenu* ellipse = operation->addMenu("Ellipse");
    circle->installEventFilter(letters_);
    ellipse->installEventFilter(letters_);
    items(circle, {ID_IMAGE_MEASURE_CIRCLE0, ID_IMAGE_MEASURE_CIRCLE1, ID_IMAGE_MEASURE_CIRCLE2});
    items(ellipse, {ID_IMAGE_MEASURE_ELLIPSE0, ID_IMAGE_MEASURE_ELLIPSE1});
    items(operation,
          {ID_IMAGE_MEASURE_RECT, ID_IMAGE_MEASURE_ANGLE, ID_IMAGE_MEASURE_POLYLINE,
           ID_IMAGE_MEASURE_TEXT, 0, ID_IMAGE_MEASURE_DELETE, ID_IMAGE_MEASURE_DELETEALL});
    QMenu* imageWindows = addMenu(MenuKind::Image, "&Window");
    items(imageWindows, {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ});
    items(addMenu(MenuKind::Image, "&Settings"),
          {ID_IMAGE_SETTINGS_RULER, ID_IMAGE_SETTINGS_PEN, ID_IMAGE_SETTINGS_TEXT});
    items(addMenu(MenuKind::Image, "&Help"), {ID_HELP_CONTENTS, ID_APP_ABOUT});
    for (QMenu* windows : {liveWindows, imageWindows})
        QObject::connect(windows, &QMenu::aboutToShow, windows,
                         [this, windows] { fillWindowList(windows); });
}

void FrameMenus::fillWindowList(QMenu* menu)
{
    for (QAction* a : menu->actions())
        if (a->property(kWindowListItem).toBool())
        {
            menu->removeAction(a);
            a->deleteLater();
        }
    if (area_ == nullptr)
        return;
    auto mark = [](QAction* a) {
        a->setProperty(kWindowListItem, true);
        return a;
    };
    mark(menu->addSeparator());
    QAction* next = mark(menu->addAction(QString::fromUtf8(
        builtInText(languageIndex_, "&Next Window", "下一个窗口(&N)", "下一個視窗(&N)"))));
    // Shown only: the client area itself answers Ctrl+Tab.
    next->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    next->setShortcutContext(Qt::WidgetShortcut);
    const QList<QMdiSubWindow*> windows = area_->subWindowList();
    next->setEnabled(windows.size() > 1);
    QObject::connect(next, &QAction::triggered, area_, &QMdiArea::activateNextSubWindow);
    if (windows.isEmpty())
        return;
    mark(menu->addSeparator());
    QMdiSubWindow* active = area_->activeSubWindow();
    for (int i = 0; i < windows.size(); ++i)
    {
        QMdiSubWindow* window = windows[i];
        QString title = window->windowTitle();
        title.replace("&", "&&");
        // The first nine are chosen by their number as well.
        const QString text = i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(title)
                                   : QStringLiteral("%1 %2").arg(i + 1).arg(title);
        QAction* item = mark(menu->addAction(text));
        item->setCheckable(true);
        item->setChecked(window == active);
        QObject::connect(item, &QAction::triggered, window,
                         [area = area_, window] { area->setActiveSubWindow(window); });
    }
}

QMenu* FrameMenus::addMenu(MenuKind kind, const char* title)
{
    auto* menu = new QMenu(QString::fromUtf8(title), owner_);
    menu->installEventFilter(letters_);
    QObject::connect(menu, &QMenu::aboutToShow, &commands_, [this] { commands_.refresh(); });
    menus_[static_cast<int>(kind)].push_back(menu);
    return menu;
}

QMenu* FrameMenus::menu(MenuKind kind, int position) const
{
    const auto& list = menus_[static_cast<int>(kind)];
    return position >= 0 && position < static_cast<int>(list.size()) ? list[position] : nullptr;
}

void FrameMenus::show(MenuKind kind, QMenuBar* bar)
{
    shown_ = kind;
    bar->removeEventFilter(letters_);
    bar->installEventFilter(letters_);
    bar->clear();
    for (QMenu* m : menus_[static_cast<int>(kind)])
        bar->addMenu(m);
}

void FrameMenus::setItemTexts(MenuKind kind, const LanguageTexts& texts, const char* section,
                              const char* const* tops, int topCount,
                              std::initializer_list<std::pair<int, const char*>> items)
{
    for (int i = 0; i < topCount; ++i)
        if (QMenu* m = menu(kind, i))
            m->setTitle(qtext(texts, section, tops[i]));
    for (const auto& [id, key] : items)
        for (QMenu* m : menus_[static_cast<int>(kind)])
            setItemText(m, id, qtext(texts, section, key));
}

void FrameMenus::applyHelpTexts(MenuKind kind, int position, const LanguageTexts& texts)
{
    // The live and image menus borrow the main menu's texts for their Help menu.
    QMenu* help = menu(kind, position);
    if (help == nullptr)
        return;
    help->setTitle(qtext(texts, "MAINFRAME_MENU", "Help"));
    setItemText(help, ID_HELP_CONTENTS, qtext(texts, "MAINFRAME_MENU", "Help1"));
    setItemText(help, ID_APP_ABOUT, qtext(texts, "MAINFRAME_MENU", "About"));
}

void FrameMenus::applyMainTexts(const LanguageTexts& texts)
{
    static const char* const kTops[] = {"Device", "MLanguage", "Help"};
    setItemTexts(MenuKind::Main, texts, "MAINFRAME_MENU", kTops, 3,
                 {{ID_DEVICE_CONNECTDEVICE, "Connect"},
                  {ID_APP_EXIT, "Exit"},
                  {IDM_ENGLISHLANGUAGE, "MLanguageEnglish"},
                  {IDM_CHINESELANGUAGE, "MLanguageChinese"},
                  {IDM_FANTICHINESELANGUAGE, "MLanguageChineseFanti"},
                  {ID_HELP_CONTENTS, "Help1"},
                  {ID_APP_ABOUT, "About"}});
    // The image menu's text of Open serves wherever Open is.
    setItemText(menu(MenuKind::Main, 0), ID_FILE_OPEN,
                qtext(texts, "IMAGEFRAME_MENU", "IMFileOpen"));
}

void FrameMenus::applyVideoTexts(const LanguageTexts& texts, int languageIndex)
{
    // The cross-hair item has no key in the text files; its text comes with the program, in
    // the language of the text file in use.
    static const char* const kCrossLine[] = {"十字线(&X)", "Cross &Line", "十字線(&X)"};
    for (QMenu* m : menus_[static_cast<int>(MenuKind::Video)])
        setItemText(m, ID_VIDEO_CROSSLINE,
                    QString::fromUtf8(kCrossLine[languageIndex == 0   ? 0
                                                 : languageIndex == 1 ? 1
                                                                      : 2]));
    for (QMenu* m : menus_[static_cast<int>(MenuKind::Video)])
        for (const auto& [id, english, simplified, traditional] : kOverlayTexts)
            setItemText(
                m, id,
                QString::fromUtf8(builtInText(languageIndex, english, simplified, traditional)));
    static const char* const kTops[] = {"Video",  "View",      "Settings",
                                        "Adjust", "Operation", "VWindow"};
    setItemTexts(MenuKind::Video, texts, "VIDEOFRAME_MENU", kTops, 6,
                 {{ID_APP_EXIT, "VideoExit"},
                  {ID_VIEW_VIDEO_TOOLBAR, "ViewToolBar"},
                  {ID_VIEW_VIDEO_STATUSBAR, "ViewStatusBar"},
                  {ID_VIDEO_SHOWSIZEBAR, "SettingsSize"},
                  {ID_VIDEO_SHOWSETTINGBAR, "SettingsCapture"},
                  {ID_VIDEO_FILLWINDOW, "SettingsZoom"},
                  {ID_VIDEO_MANUALWB, "AdjustAE"},
                  {ID_VIDEO_SHOWCOLORBAR, "AdjustColor"},
                  {ID_VIDEO_CAPTURE, "OperationCapture"},
                  {ID_VIDEO_TIMERCAPTURE, "OperationTimerCapture"},
                  {ID_VIDEO_RECORD, "OperationRecord"},
                  {ID_VIDEO_SELECTCOMPRESSOR, "OperationSelectCodec"},
                  {ID_WINDOW_CASCADE, "VWindowCascade"},
                  {ID_WINDOW_TILE_HORZ, "VWindowTitleHorz"}});
    applyHelpTexts(MenuKind::Video, 6, texts);
    setItemText(menu(MenuKind::Video, 0), ID_FILE_OPEN,
                qtext(texts, "IMAGEFRAME_MENU", "IMFileOpen"));
}

void FrameMenus::applyImageTexts(const LanguageTexts& texts)
{
    static const char* const kTops[] = {"IMFile", "IMView", "IMOperation", "IMWindow",
                                        "IMSettings"};
    const char* section = "IMAGEFRAME_MENU";
    QMenu* operation = menu(MenuKind::Image, 2);
    if (QAction* circle = operation->actions().value(3); circle && circle->menu())
        circle->menu()->setTitle(qtext(texts, section, "IMOperationCircle"));
    if (QAction* ellipse = operation->actions().value(4); ellipse && ellipse->menu())
        ellipse->menu()->setTitle(qtext(texts, section, "IMOperationEllipse"));
    setItemTexts(MenuKind::Image, texts, section, kTops, 5,
                 {{ID_FILE_OPEN, "IMFileOpen"},
                  {ID_FILE_CLOSE, "IMFileClose"},
                  {ID_FILE_SAVE, "IMFileSave"},
                  {ID_FILE_SAVE_AS, "IMFileSaveAs"},
                  {ID_FILE_PRINT, "IMFilePrint"},
                  {ID_FILE_PRINT_PREVIEW, "IMFilePrintPreview"},
                  {ID_FILE_PRINT_SETUP, "IMFilePrintSetup"},
                  {ID_FILE_MRU_FILE1, "IMFileLatestFiles"},
                  {ID_APP_EXIT, "IMFileExit"},
                  {ID_VIEW_IMAGE_TOOLBAR, "IMViewToolBar"},
                  {ID_VIEW_IMAGE_STATUSBAR, "IMViewStatusBar"},
                  {ID_IMAGE_NORMAL, "IMOperationNormal"},
                  {ID_IMAGE_MESURE_LINE, "IMOperationLine"},
                  {ID_IMAGE_MEASURE_CIRCLE0, "IMOperationCircle0"},
                  {ID_IMAGE_MEASURE_CIRCLE1, "IMOperationCircle1"},
                  {ID_IMAGE_MEASURE_CIRCLE2, "IMOperationCircle2"},
                  {ID_IMAGE_MEASURE_ELLIPSE0, "IMOperationEllipse0"},
                  {ID_IMAGE_MEASURE_ELLIPSE1, "IMOperationEllipse1"},
                  {ID_IMAGE_MEASURE_RECT, "IMOperationRect"},
                  {ID_IMAGE_MEASURE_ANGLE, "IMOperationAngle"},
                  {ID_IMAGE_MEASURE_POLYLINE, "IMOperationPolygon"},
                  {ID_IMAGE_MEASURE_TEXT, "IMOperationText"},
                  {ID_IMAGE_MEASURE_DELETE, "IMOperationClearSelect"},
                  {ID_IMAGE_MEASURE_DELETEALL, "IMOperationClearAll"},
                  {ID_WINDOW_CASCADE, "IMWindowCascade"},
                  {ID_WINDOW_TILE_HORZ, "IMWindowTitleHorz"},
                  {ID_IMAGE_SETTINGS_RULER, "IMSettingsRuler"},
                  {ID_IMAGE_SETTINGS_PEN, "IMSettingsPen"},
                  {ID_IMAGE_SETTINGS_TEXT, "IMSettingsFont"}});
    // No language file has a text for the results table.
    for (QMenu* m : menus_[static_cast<int>(MenuKind::Image)])
    {
        setItemText(m, ID_VIEW_RESULTS,
                    QString::fromUtf8(
                        builtInText(languageIndex_, "&Results", "测量结果(&R)", "測量結果(&R)")));
        for (const auto& [id, english, simplified, traditional] : kOverlayTexts)
            setItemText(
                m, id,
                QString::fromUtf8(builtInText(languageIndex_, english, simplified, traditional)));
    }
    applyHelpTexts(MenuKind::Image, 5, texts);
}
