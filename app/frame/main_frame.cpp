#include "app/frame/main_frame.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolBar>
#include <QUrl>

#include "app/bars/dialog_bar.h"
#include "app/controls/client_wnd.h"
#include "app/controls/font_combo.h"
#include "app/controls/pen_style_combo.h"
#include "app/controls/sp_status_bar.h"
#include "app/documents/document_manager.h"
#include "app/frame/tool_pictures.h"
#include "app/image/image_window.h"
#include "app/live/camera_session.h"
#include "app/live/video_window.h"
#include "app/shell/command_ids.h"
#include "app/shell/command_target.h"
#include "app/shell/events.h"
#include "app/shell/gbk_text.h"
#include "app/shell/work_folders.h"

using namespace cmd;

namespace {

constexpr int kToolTipLimit = 79;
constexpr int kTextSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr int kPrecisionCount = 7;

// Command names shown until the language texts arrive, and for commands without a text key.
struct CommandInfo
{
    int id;
    const char* name;
};
constexpr CommandInfo kCommands[] = {
    {ID_DEVICE_CONNECTDEVICE, "Connect"},
    {ID_APP_EXIT, "Exit"},
    {ID_APP_ABOUT, "About"},
    {ID_HELP_CONTENTS, "Help"},
    {IDM_ENGLISHLANGUAGE, "English"},
    {IDM_CHINESELANGUAGE, "Simple Chinese"},
    {IDM_FANTICHINESELANGUAGE, "Traditional Chinese"},
    {ID_CAPTURE_MEASURE, "Capture to Measure"},
    {ID_VIDEO_CAPTURE, "Capture"},
    {ID_VIDEO_TIMERCAPTURE, "Timer Capture"},
    {ID_CAPTURE_SETTING, "Capture Settings"},
    {ID_VIDEO_RECORD, "Record"},
    {ID_BUTTON_RecordSetting, "Record Settings"},
    {ID_VIDEO_MANUALWB, "White Balance"},
    {ID_VIDEO_SHOWCOLORBAR, "Colour"},
    {ID_VIDEO_SHOWSIZEBAR, "Size"},
    {ID_VIDEO_FILLWINDOW, "Zoom"},
    {ID_BUTTON_ALLBTN, "All Video Bars"},
    {ID_BUTTON_FREEZE, "Freeze"},
    {ID_VIDEO_SHOWSETTINGBAR, "Capture"},
    {ID_VIDEO_SHOWLEDBAR, "Lights"},
    {ID_VIDEO_SELECTCOMPRESSOR, "Select Code"},
    {ID_VIDEO_HIGHQUALITY, "High Quality"},
    {ID_VIDEO_CROSSLINE, "Cross Line"},
    {ID_VIEW_VIDEO_TOOLBAR, "ToolBar"},
    {ID_VIEW_VIDEO_STATUSBAR, "StatusBar"},
    {ID_WINDOW_CASCADE, "Cascade"},
    {ID_WINDOW_TILE_HORZ, "Tile Horz"},
    {ID_FILE_OPEN, "Open"},
    {ID_FILE_CLOSE, "Close"},
    {ID_FILE_SAVE, "Save"},
    {ID_FILE_SAVE_AS, "Save As..."},
    {ID_FILE_PRINT, "Print"},
    {ID_FILE_PRINT_PREVIEW, "Print Preview"},
    {ID_FILE_PRINT_SETUP, "Print Setup"},
    {ID_FILE_MRU_FILE1, "Latest Files"},
    {ID_RETURN_VIDEO, "Return to Video"},
    {ID_VIEW_IMAGE_TOOLBAR, "ToolBar"},
    {ID_VIEW_IMAGE_STATUSBAR, "StatusBar"},
    {ID_IMAGE_NORMAL, "Normal"},
    {ID_IMAGE_ZOOM, "Magnifier"},
    {ID_IMAGE_MESURE_LINE, "Line"},
    {ID_IMAGE_MEASURE_CIRCLE0, "Circle: Two Points"},
    {ID_IMAGE_MEASURE_CIRCLE1, "Circle: Centre and Radius"},
    {ID_IMAGE_MEASURE_CIRCLE2, "Circle: Three Points"},
    {ID_IMAGE_MEASURE_ELLIPSE0, "Ellipse: Two Points"},
    {ID_IMAGE_MEASURE_ELLIPSE1, "Ellipse: Centre and Point"},
    {ID_IMAGE_MEASURE_RECT, "Rectangle"},
    {ID_IMAGE_MEASURE_ANGLE, "Angle"},
    {ID_IMAGE_MEASURE_POLYLINE, "Polygon"},
    {ID_IMAGE_MEASURE_TEXT, "Text"},
    {ID_IMAGE_MEASURE_DELETE, "Clear Select"},
    {ID_IMAGE_MEASURE_DELETEALL, "Clear All"},
    {ID_IMAGE_SETTINGS_RULER, "Ruler"},
    {ID_IMAGE_SETTINGS_PEN, "Color"},
    {ID_IMAGE_SETTINGS_TEXT, "Font"},
    {ID_BUTTON_IMAGEALL, "All Image Bars"},
};

constexpr int kVideoButtons[] = {
    ID_CAPTURE_MEASURE,   ID_VIDEO_CAPTURE,        ID_VIDEO_TIMERCAPTURE, ID_CAPTURE_SETTING,
    ID_VIDEO_RECORD,      ID_BUTTON_RecordSetting, ID_VIDEO_MANUALWB,     ID_VIDEO_SHOWCOLORBAR,
    ID_VIDEO_SHOWSIZEBAR, ID_VIDEO_FILLWINDOW,     ID_BUTTON_ALLBTN,      ID_BUTTON_FREEZE};
// 0 marks a separator.
constexpr int kImageButtons[] = {ID_FILE_OPEN,
                                 ID_FILE_SAVE,
                                 ID_RETURN_VIDEO,
                                 0,
                                 ID_IMAGE_NORMAL,
                                 ID_IMAGE_MEASURE_DELETE,
                                 ID_IMAGE_MEASURE_DELETEALL,
                                 ID_IMAGE_ZOOM,
                                 0,
                                 ID_IMAGE_MESURE_LINE,
                                 ID_IMAGE_MEASURE_CIRCLE1,
                                 ID_IMAGE_MEASURE_CIRCLE0,
                                 ID_IMAGE_MEASURE_CIRCLE2,
                                 0,
                                 ID_IMAGE_MEASURE_ELLIPSE1,
                                 ID_IMAGE_MEASURE_ELLIPSE0,
                                 ID_IMAGE_MEASURE_RECT,
                                 ID_IMAGE_MEASURE_ANGLE,
                                 ID_IMAGE_MEASURE_POLYLINE,
                                 0,
                                 ID_IMAGE_MEASURE_TEXT,
                                 ID_IMAGE_SETTINGS_TEXT,
                                 ID_IMAGE_SETTINGS_RULER,
                                 ID_IMAGE_SETTINGS_PEN,
                                 ID_BUTTON_IMAGEALL};

// Commands whose behaviour is in place; the others stay disabled.
constexpr int kHandledCommands[] = {ID_DEVICE_CONNECTDEVICE,
                                    ID_APP_EXIT,
                                    ID_APP_ABOUT,
                                    ID_HELP_CONTENTS,
                                    IDM_ENGLISHLANGUAGE,
                                    IDM_CHINESELANGUAGE,
                                    IDM_FANTICHINESELANGUAGE,
                                    ID_CAPTURE_SETTING,
                                    ID_BUTTON_RecordSetting,
                                    ID_VIDEO_SHOWCOLORBAR,
                                    ID_VIDEO_SHOWSIZEBAR,
                                    ID_BUTTON_ALLBTN,
                                    ID_VIDEO_SHOWSETTINGBAR,
                                    ID_VIDEO_SHOWLEDBAR,
                                    ID_VIEW_VIDEO_TOOLBAR,
                                    ID_VIEW_VIDEO_STATUSBAR,
                                    ID_WINDOW_CASCADE,
                                    ID_WINDOW_TILE_HORZ,
                                    ID_FILE_OPEN,
                                    ID_FILE_CLOSE,
                                    ID_VIEW_IMAGE_TOOLBAR,
                                    ID_VIEW_IMAGE_STATUSBAR,
                                    ID_IMAGE_ZOOM,
                                    ID_IMAGE_SETTINGS_RULER,
                                    ID_IMAGE_SETTINGS_PEN,
                                    ID_IMAGE_SETTINGS_TEXT,
                                    ID_BUTTON_IMAGEALL,
                                    ID_RETURN_VIDEO,
                                    ID_VIDEO_MANUALWB};

QStringList unitWords(int language)
{
    switch (language)
    {
    case 0:
    case 2:
        return {"微米", "毫米", "厘米", "米", "英寸"};
    case 1:
        return {"UM", "MM", "CM", "M", "INCH"};
    default:
        return {};
    }
}

void setComboItems(QComboBox* combo, const QStringList& items, int selected)
{
    combo->blockSignals(true);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(selected >= 0 && selected < combo->count() ? selected : -1);
    combo->blockSignals(false);
}

QLabel* addLabel(DialogBar* bar, QLayout* layout, const char* section, const char* key)
{
    auto* label = new QLabel(bar);
    bar->bindText(label, section, key);
    layout->addWidget(label);
    return label;
}

QSlider* horizontalSlider(QWidget* parent)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setMinimumWidth(110);
    return slider;
}

} // namespace

