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
#include "app/shell/ui_text.h"

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
    items(device, {ID_FILE_IMPORT_PICTURE});
    addRecentMenu(MenuKind::Main, device);
    items(device, {0, ID_APP_EXIT});
    items(addMenu(MenuKind::Main, "Language(&H)"),
          {IDM_ENGLISHLANGUAGE, IDM_CHINESELANGUAGE, IDM_FANTICHINESELANGUAGE});
    items(addMenu(MenuKind::Main, "&Help"), {ID_HELP_CONTENTS, ID_APP_ABOUT});

    QMenu* video = addMenu(MenuKind::Video, "&Video");
    items(video, {ID_VIDEO_HIGHQUALITY, 0});
    commands_.addMenuItem(video, ID_FILE_OPEN, true);
    items(video, {ID_FILE_IMPORT_PICTURE});
    addRecentMenu(MenuKind::Video, video);
    items(video, {0, ID_APP_EXIT});
    items(addMenu(MenuKind::Video, "&View"), {ID_VIEW_VIDEO_TOOLBAR, ID_VIEW_VIDEO_STATUSBAR});
    items(addMenu(MenuKind::Video, "&Settings"),
          {ID_VIDEO_SHOWSIZEBAR, ID_VIDEO_SHOWSETTINGBAR, ID_VIDEO_FILLWINDOW, 0,
           ID_VIDEO_CROSSLINE, 0, ID_OVERLAY_SCALEBAR, ID_OVERLAY_CROSS, ID_OVERLAY_GRID,
           ID_OVERLAY_IN_CAPTURES, ID_OVERLAY_SETTINGS});
    items(addMenu(MenuKind::Video, "&Adjust"),
          {ID_VIDEO_MANUALWB, ID_VIDEO_SHOWCOLORBAR, ID_VIDEO_SHOWLEDBAR});
    items(addMenu(MenuKind::Video, "&Operation"),
          {ID_VIDEO_CAPTURE, ID_VIDEO_TIMERCAPTURE, ID_VIDEO_RECORD, ID_VIDEO_SELECTCOMPRESSOR});
    QMenu* liveWindows = addMenu(MenuKind::Video, "Window(&W)");
    items(liveWindows, {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ});
    // Help in every window's menus, last as in the main one.
    items(addMenu(MenuKind::Video, "&Help"), {ID_HELP_CONTENTS, ID_APP_ABOUT});

    QMenu* file = addMenu(MenuKind::Image, "&File");
    items(file, {ID_FILE_OPEN, ID_FILE_IMPORT_PICTURE, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS,
                 ID_FILE_EXPORT_CSV, ID_FILE_EXPORT_TIFF, 0, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW,
                 ID_FILE_PRINT_SETUP, 0});
    addRecentMenu(MenuKind::Image, file);
    items(file, {0, ID_APP_EXIT});
    items(addMenu(MenuKind::Image, "&Edit"), {ID_EDIT_UNDO_STEP, ID_EDIT_REDO_STEP});
    items(addMenu(MenuKind::Image, "&View"),
          {ID_VIEW_IMAGE_TOOLBAR, ID_VIEW_IMAGE_STATUSBAR, ID_VIEW_RESULTS, 0, ID_VIEW_ZOOM_IN,
           ID_VIEW_ZOOM_OUT, ID_VIEW_ACTUAL_SIZE, ID_VIEW_FIT_WINDOW, 0, ID_IMAGE_SCALEBAR});
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
          {ID_IMAGE_SETTINGS_RULER, ID_IMAGE_SETTINGS_PEN, ID_IMAGE_SETTINGS_TEXT, 0,
           ID_CALIBRATE_MICROMETER, ID_CALIBRATION_NEW_PROFILE, ID_CALIBRATION_DELETE_PROFILE});
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

void FrameMenus::setRecentFiles(std::function<QStringList()> list,
                                std::function<void(const QString&)> open)
{
    recentList_ = std::move(list);
    recentOpen_ = std::move(open);
    for (QMenu* recent : recent_)
        if (recent != nullptr)
            fillRecentMenu(recent);
}

void FrameMenus::addRecentMenu(MenuKind kind, QMenu* parent)
{
    QMenu* recent = parent->addMenu(QStringLiteral("Latest Files"));
    recent->installEventFilter(letters_);
    recent->menuAction()->setEnabled(false);
    // Filled when the menu above opens: a greyed submenu never says it is about to show.
    QObject::connect(parent, &QMenu::aboutToShow, recent,
                     [this, recent] { fillRecentMenu(recent); });
    recent_[static_cast<int>(kind)] = recent;
}

void FrameMenus::fillRecentMenu(QMenu* menu)
{
    menu->clear();
    const QStringList files = recentList_ ? recentList_() : QStringList();
    for (int i = 0; i < files.size(); ++i)
    {
        QString name = files[i];
        name.replace("&", "&&");
        QAction* item = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        item->setData(files[i]);
        // Queued: opening may show a message, and this menu is rebuilt while it is open.
        QObject::connect(
            item, &QAction::triggered, menu,
            [this, path = files[i]] {
                if (recentOpen_)
                    recentOpen_(path);
            },
            Qt::QueuedConnection);
    }
    menu->menuAction()->setEnabled(!files.isEmpty());
}