CMainFrame::CMainFrame(const FrameServices& services) : services_(services)
{
    loadSettings(services_.settingsStore, settings_, services_.folders.captures,
                 services_.folders.records);
    videoSideBars_ = settings_.showVideoSizeBar || settings_.showVideoColorBar ||
                     settings_.showMainSettingsBar || settings_.showVideoLedBar ||
                     settings_.showVideoSettingBar || settings_.showVideoRecordSettingBar;
    imageSideBars_ = settings_.showImageRulerBar || settings_.showImagePenBar ||
                     settings_.showImageTextBar || settings_.showImageZoomBar;
    // The ruler definition bar always starts hidden.
    settings_.showImageRulerMeasureBar = 0;
}

CMainFrame::~CMainFrame()
{
    saveSettings(services_.settingsStore, settings_);
    // Closing the children below must not reach a frame that is half gone.
    if (client_ != nullptr)
        disconnect(client_, nullptr, this, nullptr);
    services_.documents.setClientArea(nullptr);
}

bool CMainFrame::LoadFrame()
{
    client_ = new CClientWnd(this);
    client_->setMainFrame(this);
    setCentralWidget(client_);
    services_.documents.setClientArea(client_);
    setDockNestingEnabled(true);
    connect(client_, &QMdiArea::subWindowActivated, this, [this] { onActiveWindowChanged(); });

    createActions();
    createMenus();
    if (!createStatusBar())
        return false;
    createToolBars();
    createDialogBars();

    videoToolBar_->hide();
    imageToolBar_->hide();
    for (QToolBar* host : hosts_)
        host->hide();
    statusBar_->hide();
    showMenu(MenuKind::Main);
    updateCommandStates();

    // The mark that later copies look for.
    setProperty("MeasureTool", 1);
    return true;
}

QAction* CMainFrame::action(int commandId) const
{
    auto it = actions_.find(commandId);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::createActions()
{
    for (const CommandInfo& info : kCommands)
    {
        auto* action = new QAction(QString::fromUtf8(info.name), this);
        action->setData(info.id);
        action->setEnabled(false);
        actions_[info.id] = action;
    }
    for (int id : kHandledCommands)
        actions_[id]->setEnabled(true);
    for (int id : {IDM_ENGLISHLANGUAGE,       IDM_CHINESELANGUAGE,
                   IDM_FANTICHINESELANGUAGE,  ID_CAPTURE_SETTING,
                   ID_BUTTON_RecordSetting,   ID_VIDEO_SHOWCOLORBAR,
                   ID_VIDEO_SHOWSIZEBAR,      ID_BUTTON_ALLBTN,
                   ID_VIDEO_SHOWSETTINGBAR,   ID_VIDEO_SHOWLEDBAR,
                   ID_VIEW_VIDEO_TOOLBAR,     ID_VIEW_VIDEO_STATUSBAR,
                   ID_VIDEO_MANUALWB,         ID_VIEW_IMAGE_TOOLBAR,
                   ID_VIEW_IMAGE_STATUSBAR,   ID_IMAGE_ZOOM,
                   ID_IMAGE_SETTINGS_RULER,   ID_IMAGE_SETTINGS_PEN,
                   ID_IMAGE_SETTINGS_TEXT,    ID_BUTTON_IMAGEALL,
                   ID_VIDEO_TIMERCAPTURE,     ID_VIDEO_RECORD,
                   ID_VIDEO_FILLWINDOW,       ID_BUTTON_FREEZE,
                   ID_IMAGE_NORMAL,           ID_IMAGE_MESURE_LINE,
                   ID_IMAGE_MEASURE_CIRCLE0,  ID_IMAGE_MEASURE_CIRCLE1,
                   ID_IMAGE_MEASURE_CIRCLE2,  ID_IMAGE_MEASURE_ELLIPSE0,
                   ID_IMAGE_MEASURE_ELLIPSE1, ID_IMAGE_MEASURE_RECT,
                   ID_IMAGE_MEASURE_ANGLE,    ID_IMAGE_MEASURE_POLYLINE,
                   ID_IMAGE_MEASURE_TEXT})
        actions_[id]->setCheckable(true);

    auto on = [this](int id, auto handler) {
        connect(actions_[id], &QAction::triggered, this, [this, handler] {
            handler();
            updateCommandStates();
        });
    };
    on(ID_DEVICE_CONNECTDEVICE, [this] { OnConnect(); });
    on(ID_APP_EXIT, [this] { close(); });
    on(ID_APP_ABOUT, [this] { services_.application.onCommand(ID_APP_ABOUT); });
    on(ID_HELP_CONTENTS, [this] { OnHelpContents(); });
    on(IDM_CHINESELANGUAGE, [this] { services_.application.onCommand(IDM_CHINESELANGUAGE); });
    on(IDM_ENGLISHLANGUAGE, [this] { services_.application.onCommand(IDM_ENGLISHLANGUAGE); });
    on(IDM_FANTICHINESELANGUAGE,
       [this] { services_.application.onCommand(IDM_FANTICHINESELANGUAGE); });
    on(ID_FILE_OPEN, [this] { services_.application.onCommand(ID_FILE_OPEN); });
    on(ID_FILE_CLOSE, [this] {
        if (QMdiSubWindow* active = client_->activeSubWindow())
            active->close();
    });
    on(ID_WINDOW_CASCADE, [this] { client_->cascadeSubWindows(); });
    on(ID_WINDOW_TILE_HORZ, [this] { client_->tileSubWindows(); });
    on(ID_CAPTURE_SETTING, [this] { ToggleBar(CaptureBar); });
    on(ID_BUTTON_RecordSetting, [this] { ToggleBar(RecordBar); });
    on(ID_VIDEO_SHOWCOLORBAR, [this] { ToggleBar(ColorBar); });
    on(ID_VIDEO_SHOWSIZEBAR, [this] { ToggleBar(SizeBar); });
    on(ID_VIDEO_SHOWLEDBAR, [this] { ToggleBar(LedBar); });
    on(ID_VIDEO_MANUALWB, [this] {
        if (services_.camera.isOpen())
            ToggleBar(VideoSettingBar);
    });
    on(ID_VIDEO_SHOWSETTINGBAR, [] {});
    on(ID_VIEW_VIDEO_TOOLBAR, [this] { ToggleVideoToolBar(); });
    on(ID_VIEW_VIDEO_STATUSBAR, [this] { ToggleStatusBar(true); });
    on(ID_BUTTON_ALLBTN, [this] { OnAllButtons(); });
    on(ID_BUTTON_IMAGEALL, [this] { OnImageAllButtons(); });
    on(ID_VIEW_IMAGE_TOOLBAR, [this] {
        const bool shown = imageToolBar_->isHidden();
        imageToolBar_->setVisible(shown);
        settings_.showImageToolBar = shown;
    });
    on(ID_VIEW_IMAGE_STATUSBAR, [this] { ToggleStatusBar(false); });
    on(ID_IMAGE_ZOOM, [this] { ToggleBar(ZoomBar); });
    on(ID_IMAGE_SETTINGS_RULER, [this] { ToggleBar(RulerMeasureBar); });
    on(ID_IMAGE_SETTINGS_PEN, [this] { ToggleBar(PenBar); });
    on(ID_IMAGE_SETTINGS_TEXT, [this] {
        ToggleBar(TextBar);
        if (!hosts_[TextBar]->isHidden())
            setBarShown(ZoomBar, false);
    });
    on(ID_RETURN_VIDEO, [this] { services_.documents.FindVideoFrame(); });
}

void CMainFrame::createMenus()
{
    auto item = [this](QMenu* menu, int id) {
        // Menus keep texts of their own, so each item is its own action forwarding to the
        // command's action (shared with the tool bars).
        auto* entry = menu->addAction(actions_.at(id)->text());
        entry->setData(id);
        connect(entry, &QAction::triggered, actions_.at(id), &QAction::trigger);
        return entry;
    };
    auto top = [this](MenuKind kind) {
        auto* menu = new QMenu(this);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
        menus_[static_cast<int>(kind)].push_back(menu);
        return menu;
    };

    QMenu* m = top(MenuKind::Main);
    m->setTitle("&Device");
    item(m, ID_DEVICE_CONNECTDEVICE);
    m->addSeparator();
    item(m, ID_APP_EXIT);
    m = top(MenuKind::Main);
    m->setTitle("Language(&H)");
    item(m, IDM_ENGLISHLANGUAGE);
    item(m, IDM_CHINESELANGUAGE);
    item(m, IDM_FANTICHINESELANGUAGE);
    m = top(MenuKind::Main);
    m->setTitle("&Help");
    item(m, ID_HELP_CONTENTS);
    item(m, ID_APP_ABOUT);

    m = top(MenuKind::Video);
    m->setTitle("&Video");
    item(m, ID_VIDEO_HIGHQUALITY);
    m->addSeparator();
    item(m, ID_APP_EXIT);
    m = top(MenuKind::Video);
    m->setTitle("&View");
    item(m, ID_VIEW_VIDEO_TOOLBAR);
    item(m, ID_VIEW_VIDEO_STATUSBAR);
    m = top(MenuKind::Video);
    m->setTitle("&Settings");
    item(m, ID_VIDEO_SHOWSIZEBAR);
    item(m, ID_VIDEO_SHOWSETTINGBAR);
    item(m, ID_VIDEO_FILLWINDOW);
    m = top(MenuKind::Video);
    m->setTitle("&Adjust");
    item(m, ID_VIDEO_MANUALWB);
    item(m, ID_VIDEO_SHOWCOLORBAR);
    m = top(MenuKind::Video);
    m->setTitle("&Operation");
    item(m, ID_VIDEO_CAPTURE);
    item(m, ID_VIDEO_TIMERCAPTURE);
    item(m, ID_VIDEO_RECORD);
    item(m, ID_VIDEO_SELECTCOMPRESSOR);
    m = top(MenuKind::Video);
    m->setTitle("Window(&W)");
    item(m, ID_WINDOW_CASCADE);
    item(m, ID_WINDOW_TILE_HORZ);

    m = top(MenuKind::Image);
    m->setTitle("&File");
    for (int id : {ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS})
        item(m, id);
    m->addSeparator();
    for (int id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP})
        item(m, id);
    m->addSeparator();
    item(m, ID_FILE_MRU_FILE1);
    m->addSeparator();
    item(m, ID_APP_EXIT);
    m = top(MenuKind::Image);
    m->setTitle("&View");
    item(m, ID_VIEW_IMAGE_TOOLBAR);
    item(m, ID_VIEW_IMAGE_STATUSBAR);
    m = top(MenuKind::Image);
    m->setTitle("&Operation");
    item(m, ID_IMAGE_NORMAL);
    m->addSeparator();
    item(m, ID_IMAGE_MESURE_LINE);
    QMenu* circle = m->addMenu("Circle");
    for (int id : {ID_IMAGE_MEASURE_CIRCLE0, ID_IMAGE_MEASURE_CIRCLE1, ID_IMAGE_MEASURE_CIRCLE2})
        item(circle, id);
    QMenu* ellipse = m->addMenu("Ellipse");
    for (int id : {ID_IMAGE_MEASURE_ELLIPSE0, ID_IMAGE_MEASURE_ELLIPSE1})
        item(ellipse, id);
    for (int id : {ID_IMAGE_MEASURE_RECT, ID_IMAGE_MEASURE_ANGLE, ID_IMAGE_MEASURE_POLYLINE,
                   ID_IMAGE_MEASURE_TEXT})
        item(m, id);
    m->addSeparator();
    item(m, ID_IMAGE_MEASURE_DELETE);
    item(m, ID_IMAGE_MEASURE_DELETEALL);
    m = top(MenuKind::Image);
    m->setTitle("&Window");
    item(m, ID_WINDOW_CASCADE);
    item(m, ID_WINDOW_TILE_HORZ);
    m = top(MenuKind::Image);
    m->setTitle("&Settings");
    item(m, ID_IMAGE_SETTINGS_RULER);
    item(m, ID_IMAGE_SETTINGS_PEN);
    item(m, ID_IMAGE_SETTINGS_TEXT);
}

QMenu* CMainFrame::menu(MenuKind kind, int position) const
{
    const auto& list = menus_[static_cast<int>(kind)];
    return position >= 0 && position < static_cast<int>(list.size()) ? list[position] : nullptr;
}

void CMainFrame::showMenu(MenuKind kind)
{
    shownMenu_ = kind;
    QMenuBar* bar = menuBar();
    bar->clear();
    for (QMenu* m : menus_[static_cast<int>(kind)])
        bar->addMenu(m);
}

bool CMainFrame::createStatusBar()
{
    statusBar_ = new CSPStatusBar(this);
    setStatusBar(statusBar_);
    const unsigned ids[kPaneCount] = {0, 0, 0, 0, 0, 0, 0, 0};
    if (!statusBar_->SetPanes(ids, kPaneCount))
        return false;
    statusBar_->EnableCustomPaint(1);
    const int widths[kPaneCount] = {0, 150, 100, 130, 50, 120, 120, 80};
    for (int i = 0; i < kPaneCount; ++i)
        statusBar_->SetPaneInfo(i, widths[i], i == 0);
    statusBar_->SetPaneText(2, "X: 0  Y: 0");
    applyStatusTexts();
    return true;
}

void CMainFrame::applyStatusTexts()
{
    static const char* const kEnglish[] = {" AOI ", " High Quality ", " Video Record ",
                                           "Replaying"};
    static const char* const kChinese[] = {" AOI ", " 高质量 ", " 视频录影 ", "景深回放"};
    const char* const* texts = services_.languages.index() == 0 ? kChinese : kEnglish;
    for (int pane = 4; pane < kPaneCount; ++pane)
    {
        statusBar_->SetPaneColours(pane, kPaneInactiveBackground, kPaneInactiveText);
        statusBar_->SetPaneText(pane, QString::fromUtf8(texts[pane - 4]));
    }
}

void CMainFrame::SetPaneText(int pane, const QString& text)
{
    statusBar_->SetPaneText(pane, text);
}

void CMainFrame::SetPaneColours(int pane, COLORREF background, COLORREF text)
{
    statusBar_->SetPaneColours(pane, background, text);
}

void CMainFrame::createToolBars()
{
    auto make = [this](const QString& name, const int* ids, size_t count) {
        auto* bar = addToolBar(name);
        bar->setObjectName(name);
        bar->setIconSize(QSize(32, 32));
        bar->setMovable(false);
        for (size_t i = 0; i < count; ++i)
        {
            if (ids[i] == 0)
            {
                bar->addSeparator();
                continue;
            }
            QAction* a = actions_.at(ids[i]);
            a->setIcon(toolIcon(ids[i]));
            bar->addAction(a);
        }
        return bar;
    };
    videoToolBar_ = make("videoToolBar", kVideoButtons, std::size(kVideoButtons));
    videoToolBar_->setProperty("resourceId", IDR_VIDEOTYPE);
    imageToolBar_ = make("imageToolBar", kImageButtons, std::size(kImageButtons));
    imageToolBar_->setProperty("resourceId", IDR_IMAGETYPE);
    addToolBarBreak(Qt::TopToolBarArea);
}

QToolBar* CMainFrame::addBand(Bar which, DialogBar* content)
{
    auto* host = new QToolBar(this);
    host->setObjectName(QStringLiteral("band%1").arg(content->resourceId()));
    host->setMovable(false);
    host->setFloatable(false);
    host->setAutoFillBackground(true);
    QPalette p = host->palette();
    p.setColor(QPalette::Window, QColor(GetRValue(kBandBackground), GetGValue(kBandBackground),
                                        GetBValue(kBandBackground)));
    host->setPalette(p);
    host->addWidget(content);
    addToolBar(Qt::TopToolBarArea, host);
    bars_[which] = content;
    hosts_[which] = host;
    return host;
}