void FrameMenus::applyRecentTitles(MenuKind kind, const LanguageTexts& texts)
{
    if (QMenu* recent = recentMenu(kind))
        recent->setTitle(qtext(texts, "IMAGEFRAME_MENU", "IMFileLatestFiles"));
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
        if (QMenu* m = menu(kind, i); m != nullptr && tops[i] != nullptr)
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
    applyRecentTitles(MenuKind::Main, texts);
    applyExtraFileTexts(MenuKind::Main);
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
    // Nor have the lights bar's item and the overlay.
    for (QMenu* m : menus_[static_cast<int>(MenuKind::Video)])
    {
        setItemText(m, ID_VIDEO_SHOWLEDBAR,
                    uiText(languageIndex, "&Lights", "灯光(&L)", "燈光(&L)"));
        for (const auto& [id, english, simplified, traditional] : kOverlayTexts)
            setItemText(m, id, uiText(languageIndex, english, simplified, traditional));
    }
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
    applyRecentTitles(MenuKind::Video, texts);
    applyExtraFileTexts(MenuKind::Video);
}

void FrameMenus::applyExtraFileTexts(MenuKind kind)
{
    for (QMenu* m : menus_[static_cast<int>(kind)])
    {
        setItemText(m, ID_FILE_IMPORT_PICTURE,
                    QString::fromUtf8(builtInText(languageIndex_, "&Import Picture...",
                                                  "导入图片(&I)...", "匯入圖片(&I)...")));
        setItemText(m, ID_FILE_EXPORT_CSV,
                    QString::fromUtf8(builtInText(languageIndex_, "&Export CSV...",
                                                  "导出 CSV(&E)...", "匯出 CSV(&E)...")));
    }
}

void FrameMenus::applyImageTexts(const LanguageTexts& texts)
{
    // The Edit menu has no key in the text files.
    static const char* const kTops[] = {"IMFile",      nullptr,    "IMView",
                                        "IMOperation", "IMWindow", "IMSettings"};
    const char* section = "IMAGEFRAME_MENU";
    QMenu* operation = menu(MenuKind::Image, 3);
    if (QAction* circle = operation->actions().value(3); circle && circle->menu())
        circle->menu()->setTitle(qtext(texts, section, "IMOperationCircle"));
    if (QAction* ellipse = operation->actions().value(4); ellipse && ellipse->menu())
        ellipse->menu()->setTitle(qtext(texts, section, "IMOperationEllipse"));
    setItemTexts(MenuKind::Image, texts, section, kTops, 6,
                 {{ID_FILE_OPEN, "IMFileOpen"},
                  {ID_FILE_CLOSE, "IMFileClose"},
                  {ID_FILE_SAVE, "IMFileSave"},
                  {ID_FILE_SAVE_AS, "IMFileSaveAs"},
                  {ID_FILE_PRINT, "IMFilePrint"},
                  {ID_FILE_PRINT_PREVIEW, "IMFilePrintPreview"},
                  {ID_FILE_PRINT_SETUP, "IMFilePrintSetup"},
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
    // No language file has a text for the results table, the zoom, the calibration, Edit,
    // import and export.
    static constexpr BuiltInItem kBuiltIn[] = {
        {ID_VIEW_RESULTS, "&Results", "测量结果(&R)", "測量結果(&R)"},
        {ID_VIEW_ZOOM_IN, "Zoom &In", "放大(&I)", "放大(&I)"},
        {ID_VIEW_ZOOM_OUT, "Zoom &Out", "缩小(&O)", "縮小(&O)"},
        {ID_VIEW_ACTUAL_SIZE, "&Actual Size (100%)", "实际大小 100%(&A)", "實際大小 100%(&A)"},
        {ID_VIEW_FIT_WINDOW, "&Fit to Window", "适合窗口(&F)", "適合視窗(&F)"},
        {ID_CALIBRATE_MICROMETER, "Calibrate from &Micrometer...", "用测微尺标定(&M)...",
         "用測微尺標定(&M)..."},
        {ID_CALIBRATION_NEW_PROFILE, "&New Calibration Profile...", "新建标定方案(&N)...",
         "新建標定方案(&N)..."},
        {ID_CALIBRATION_DELETE_PROFILE, "&Delete Calibration Profile", "删除标定方案(&D)",
         "刪除標定方案(&D)"},
    };
    for (QMenu* m : menus_[static_cast<int>(MenuKind::Image)])
    {
        for (const BuiltInItem& item : kBuiltIn)
            setItemText(m, item.id,
                        uiText(languageIndex_, item.english, item.simplified, item.traditional));
        for (const auto& [id, english, simplified, traditional] : kOverlayTexts)
            setItemText(m, id, uiText(languageIndex_, english, simplified, traditional));
    }
    if (QMenu* edit = menu(MenuKind::Image, 1))
        edit->setTitle(uiText(languageIndex_, "&Edit", "编辑(&E)", "編輯(&E)"));
    applyExtraFileTexts(MenuKind::Image);
    applyHelpTexts(MenuKind::Image, 6, texts);
    applyRecentTitles(MenuKind::Image, texts);
}