void CMainFrame::createDialogBars()
{
    // Capture bar first: the capture settings are on it from the start.
    auto* capture = new DialogBar(IDD_CAPTUREBAR);
    {
        QGroupBox* box = capture->group("DLGBAR_SETTINGS", "SettingsCapture");
        auto* grid = new QGridLayout(box);
        auto* saveToDisk = capture->add(IDC_CAPTURE_SAVETODISK, new QCheckBox(box));
        capture->bindText(saveToDisk, "DLGBAR_SETTINGS", "SettingsSaveToDisk");
        saveToDisk->setChecked(settings_.saveToDisk);
        auto* autoInc = capture->add(IDC_CAPTURE_AUTOINC, new QCheckBox(box));
        capture->bindText(autoInc, "DLGBAR_SETTINGS", "SettingsCaptureAutoInc");
        autoInc->setVisible(false);
        auto* nameLabel = new QLabel(box);
        capture->bindText(nameLabel, "DLGBAR_SETTINGS", "SettingsCaptureName");
        auto* pathLabel = new QLabel(box);
        capture->bindText(pathLabel, "DLGBAR_SETTINGS", "SettingsCapturePath");
        auto* name = capture->add(IDC_CAPTURE_NAME, new QLineEdit(box));
        auto* path = capture->add(IDC_CAPTURE_PATH, new QLineEdit(box));
        path->setMinimumWidth(160);
        auto* browse = capture->add(IDC_CAPTURE_BROWSE, new QPushButton("...", box));
        browse->setMaximumWidth(28);
        auto* open = capture->add(IDC_CAPTURE_OPENPATH, new QPushButton(box));
        capture->bindText(open, "Others", "OpenRecordPath");
        auto* formatLabel = new QLabel(box);
        capture->bindText(formatLabel, "DLGBAR_SETTINGS", "SettingsCaptureImageFormat");
        auto* jpeg = capture->add(IDC_CAPTURE_JPEG, new QRadioButton("Jpeg", box));
        auto* bmp = capture->add(IDC_CAPTURE_BMP, new QRadioButton("Bmp", box));
        grid->addWidget(saveToDisk, 0, 0, 1, 2);
        grid->addWidget(nameLabel, 1, 0);
        grid->addWidget(name, 1, 1);
        grid->addWidget(pathLabel, 2, 0);
        grid->addWidget(path, 2, 1);
        grid->addWidget(browse, 2, 2);
        grid->addWidget(open, 2, 3);
        grid->addWidget(formatLabel, 3, 0);
        grid->addWidget(jpeg, 3, 1);
        grid->addWidget(bmp, 3, 2);
        grid->addWidget(autoInc, 4, 0);

        QGroupBox* timer = capture->group("DLGBAR_SETTINGS", "SettingsTimerCapture");
        auto* tgrid = new QGridLayout(timer);
        auto* intervalLabel = new QLabel(timer);
        capture->bindText(intervalLabel, "DLGBAR_SETTINGS", "SettingsCaptureInterval");
        auto* interval = capture->add(IDC_CAPTURE_INTERVAL, new QLineEdit(timer));
        interval->setMaximumWidth(50);
        auto* unit = new QLabel(timer);
        capture->bindText(unit, "DLGBAR_SETTINGS", "SettingsCaptureUnit");
        auto* limit = capture->add(IDC_CAPTURE_LIMIT, new QCheckBox(timer));
        capture->bindText(limit, "DLGBAR_SETTINGS", "SettingsLimitNum");
        auto* count = capture->add(IDC_CAPTURE_COUNT, new QLineEdit(timer));
        count->setMaximumWidth(50);
        auto* times = new QLabel(timer);
        capture->bindText(times, "DLGBAR_SETTINGS", "SettingsCaptureTimes");
        tgrid->addWidget(intervalLabel, 0, 0);
        tgrid->addWidget(interval, 0, 1);
        tgrid->addWidget(unit, 0, 2);
        tgrid->addWidget(limit, 1, 0);
        tgrid->addWidget(count, 1, 1);
        tgrid->addWidget(times, 1, 2);
        auto* note = capture->add(IDC_CAPTURE_NOTE, new QLabel(capture));
        capture->bindText(note, "DLGBAR_SETTINGS", "SettingsNote");
        note->setWordWrap(true);
        note->setMaximumWidth(160);
        capture->row()->addWidget(note);

        connect(browse, &QPushButton::clicked, this, [this, path] {
            const QString chosen = QFileDialog::getExistingDirectory(
                this, QString(), QString::fromStdString(settings_.capturePath));
            if (!chosen.isEmpty())
                settings_.capturePath = QDir::toNativeSeparators(chosen).toStdString();
            path->setText(QString::fromStdString(settings_.capturePath));
        });
        connect(open, &QPushButton::clicked, this, [this] {
            QDesktopServices::openUrl(
                QUrl::fromLocalFile(QString::fromStdString(settings_.capturePath)));
        });
        connect(limit, &QCheckBox::toggled, count, &QWidget::setEnabled);
    }

    auto* record = new DialogBar(IDD_RECORDBAR);
    {
        QGroupBox* box = record->group("DLGBAR_SETTINGS", "SettingsRecord");
        auto* grid = new QGridLayout(box);
        auto* nameLabel = new QLabel(box);
        record->bindText(nameLabel, "DLGBAR_SETTINGS", "SettingsRecordName");
        auto* pathLabel = new QLabel(box);
        record->bindText(pathLabel, "DLGBAR_SETTINGS", "SettingsRecordPath");
        auto* name = record->add(IDC_RECORD_NAME, new QLineEdit(box));
        name->setText(QString::fromStdString(settings_.recordName));
        auto* path = record->add(IDC_RECORD_PATH, new QLineEdit(box));
        path->setMinimumWidth(160);
        path->setText(QString::fromStdString(settings_.recordPath));
        auto* browse = record->add(IDC_RECORD_BROWSE, new QPushButton("...", box));
        browse->setMaximumWidth(28);
        auto* open = record->add(IDC_RECORD_OPENPATH, new QPushButton(box));
        record->bindText(open, "DLGBAR_SETTINGS", "SettingsRecordOpenPath");
        auto* compressor = record->add(IDC_RECORD_COMPRESSOR, new QPushButton(box));
        record->bindText(compressor, "DLGBAR_SETTINGS", "SettingsSelect");
        compressor->setEnabled(false);
        grid->addWidget(nameLabel, 0, 0);
        grid->addWidget(name, 0, 1);
        grid->addWidget(compressor, 0, 2, 1, 2);
        grid->addWidget(pathLabel, 1, 0);
        grid->addWidget(path, 1, 1);
        grid->addWidget(browse, 1, 2);
        grid->addWidget(open, 1, 3);
        connect(browse, &QPushButton::clicked, this, [this, path] {
            const QString chosen = QFileDialog::getExistingDirectory(
                this, QString(), QString::fromStdString(settings_.recordPath));
            if (!chosen.isEmpty())
                settings_.recordPath = QDir::toNativeSeparators(chosen).toStdString();
            path->setText(QString::fromStdString(settings_.recordPath));
        });
        connect(open, &QPushButton::clicked, this, [this] {
            QDesktopServices::openUrl(
                QUrl::fromLocalFile(QString::fromStdString(settings_.recordPath)));
        });
    }

    auto* size = new DialogBar(IDD_SIZEBAR);
    {
        QGroupBox* box = size->group("TOOL_CLASS", "ClassVideoSize");
        auto* row = new QHBoxLayout(box);
        addLabel(size, row, "DLGBAR_SIZE", "DlgVideoSize");
        auto* group = new QButtonGroup(size);
        const int ids[] = {IDC_SIZE_320, IDC_SIZE_640, IDC_SIZE_1280, IDC_SIZE_1600, IDC_SIZE_2048};
        const char* names[] = {"320X240", "640X480", "1280X1024", "1600X1200", "2048X1536"};
        for (int i = 0; i < 5; ++i)
        {
            auto* radio = size->add(ids[i], new QRadioButton(names[i], box));
            radio->setChecked(i == settings_.captureSizeIndex);
            group->addButton(radio, i);
            row->addWidget(radio);
        }
    }

    auto* led = new DialogBar(IDD_LEDBAR);
    {
        QGroupBox* box = led->group("DLGBAR_LED", "LightSettingTitle");
        auto* grid = new QGridLayout(box);
        auto lightButton = [&](int id, const char* key) {
            auto* button = led->add(id, new QPushButton(box));
            button->setCheckable(true);
            led->bindText(button, "DLGBAR_LED", key);
            return button;
        };
        auto* top = new QLabel(box);
        led->bindText(top, "DLGBAR_LED", "TopLightTitle");
        auto* bottom = new QLabel(box);
        led->bindText(bottom, "DLGBAR_LED", "BottomLightTitle");
        auto* laser = new QLabel(box);
        led->bindText(laser, "DLGBAR_LED", "LaserLightTitle");
        auto* freq = new QLabel(box);
        led->bindText(freq, "DLGBAR_LED", "LightFreqTitle");
        grid->addWidget(top, 0, 0);
        grid->addWidget(lightButton(IDC_LIGHT_INNER, "TopLightBTN1Title"), 0, 1);
        grid->addWidget(lightButton(IDC_LIGHT_OUTER, "TopLightBTN2Title"), 0, 2);
        grid->addWidget(bottom, 1, 0);
        grid->addWidget(lightButton(IDC_LIGHT_BOTTOM, "BottomLightBTNTitle"), 1, 1);
        grid->addWidget(laser, 1, 2);
        grid->addWidget(lightButton(IDC_LIGHT_LASER, "LaserLightBTNTitle"), 1, 3);
        auto* hz50 = led->add(IDC_LIGHT_50HZ, new QRadioButton("50HZ", box));
        auto* hz60 = led->add(IDC_LIGHT_60HZ, new QRadioButton("60HZ", box));
        (settings_.frequency == 1 ? hz60 : hz50)->setChecked(true);
        grid->addWidget(freq, 0, 3);
        grid->addWidget(hz50, 0, 4);
        grid->addWidget(hz60, 0, 5);
    }

    auto* color = new DialogBar(IDD_COLORBAR);
    {
        QGroupBox* box = color->group("TOOL_CLASS", "ClassVideoSetting");
        auto* grid = new QGridLayout(box);
        struct Row
        {
            const char* key;
            int slider;
            int number;
            int low;
            int high;
            int value;
        };
        const Row rows[] = {
            {"DlgColorBrightness", IDC_SLIDER_RED_GAIN, IDC_NUM_RED_GAIN, 1, 63, settings_.redGain},
            {"DlgColorContrast", IDC_SLIDER_GREEN_GAIN, IDC_NUM_GREEN_GAIN, 1, 63,
             settings_.greenGain},
            {"DlgColorSaturation", IDC_SLIDER_BLUE_GAIN, IDC_NUM_BLUE_GAIN, 1, 63,
             settings_.blueGain},
            {"DlgColorSharpness", IDC_SLIDER_GAMMA, IDC_NUM_GAMMA, 1, 200, settings_.gamma},
            {"DlgColorGamma", IDC_SLIDER_RED_OFFSET, IDC_NUM_RED_OFFSET, -255, 255,
             settings_.redOffset},
            {"DlgColorGoff", IDC_SLIDER_GREEN_OFFSET, IDC_NUM_GREEN_OFFSET, -255, 255,
             settings_.greenOffset},
            {"DlgColorBoff", IDC_SLIDER_BLUE_OFFSET, IDC_NUM_BLUE_OFFSET, -255, 255,
             settings_.blueOffset},
        };
        int r = 0;
        for (const Row& row : rows)
        {
            auto* label = new QLabel(box);
            color->bindText(label, "DLGBAR_COLOR", row.key);
            auto* slider = color->add(row.slider, horizontalSlider(box));
            slider->setRange(row.low, row.high);
            slider->setValue(row.value);
            auto* number =
                color->add(row.number, new QLabel(QString::asprintf("%d", row.value), box));
            number->setMinimumWidth(30);
            grid->addWidget(label, r % 4, (r / 4) * 3);
            grid->addWidget(slider, r % 4, (r / 4) * 3 + 1);
            grid->addWidget(number, r % 4, (r / 4) * 3 + 2);
            ++r;
        }
        auto* reset = color->add(IDC_COLOR_DEFAULT, new QPushButton(box));
        color->bindText(reset, "DLGBAR_COLOR", "DlgColorDefault");
        grid->addWidget(reset, 3, 4, 1, 2);
    }

    auto* zoom = new DialogBar(IDD_ZOOMBAR);
    {
        auto* magnifier = zoom->add(IDC_MAGNIFIER, new QFrame(zoom));
        magnifier->setFrameShape(QFrame::Box);
        magnifier->setFixedSize(160, 120);
        magnifier->setAutoFillBackground(true);
        auto* spin = zoom->add(IDC_MAGNIFIER_SPIN, new QSpinBox(zoom));
        spin->setRange(5, 200);
        spin->setValue(settings_.zoomRate);
        zoom->row()->addWidget(magnifier);
        zoom->row()->addWidget(spin);
    }

    auto* ruler = new DialogBar(IDD_RULERBAR);
    {
        QGroupBox* box = ruler->group("TOOL_CLASS", "ClassRuler");
        auto* grid = new QGridLayout(box);
        auto* choose = new QLabel(box);
        ruler->bindText(choose, "DLGBAR_RULER", "Ruler Choose");
        auto* list = ruler->add(IDC_RULER_LIST, new QComboBox(box));
        list->setMinimumWidth(110);
        auto* unitLabel = new QLabel(box);
        ruler->bindText(unitLabel, "DLGBAR_RULER", "MeasureUnit");
        auto* unit = ruler->add(IDC_RULER_MEASUREUNIT, new QComboBox(box));
        auto* precisionLabel = new QLabel(box);
        ruler->bindText(precisionLabel, "DLGBAR_RULER", "Precision");
        auto* precision = ruler->add(IDC_RULER_PRECISION, new QComboBox(box));
        auto* hide = ruler->add(IDC_RULER_HIDEDESC, new QCheckBox(box));
        ruler->bindText(hide, "DLGBAR_RULER", "HideDesc");
        hide->setChecked(settings_.hideDesc);
        auto* define = ruler->add(IDC_RULER_DEFINE, new QPushButton(box));
        ruler->bindText(define, "DLGBAR_RULER", "Ruler Define");
        grid->addWidget(choose, 0, 0);
        grid->addWidget(list, 0, 1);
        grid->addWidget(define, 0, 2);
        grid->addWidget(unitLabel, 1, 0);
        grid->addWidget(unit, 1, 1);
        grid->addWidget(precisionLabel, 0, 3);
        grid->addWidget(precision, 0, 4);
        grid->addWidget(hide, 1, 3, 1, 2);
        QStringList digits;
        for (int i = 0; i < kPrecisionCount; ++i)
            digits << QString::number(i);
        setComboItems(precision, digits, settings_.precision);
    }

    auto* pen = new DialogBar(IDD_PENBAR);
    {
        QGroupBox* box = pen->group("TOOL_CLASS", "ClassPen");
        auto* grid = new QGridLayout(box);
        auto picker = [&](int id, int mode, int index, const char* key, int column) {
            auto* label = new QLabel(box);
            pen->bindText(label, "DLGBAR_PEN", key);
            auto* combo = pen->add(id, new CPenStyleCombo(mode, box));
            combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
            grid->addWidget(label, 0, column);
            grid->addWidget(combo, 1, column);
        };
        picker(IDC_PEN_NORMALCOLOR, CPenStyleCombo::ColourMode, settings_.penNormalColorIndex,
               "PenColorNormal", 0);
        picker(IDC_PEN_TEMPCOLOR, CPenStyleCombo::ColourMode, settings_.penTempColorIndex,
               "PenColorPass", 1);
        picker(IDC_PEN_WIDTH, CPenStyleCombo::WidthMode, settings_.penWidthIndex, "PenWidth", 2);
    }

    auto* text = new DialogBar(IDD_TEXTBAR);
    {
        QGroupBox* box = text->group("TOOL_CLASS", "ClassText");
        auto* grid = new QGridLayout(box);
        auto* fontLabel = new QLabel(box);
        text->bindText(fontLabel, "DLGBAR_PEN", "PenFontText");
        auto* font = text->add(IDC_TEXT_FONT, new CFontCombo(box));
        font->setCurrentIndex(settings_.fontIndex < font->count() ? settings_.fontIndex : -1);
        auto* sizeLabel = new QLabel(box);
        text->bindText(sizeLabel, "DLGBAR_PEN", "PenFontSize");
        auto* sizes = text->add(IDC_TEXT_SIZE, new QComboBox(box));
        QStringList sizeTexts;
        for (int s : kTextSizes)
            sizeTexts << QString::number(s);
        setComboItems(sizes, sizeTexts, settings_.fontSizeIndex);
        auto* normalLabel = new QLabel(box);
        text->bindText(normalLabel, "DLGBAR_PEN", "PenColorNormal");
        auto* normal =
            text->add(IDC_TEXT_NORMALCOLOR, new CPenStyleCombo(CPenStyleCombo::ColourMode, box));
        normal->setCurrentIndex(settings_.fontNormalColorIndex < 16 ? settings_.fontNormalColorIndex
                                                                    : -1);
        auto* tempLabel = new QLabel(box);
        text->bindText(tempLabel, "DLGBAR_PEN", "PenColorSelect");
        auto* temp =
            text->add(IDC_TEXT_TEMPCOLOR, new CPenStyleCombo(CPenStyleCombo::ColourMode, box));
        temp->setCurrentIndex(settings_.fontTempColorIndex < 16 ? settings_.fontTempColorIndex
                                                                : -1);
        grid->addWidget(fontLabel, 0, 0);
        grid->addWidget(font, 1, 0);
        grid->addWidget(sizeLabel, 0, 1);
        grid->addWidget(sizes, 1, 1);
        grid->addWidget(normalLabel, 0, 2);
        grid->addWidget(normal, 1, 2);
        grid->addWidget(tempLabel, 0, 3);
        grid->addWidget(temp, 1, 3);
    }

    auto* videoSetting = new DialogBar(IDD_VIDEOSETTINGBAR);
    {
        QGroupBox* box = videoSetting->group("VideoSetting", "DialogAWBSet");
        auto* grid = new QGridLayout(box);
        auto* exposureLabel = new QLabel(box);
        videoSetting->bindText(exposureLabel, "VideoSetting", "DialogExposal");
        auto* exposure = videoSetting->add(IDC_SLIDER_EXPOSURE, horizontalSlider(box));
        auto* number = videoSetting->add(IDC_NUM_EXPOSURE, new QLabel(box));
        number->setMinimumWidth(30);
        auto* awb = videoSetting->add(IDC_AWB, new QPushButton(box));
        videoSetting->bindText(awb, "VideoSetting", "DialogVideoAWB");
        auto* reversal = new QLabel(box);
        videoSetting->bindText(reversal, "VideoSetting", "DialogVideoVert");
        auto* flip = videoSetting->add(IDC_FLIP_VERTICAL, new QCheckBox(box));
        videoSetting->bindText(flip, "VideoSetting", "DialogVideoFlip");
        flip->setEnabled(false);
        auto* mirror = videoSetting->add(IDC_FLIP_HORIZONTAL, new QCheckBox(box));
        videoSetting->bindText(mirror, "VideoSetting", "DialogVideoMirror");
        mirror->setEnabled(false);
        grid->addWidget(exposureLabel, 0, 0);
        grid->addWidget(exposure, 0, 1);
        grid->addWidget(number, 0, 2);
        grid->addWidget(awb, 0, 3);
        grid->addWidget(reversal, 1, 0);
        grid->addWidget(flip, 1, 1);
        grid->addWidget(mirror, 1, 2);
        if (services_.camera.isOpen())
        {
            exposure->setRange(1, std::max(1, settings_.maxExposure));
            exposure->setValue(settings_.exposure);
            number->setText(QString::asprintf("%d", settings_.exposure));
        }
    }

    auto* rulerMeasure = new DialogBar(IDD_RULERMEASUREBAR);
    {
        QGroupBox* box = rulerMeasure->group("TOOL_CLASS", "ClassRulerSave");
        auto* grid = new QGridLayout(box);
        auto* nameLabel = new QLabel(box);
        rulerMeasure->bindText(nameLabel, "DLGBAR_MEASURERULER", "Ruler Name");
        auto* name = rulerMeasure->add(IDC_MRULER_NAME, new QLineEdit(box));
        name->setText(QString::fromStdString(settings_.rulerFileName));
        auto* list = rulerMeasure->add(IDC_MRULER_LIST, new QComboBox(box));
        list->setMinimumWidth(110);
        auto button = [&](int id, const char* section, const char* key) {
            auto* b = rulerMeasure->add(id, new QPushButton(box));
            rulerMeasure->bindText(b, section, key);
            return b;
        };
        auto* lengthLabel = new QLabel(box);
        rulerMeasure->bindText(lengthLabel, "DLGBAR_RULER", "RulerLength");
        auto* length = rulerMeasure->add(IDC_MRULER_LENGTH, new QLineEdit(box));
        length->setText(QString::fromStdString(formatRulerLength(settings_.rulerLength)));
        length->setMaximumWidth(80);
        auto* rulerUnitLabel = new QLabel(box);
        rulerMeasure->bindText(rulerUnitLabel, "DLGBAR_RULER", "RulerUnit");
        rulerMeasure->add(IDC_MRULER_RULERUNIT, new QComboBox(box));
        auto* unitLabel = new QLabel(box);
        rulerMeasure->bindText(unitLabel, "DLGBAR_MEASURERULER", "MeasureUnit1");
        rulerMeasure->add(IDC_MRULER_MEASUREUNIT, new QComboBox(box));
        auto* hideRuler = rulerMeasure->add(IDC_MRULER_HIDERULER, new QCheckBox(box));
        rulerMeasure->bindText(hideRuler, "DLGBAR_RULER", "HideRuler");
        hideRuler->setChecked(settings_.hideRuler);
        auto* hideDesc = rulerMeasure->add(IDC_MRULER_HIDEDESC, new QCheckBox(box));
        rulerMeasure->bindText(hideDesc, "DLGBAR_RULER", "HideDesc");
        hideDesc->setChecked(settings_.hideDesc2);
        auto* precisionLabel = new QLabel(box);
        rulerMeasure->bindText(precisionLabel, "DLGBAR_MEASURERULER", "Precision");
        auto* precision = rulerMeasure->add(IDC_MRULER_PRECISION, new QComboBox(box));
        QStringList digits;
        for (int i = 0; i < kPrecisionCount; ++i)
            digits << QString::number(i);
        setComboItems(precision, digits, settings_.precision);
        grid->addWidget(nameLabel, 0, 0);
        grid->addWidget(name, 0, 1);
        grid->addWidget(list, 1, 1);
        grid->addWidget(button(IDC_MRULER_LOAD, "DLGBAR_MEASURERULER", "LoadRuler"), 1, 0);
        grid->addWidget(button(IDC_MRULER_SAVE, "DLGBAR_MEASURERULER", "SaveRuler"), 0, 2);
        grid->addWidget(button(IDC_MRULER_DELETE, "DLGBAR_MEASURERULER", "DeleteRuler"), 1, 2);
        grid->addWidget(lengthLabel, 0, 3);
        grid->addWidget(length, 0, 4);
        grid->addWidget(rulerUnitLabel, 1, 3);
        grid->addWidget(rulerMeasure->control(IDC_MRULER_RULERUNIT), 1, 4);
        grid->addWidget(unitLabel, 0, 5);
        grid->addWidget(rulerMeasure->control(IDC_MRULER_MEASUREUNIT), 0, 6);
        grid->addWidget(button(IDC_MRULER_APPLY, "DLGBAR_RULER", "UpdateRuler"), 1, 6);
        grid->addWidget(precisionLabel, 0, 7);
        grid->addWidget(precision, 0, 8);
        grid->addWidget(hideRuler, 1, 7);
        grid->addWidget(hideDesc, 1, 8);
        grid->addWidget(button(IDC_MRULER_RETURN, "DLGBAR_MEASURERULER", "Return"), 0, 9, 2, 1);
    }

    // Bands in their order, wrapped into rows that fit a common screen width.
    addBand(SizeBar, size);
    addBand(LedBar, led);
    addToolBarBreak(Qt::TopToolBarArea);
    addBand(VideoSettingBar, videoSetting);
    addBand(ColorBar, color);
    addToolBarBreak(Qt::TopToolBarArea);
    addBand(CaptureBar, capture);
    addBand(RecordBar, record);
    addToolBarBreak(Qt::TopToolBarArea);
    addBand(ZoomBar, zoom);
    addBand(RulerBar, ruler);
    addBand(PenBar, pen);
    addToolBarBreak(Qt::TopToolBarArea);
    addBand(TextBar, text);
    addToolBarBreak(Qt::TopToolBarArea);
    addBand(RulerMeasureBar, rulerMeasure);
    hosts_[CaptureBar]->setWindowTitle(QStringLiteral("采集设置"));

    ApplyCaptureBar();
    refreshRulerLists();
}

void CMainFrame::ApplyCaptureBar()
{
    DialogBar* bar = bars_[CaptureBar];
    bar->control<QCheckBox>(IDC_CAPTURE_AUTOINC)->setChecked(settings_.captureAutoInc);
    bar->control<QRadioButton>(settings_.saveAsJpeg ? IDC_CAPTURE_JPEG : IDC_CAPTURE_BMP)
        ->setChecked(true);
    bar->control(IDC_CAPTURE_JPEG)->setEnabled(true);
    bar->control<QLineEdit>(IDC_CAPTURE_NAME)
        ->setText(QString::fromStdString(settings_.captureName));
    bar->control<QLineEdit>(IDC_CAPTURE_PATH)
        ->setText(QString::fromStdString(settings_.capturePath));
    bar->control<QLineEdit>(IDC_CAPTURE_INTERVAL)->setText("1");
    bar->control<QCheckBox>(IDC_CAPTURE_LIMIT)->setChecked(false);
    auto* count = bar->control<QLineEdit>(IDC_CAPTURE_COUNT);
    count->setText("3");
    count->setEnabled(false);
}

void CMainFrame::refreshUnitLists()
{
    const QStringList words = unitWords(services_.languages.index());
    const QStringList rulerWords = words.mid(1);
    setComboItems(bars_[RulerBar]->control<QComboBox>(IDC_RULER_MEASUREUNIT), words,
                  settings_.measureUnitIndex);
    setComboItems(bars_[RulerMeasureBar]->control<QComboBox>(IDC_MRULER_MEASUREUNIT), words,
                  settings_.measureUnitIndex);
    setComboItems(bars_[RulerMeasureBar]->control<QComboBox>(IDC_MRULER_RULERUNIT), rulerWords,
                  settings_.rulerUnitIndex - 1);
}

void CMainFrame::refreshRulerLists()
{
    QDir folder(QString::fromLocal8Bit(services_.folders.rulers.c_str()));
    QStringList names;
    for (const QString& file : folder.entryList({"*.ruler"}, QDir::Files, QDir::Name))
        names << file.left(file.size() - 6);
    setComboItems(bars_[RulerBar]->control<QComboBox>(IDC_RULER_LIST), names, settings_.rulerIndex);
    auto* list = bars_[RulerMeasureBar]->control<QComboBox>(IDC_MRULER_LIST);
    setComboItems(list, names,
                  names.indexOf(QString::fromStdString(settings_.selectedRulerFileName)));
}

void CMainFrame::ApplyBarTexts()
{
    const LanguageTexts& texts = services_.languages.texts();
    for (DialogBar* bar : bars_)
        bar->applyTexts(texts);
    refreshUnitLists();
    // Tool tips and prompts come with the language too.
    for (auto& [id, action] : actions_)
    {
        const QString tip = fromGbk(services_.languages.GetToolTipText(id));
        action->setToolTip(tip.left(kToolTipLimit));
        action->setStatusTip(tip);
    }
    for (const auto& list : menus_)
        for (QMenu* m : list)
            for (QAction* a : m->actions())
                if (a->data().toInt() != 0)
                    a->setStatusTip(fromGbk(services_.languages.GetToolTipText(a->data().toInt())));
}

namespace {

// Puts texts on the items of a menu and its submenus; missing items are skipped.
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

} // namespace

void CMainFrame::ApplyMainMenuTexts()
{
    const LanguageTexts& t = services_.languages.texts();
    const char* tops[] = {"Device", "MLanguage", "Help"};
    for (int i = 0; i < 3; ++i)
        menu(MenuKind::Main, i)->setTitle(qtext(t, "MAINFRAME_MENU", tops[i]));
    const std::pair<int, const char*> items[] = {
        {ID_DEVICE_CONNECTDEVICE, "Connect"},
        {ID_APP_EXIT, "Exit"},
        {IDM_ENGLISHLANGUAGE, "MLanguageEnglish"},
        {IDM_CHINESELANGUAGE, "MLanguageChinese"},
        {IDM_FANTICHINESELANGUAGE, "MLanguageChineseFanti"},
        {ID_HELP_CONTENTS, "Help1"},
        {ID_APP_ABOUT, "About"}};
    for (const auto& [id, key] : items)
        for (QMenu* m : menus_[0])
            setItemText(m, id, qtext(t, "MAINFRAME_MENU", key));
    menuLanguage_ = services_.languages.index();
    menuBar()->update();
}

void CMainFrame::ApplyVideoMenuTexts()
{
    const LanguageTexts& t = services_.languages.texts();
    const char* tops[] = {"Video", "View", "Settings", "Adjust", "Operation", "VWindow"};
    for (int i = 0; i < 6; ++i)
        menu(MenuKind::Video, i)->setTitle(qtext(t, "VIDEOFRAME_MENU", tops[i]));
    const std::pair<int, const char*> items[] = {
        {ID_APP_EXIT, "VideoExit"},
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
        {ID_WINDOW_TILE_HORZ, "VWindowTitleHorz"}};
    for (const auto& [id, key] : items)
        for (QMenu* m : menus_[1])
            setItemText(m, id, qtext(t, "VIDEOFRAME_MENU", key));
    menuBar()->update();
}

void CMainFrame::ApplyImageMenuTexts()
{
    const LanguageTexts& t = services_.languages.texts();
    const char* tops[] = {"IMFile", "IMView", "IMOperation", "IMWindow", "IMSettings"};
    for (int i = 0; i < 5; ++i)
        menu(MenuKind::Image, i)->setTitle(qtext(t, "IMAGEFRAME_MENU", tops[i]));
    QMenu* operation = menu(MenuKind::Image, 2);
    if (QAction* circle = operation->actions().value(3); circle && circle->menu())
        circle->menu()->setTitle(qtext(t, "IMAGEFRAME_MENU", "IMOperationCircle"));
    if (QAction* ellipse = operation->actions().value(4); ellipse && ellipse->menu())
        ellipse->menu()->setTitle(qtext(t, "IMAGEFRAME_MENU", "IMOperationEllipse"));
    const std::pair<int, const char*> items[] = {
        {ID_FILE_OPEN, "IMFileOpen"},
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
        {ID_IMAGE_SETTINGS_TEXT, "IMSettingsFont"}};
    for (const auto& [id, key] : items)
        for (QMenu* m : menus_[2])
            setItemText(m, id, qtext(t, "IMAGEFRAME_MENU", key));
    menuBar()->update();
}

bool CMainFrame::barFlag(Bar which) const
{
    switch (which)
    {
    case SizeBar:
        return settings_.showVideoSizeBar;
    case LedBar:
        return settings_.showVideoLedBar;
    case VideoSettingBar:
        return settings_.showVideoSettingBar;
    case ColorBar:
        return settings_.showVideoColorBar;
    case CaptureBar:
        return settings_.showMainSettingsBar;
    case RecordBar:
        return settings_.showVideoRecordSettingBar;
    case ZoomBar:
        return settings_.showImageZoomBar;
    case RulerBar:
        return settings_.showImageRulerBar;
    case PenBar:
        return settings_.showImagePenBar;
    case TextBar:
        return settings_.showImageTextBar;
    case RulerMeasureBar:
        return settings_.showImageRulerMeasureBar;
    default:
        return false;
    }
}

void CMainFrame::setBarFlag(Bar which, bool shown)
{
    int* flags[] = {&settings_.showVideoSizeBar,        &settings_.showVideoLedBar,
                    &settings_.showVideoSettingBar,     &settings_.showVideoColorBar,
                    &settings_.showMainSettingsBar,     &settings_.showVideoRecordSettingBar,
                    &settings_.showImageZoomBar,        &settings_.showImageRulerBar,
                    &settings_.showImagePenBar,         &settings_.showImageTextBar,
                    &settings_.showImageRulerMeasureBar};
    *flags[which] = shown ? 1 : 0;
}

void CMainFrame::setBarShown(Bar which, bool shown)
{
    hosts_[which]->setVisible(shown);
}

void CMainFrame::HideVideoBars()
{
    for (Bar b : {CaptureBar, SizeBar, ColorBar, LedBar, VideoSettingBar, RecordBar})
        setBarShown(b, false);
    videoToolBar_->hide();
}

void CMainFrame::HideImageBars()
{
    imageToolBar_->hide();
    for (Bar b : {RulerBar, PenBar, TextBar, ZoomBar, RulerMeasureBar})
        setBarShown(b, false);
}

void CMainFrame::ShowVideoBars()
{
    HideImageBars();
    if (!videoSideBars_)
        return;
    setBarShown(CaptureBar, barFlag(CaptureBar));
    statusBar_->setVisible(settings_.showVideoStatusBar);
    videoToolBar_->setVisible(settings_.showVideoToolBar);
    for (Bar b : {SizeBar, ColorBar, LedBar, VideoSettingBar, RecordBar})
        setBarShown(b, barFlag(b));
}

void CMainFrame::OnVideoFrameActivated()
{
    for (Bar b : {CaptureBar, SizeBar, ColorBar, LedBar, VideoSettingBar, RecordBar})
        setBarShown(b, barFlag(b));
}

void CMainFrame::ShowImageBars()
{
    HideVideoBars();
    statusBar_->setVisible(settings_.showImageStatusBar);
    imageToolBar_->setVisible(settings_.showImageToolBar);
    setBarShown(RulerBar, false);
    for (Bar b : {RulerMeasureBar, PenBar, TextBar, ZoomBar})
        setBarShown(b, barFlag(b));
    if (settings_.showImageRulerMeasureBar && settings_.showImageZoomBar &&
        settings_.showImageTextBar)
    {
        settings_.showImageTextBar = 0;
        setBarShown(TextBar, false);
    }
}

void CMainFrame::ToggleBar(Bar which)
{
    const bool shown = hosts_[which]->isHidden();
    setBarShown(which, shown);
    setBarFlag(which, shown);
}

void CMainFrame::ToggleVideoToolBar()
{
    const bool shown = videoToolBar_->isHidden();
    videoToolBar_->setVisible(shown);
    settings_.showVideoToolBar = shown;
}

void CMainFrame::ToggleStatusBar(bool video)
{
    const bool shown = statusBar_->isHidden();
    statusBar_->setVisible(shown);
    (video ? settings_.showVideoStatusBar : settings_.showImageStatusBar) = shown;
}

void CMainFrame::OnAllButtons()
{
    videoSideBars_ = !videoSideBars_;
    for (Bar b : {CaptureBar, SizeBar, ColorBar, LedBar, VideoSettingBar, RecordBar})
        setBarShown(b, videoSideBars_ && barFlag(b));
}

void CMainFrame::OnImageAllButtons()
{
    imageSideBars_ = !imageSideBars_;
    if (imageSideBars_)
    {
        for (Bar b : {RulerBar, PenBar, TextBar, RulerMeasureBar})
            setBarShown(b, barFlag(b));
        setBarShown(ZoomBar, false);
    }
    else
    {
        for (Bar b : {PenBar, TextBar, ZoomBar, RulerMeasureBar})
            setBarShown(b, false);
    }
}

void CMainFrame::OnConnect(bool fromMessage)
{
    auto* frame = dynamic_cast<CVideoFrame*>(services_.documents.OpenVideoFrame());
    if (frame == nullptr && fromMessage)
        return;
    ApplyVideoMenuTexts();
    if (frame != nullptr)
    {
        int width = 0;
        int height = 0;
        if (CVideoFrame::pictureSize(settings_.captureSizeIndex, width, height))
        {
            frame->document().pictureWidth = width;
            frame->document().pictureHeight = height;
            services_.camera.captureInfo().dwWidth = width;
            services_.camera.captureInfo().dwHeight = height;
        }
        const int radios[] = {IDC_SIZE_320, IDC_SIZE_640, IDC_SIZE_1280, IDC_SIZE_1600,
                              IDC_SIZE_2048};
        for (int i = 0; i < 5; ++i)
            bars_[SizeBar]->control<QRadioButton>(radios[i])->setChecked(
                i == settings_.captureSizeIndex);
    }
    SetPaneColours(5, kHighlight, RGB(0, 0, 0));
    client_->setLiveWindow(1);
}

void CMainFrame::OnHelpContents()
{
    const QString path = QString::fromLocal8Bit(services_.folders.program.c_str()) +
                         QString::fromLatin1(helpFile(services_.languages.index()));
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void CMainFrame::onActiveWindowChanged()
{
    QMdiSubWindow* active = client_->activeSubWindow();
    if (dynamic_cast<CVideoFrame*>(active) != nullptr)
    {
        showMenu(MenuKind::Video);
        ShowVideoBars();
        OnVideoFrameActivated();
        SetPaneText(3, fromGbk(services_.languages.GetToolTipText(ID_OP_VIDEO_WINDOW)));
    }
    else if (dynamic_cast<CImageFrame*>(active) != nullptr)
    {
        showMenu(MenuKind::Image);
        ShowImageBars();
    }
    else if (client_->subWindowList().isEmpty())
    {
        showMenu(MenuKind::Main);
        HideVideoBars();
        HideImageBars();
        statusBar_->hide();
        client_->setLiveWindow(0);
    }
    client_->setLiveWindow(services_.documents.hasLiveDocument());
    const QString title = fromGbk(services_.languages.texts().text("AppTitle"));
    setWindowTitle(active ? title + " - " + active->windowTitle() : title);
    updateCommandStates();
}

void CMainFrame::updateCommandStates()
{
    auto check = [this](int id, bool on) { actions_.at(id)->setChecked(on); };
    const int language = services_.languages.index();
    check(IDM_CHINESELANGUAGE, language == 0);
    check(IDM_ENGLISHLANGUAGE, language == 1);
    check(IDM_FANTICHINESELANGUAGE, language == 2);
    check(ID_CAPTURE_SETTING, !hosts_[CaptureBar]->isHidden());
    check(ID_VIDEO_SHOWSETTINGBAR, !hosts_[CaptureBar]->isHidden());
    check(ID_BUTTON_RecordSetting, !hosts_[RecordBar]->isHidden());
    check(ID_VIDEO_SHOWCOLORBAR, !hosts_[ColorBar]->isHidden());
    check(ID_VIDEO_SHOWSIZEBAR, !hosts_[SizeBar]->isHidden());
    check(ID_VIDEO_SHOWLEDBAR, !hosts_[LedBar]->isHidden());
    check(ID_VIDEO_MANUALWB, !hosts_[VideoSettingBar]->isHidden());
    check(ID_BUTTON_ALLBTN, videoSideBars_);
    check(ID_BUTTON_IMAGEALL, imageSideBars_);
    check(ID_VIEW_VIDEO_TOOLBAR, !videoToolBar_->isHidden());
    check(ID_VIEW_IMAGE_TOOLBAR, !imageToolBar_->isHidden());
    check(ID_VIEW_VIDEO_STATUSBAR, !statusBar_->isHidden());
    check(ID_VIEW_IMAGE_STATUSBAR, !statusBar_->isHidden());
    check(ID_IMAGE_ZOOM, !hosts_[ZoomBar]->isHidden());
    check(ID_IMAGE_SETTINGS_RULER, !hosts_[RulerMeasureBar]->isHidden());
    check(ID_IMAGE_SETTINGS_PEN, !hosts_[PenBar]->isHidden());
    check(ID_IMAGE_SETTINGS_TEXT, !hosts_[TextBar]->isHidden());
    actions_.at(ID_RETURN_VIDEO)->setEnabled(services_.documents.hasLiveDocument());
    // Menu items mirror their command.
    for (const auto& list : menus_)
    {
        for (QMenu* m : list)
        {
            QList<QAction*> items = m->actions();
            for (int i = 0; i < items.size(); ++i)
            {
                QAction* item = items[i];
                if (item->menu() != nullptr)
                {
                    items.append(item->menu()->actions());
                    continue;
                }
                QAction* command = action(item->data().toInt());
                if (command == nullptr)
                    continue;
                item->setEnabled(command->isEnabled());
                item->setCheckable(command->isCheckable());
                item->setChecked(command->isChecked());
            }
        }
    }
}

bool CMainFrame::event(QEvent* event)
{
    if (event->type() == events::connectDevice())
    {
        OnConnect(true);
        updateCommandStates();
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    // Every dropped file goes to the image windows, as files named on the command line do.
    for (const QUrl& url : event->mimeData()->urls())
    {
        if (url.isLocalFile() && services_.documents.OpenDocumentFile(url.toLocalFile()) != nullptr)
            ApplyImageMenuTexts();
    }
    event->acceptProposedAction();
}
