#include "app/frame/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "app/bars/capture_bar.h"
#include "app/bars/record_bar.h"
#include "app/bars/ruler_bar.h"
#include "app/bars/ruler_measure_bar.h"
#include "app/bars/size_bar.h"
#include "app/controls/client_wnd.h"
#include "app/controls/help_window.h"
#include "app/controls/sp_status_bar.h"
#include "app/documents/doc_template.h"
#include "app/documents/document_manager.h"
#include "app/frame/command_router.h"
#include "app/frame/command_table.h"
#include "app/image/image_doc.h"
#include "app/image/image_window.h"
#include "app/image/image_workspace.h"
#include "app/image/results_panel.h"
#include "app/live/camera_session.h"
#include "app/live/live_recorder.h"
#include "app/live/live_services.h"
#include "app/live/picture_adjustment.h"
#include "app/live/video_frame.h"
#include "app/live/video_view.h"
#include "app/shell/command_ids.h"
#include "app/shell/desktop_open.h"
#include "app/shell/events.h"
#include "app/shell/gbk_text.h"
#include "app/shell/language.h"
#include "app/shell/manual.h"
#include "app/shell/picture_sizes.h"
#include "app/shell/status_panes.h"
#include "app/shell/ui_text.h"
#include "app/shell/work_folders.h"
#include "platform/message_box.h"
#include "platform/trace.h"

using namespace cmd;

namespace {

constexpr COLORREF kBandBackground = RGB(224, 223, 227);

bool anyShown(const FrameSettings& settings, std::span<const Bar> bars)
{
    for (Bar b : bars)
        if (barFlag(settings, b))
            return true;
    return false;
}

} // namespace

CMainFrame::CMainFrame(const FrameServices& services)
    : services_(services), panes_(new StatusPanes(this)), liveBars_(new LiveBars(this)),
      liveServices_(std::make_unique<LiveServices>(
          LiveServices{settings_, services_.languages, *panes_, *liveBars_, {}}))
{
    connect(liveBars_, &LiveBars::toggleRequested, this, &CMainFrame::toggleLiveBar);
    loadSettings(services_.settingsStore, settings_, services_.folders.captures,
                 services_.folders.records);
    settings_.overlay = loadOverlaySettings(services_.settingsStore);
    videoSideBars_ = anyShown(settings_, kVideoSideBars);
    imageSideBars_ = anyShown(settings_, kImageSideBars);
    // The ruler definition bar always starts hidden.
    settings_.showImageRulerMeasureBar = 0;
}

CMainFrame::~CMainFrame()
{
    finishLiveWork();
    saveSettings(services_.settingsStore, settings_);
    saveOverlaySettings(services_.settingsStore, settings_.overlay);
    // Closing the children below must not reach a frame that is half gone.
    if (client_ != nullptr)
        disconnect(client_, nullptr, this, nullptr);
    services_.documents.setClientArea(nullptr);
}

bool CMainFrame::loadFrame()
{
    // Taken now, before anything else in the process can take the connect request's number.
    events::connectDevice();
    client_ = new CClientWnd(this);
    client_->setMainFrame(this);
    setCentralWidget(client_);
    services_.documents.setClientArea(client_);
    setDockNestingEnabled(true);
    connect(client_, &QMdiArea::subWindowActivated, this, [this] { onActiveWindowChanged(); });

    commands_ = new CommandRouter(this);
    commands_->setTargets(
        [this] { return dynamic_cast<CommandTarget*>(client_->activeSubWindow()); }, this,
        &services_.application);
    menus_ = std::make_unique<FrameMenus>(this, *commands_);
    menus_->setWindowArea(client_);
    if (!createStatusBar())
        return false;
    createToolBars();
    createDialogBars();

    videoToolBar_->hide();
    imageToolBar_->hide();
    for (QToolBar* host : hosts_)
        host->hide();
    statusBar_->hide();
    menus_->show(MenuKind::Main, menuBar());
    updateCommandStates();
    finishCutRecordings();

    // The mark that later copies look for.
    setProperty("MeasureTool", 1);
    return true;
}

QAction* CMainFrame::action(int commandId) const
{
    return commands_->action(commandId);
}

bool CMainFrame::routeCommand(int commandId)
{
    return commands_->route(commandId);
}

CVideoFrame* CMainFrame::createLiveFrame(CVideoDoc& document)
{
    // The camera session belongs to the application object and outlives every frame.
    auto* frame = new CVideoFrame(document, *liveServices_, services_.camera);
    connect(frame, &CVideoFrame::stateChanged, this, &CMainFrame::updateCommandStates);
    connect(frame, &CVideoFrame::focused, this, &CMainFrame::showVideoBars);
    connect(frame, &CVideoFrame::activated, this, &CMainFrame::onVideoFrameActivated);
    connect(frame, &CVideoFrame::closing, this, [this] {
        hideVideoBars();
        client_->setLiveWindow(false);
        statusBar_->hide();
        syncLiveBars();
    });
    connect(&frame->liveSession(), &LiveSession::sizeIndexChanged, bars_.size,
            &SizeBar::setSizeIndex);
    connect(&frame->capture(), &LiveCapture::measureFrameTaken, this,
            [this, frame](const BYTE* bgr, int width, int height, bool* opened) {
                *opened = openCapturedImage(bgr, width, height, frame->isMaximized());
            });
    return frame;
}

bool CMainFrame::createStatusBar()
{
    statusBar_ = new CSPStatusBar(this);
    statusBar_->setModel(panes_);
    setStatusBar(statusBar_);
    const unsigned ids[kPaneCount] = {0, 0, 0, 0, 0, 0, 0, 0};
    if (!statusBar_->SetPanes(ids, kPaneCount))
        return false;
    statusBar_->EnableCustomPaint(1);
    const int widths[kPaneCount] = {0, 150, 100, 130, 50, 120, 120, 80};
    for (int i = 0; i < kPaneCount; ++i)
        statusBar_->setPaneInfo(i, widths[i], i == kPanePrompt);
    statusBar_->SetPaneText(kPanePointer, "X: 0  Y: 0");
    applyStatusTexts();
    return true;
}

void CMainFrame::applyStatusTexts()
{
    for (int pane = kPaneAoi; pane < kPaneCount; ++pane)
    {
        statusBar_->SetPaneColours(pane, kPaneInactiveBackground, kPaneInactiveText);
        statusBar_->SetPaneText(pane, modePaneText(services_.languages.index(), pane));
    }
}

void CMainFrame::SetPaneText(int pane, const QString& text)
{
    panes_->setPaneText(pane, text);
}

void CMainFrame::SetPaneColours(int pane, COLORREF background, COLORREF text)
{
    panes_->setPaneColours(pane, background, text);
}

void CMainFrame::createToolBars()
{
    videoToolBar_ = commands_->addToolBar(this, "videoToolBar", videoToolBarButtons());
    videoToolBar_->setProperty("resourceId", IDR_VIDEOTYPE);
    imageToolBar_ = commands_->addToolBar(this, "imageToolBar", imageToolBarButtons());
    imageToolBar_->setProperty("resourceId", IDR_IMAGETYPE);
    addToolBarBreak(Qt::TopToolBarArea);
}

void CMainFrame::createDialogBars()
{
    bars_ = DialogBars::create(settings_, services_.camera.isOpen());
    // Bands in their order, wrapped into rows that fit a common screen width.
    for (const BarInfo& info : kBarTable)
    {
        if (info.bar == Bar::VideoSetting || info.bar == Bar::Capture ||
            info.bar == Bar::Magnifier || info.bar == Bar::Text || info.bar == Bar::RulerMeasure)
            addToolBarBreak(Qt::TopToolBarArea);
        DialogBar* content = bars_.at(info.bar);
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
        hosts_[static_cast<int>(info.bar)] = host;
    }
    for (Bar b : kVideoSideBars)
    {
        barHost(b)->installEventFilter(this);
        commands_->addKeysTo(bars_.at(b), KeyWindow::Live);
    }
    for (Bar b : kImageSideBars)
        commands_->addKeysTo(bars_.at(b), KeyWindow::Image);
    commands_->addKeysTo(bars_.at(Bar::RulerMeasure), KeyWindow::Image);
    barHost(Bar::Capture)->setWindowTitle(QStringLiteral("采集设置"));
    connectBars();
    connectLiveBars();
    createImageWorkspace();
    images_->connectBars(bars_);
    images_->ensureSystemRulers();
    images_->refreshRulerLists();
}

void CMainFrame::createImageWorkspace()
{
    const LanguageSession& languages = services_.languages;
    images_ = new ImageWorkspace(
        settings_, services_.folders.rulers, [&languages] { return languages.index(); }, this);
    images_->setToolTips(
        [&languages](int commandId) { return fromGbk(languages.GetToolTipText(commandId)); });
    images_->setClientArea(client_);
    // The live picture's scale follows its size in the profile in use.
    liveServices_->calibration = &images_->calibrationProfiles();
    images_->setDialogParent(this);
    DocumentManager& documents = services_.documents;
    images_->setVideoWindowFinder([&documents] { return documents.FindVideoFrame() != nullptr; });
    // The status panes that image work writes.
    connect(images_, &ImageWorkspace::paneTextChanged, this, &CMainFrame::SetPaneText);
    connect(images_, &ImageWorkspace::paneColoursChanged, this, &CMainFrame::SetPaneColours);
    connect(images_, &ImageWorkspace::paneWidthChanged, this,
            [this](int pane, int width, bool stretch) {
                statusBar_->setPaneInfo(pane, width, stretch);
            });
    connect(images_, &ImageWorkspace::commandRequested, this, &CMainFrame::routeCommand);
    // The results table docks below the image windows; the View menu shows it.
    results_ = new ResultsPanel(*images_, this);
    addDockWidget(Qt::BottomDockWidgetArea, results_);
    results_->hide();
    connect(results_, &QDockWidget::visibilityChanged, this, &CMainFrame::updateCommandStates);
    // The ruler bar's define button shows the ruler definition bar, whose return hides it.
    connect(bars_.ruler, &RulerBar::defineClicked, this, [this] {
        if (barHost(Bar::RulerMeasure)->isHidden())
            routeCommand(cmd::ID_IMAGE_SETTINGS_RULER);
    });
    connect(bars_.rulerMeasure, &RulerMeasureBar::returnClicked, this, [this] {
        if (!barHost(Bar::RulerMeasure)->isHidden())
            routeCommand(cmd::ID_IMAGE_SETTINGS_RULER);
    });
}

void CMainFrame::ApplyCaptureBar()
{
    bars_.capture->apply(settings_);
}

void CMainFrame::connectLiveBars()
{
    connect(bars_.capture, &CaptureBar::limitToggled, this,
            [this](bool on) { settings_.limitCaptureNum = on; });
    connect(bars_.capture, &CaptureBar::overlayInCapturesClicked, this, [this](bool on) {
        settings_.overlay.inCaptures = on;
        updateCommandStates();
    });
    adjustment_ = std::make_unique<PictureAdjustment>(
        settings_, services_.camera, *bars_.colour, *bars_.videoSetting, *bars_.lights,
        [this] { return dynamic_cast<CVideoFrame*>(client_->currentSubWindow()) != nullptr; });
    liveServices_->captureBar = bars_.capture;
    liveServices_->recordBar = bars_.record;
    liveServices_->exposureSlider = [adjustment = adjustment_.get()](int exposure) {
        return adjustment->setExposureSlider(exposure);
    };
}

void CMainFrame::finishLiveWork()
{
    if (client_ == nullptr)
        return;
    for (QMdiSubWindow* window : client_->subWindowList())
        if (auto* live = dynamic_cast<CVideoFrame*>(window))
            live->capture().onClose();
}

void CMainFrame::finishCutRecordings()
{
    const int finished = LiveRecorder::repairCutRecordings(settings_.recordPath);
    if (finished == 0)
        return;
    const int language = services_.languages.index();
    const QString text = uiText(language, "%1 interrupted recording(s) repaired",
                                "已修复 %1 个中断的录像", "已修復 %1 個中斷的錄影")
                             .arg(finished);
    SetPaneText(kPanePrompt, text);
    kwz::trace(toGbk(text));
}

void CMainFrame::setLocalClock(LocalClock clock)
{
    liveServices_->clock = std::move(clock);
}

bool CMainFrame::openCapturedImage(const BYTE* bgr, int width, int height, bool maximised)
{
    CDocTemplate* images = services_.documents.imageTemplate();
    auto* document =
        images ? dynamic_cast<CImageDoc*>(images->openDocumentFile(QString(), true)) : nullptr;
    if (document == nullptr)
        return false;
    ApplyImageMenuTexts();
    QMdiSubWindow* window = document->frame();
    if (maximised && window != nullptr)
    {
        window->showMaximized();
        window->setFocus();
    }
    if (document->buildFromFrame(bgr, width, height))
        return true;
    // A window without its picture has nothing to show or to save.
    if (window != nullptr)
        window->close();
    return false;
}

bool CMainFrame::importPicture(const QString& path)
{
    // Read first: a refused file opens no window.
    QString why;
    const QImage picture = CImageDoc::readImportable(path, services_.languages.index(), &why);
    if (picture.isNull())
    {
        kwz::messageBox(nullptr, toGbk(why).c_str(), "kwzview", kwz::MB_OK | kwz::MB_ICONWARNING);
        return false;
    }
    CDocTemplate* images = services_.documents.imageTemplate();
    auto* document =
        images ? dynamic_cast<CImageDoc*>(images->openDocumentFile(QString(), true)) : nullptr;
    if (document == nullptr)
        return false;
    ApplyImageMenuTexts();
    if (document->takeImported(picture, QFileInfo(path).completeBaseName()))
        return true;
    if (QMdiSubWindow* window = document->frame())
        window->close();
    return false;
}

void CMainFrame::sendCommand(int id)
{
    commands_->route(id);
    // A size button leaves the size bar showing the size in use.
    bars_.size->setSizeIndex(settings_.captureSizeIndex);
}

void CMainFrame::toggleLiveBar(LiveBar bar)
{
    switch (bar)
    {
    case LiveBar::Color:
        toggleBar(Bar::Colour);
        break;
    case LiveBar::Capture:
        toggleBar(Bar::Capture);
        break;
    case LiveBar::Size:
        toggleBar(Bar::Size);
        break;
    case LiveBar::VideoSetting:
        toggleBar(Bar::VideoSetting);
        break;
    case LiveBar::VideoTool:
        toggleVideoToolBar();
        break;
    case LiveBar::VideoStatus:
        toggleStatusBar(true);
        break;
    }
}

void CMainFrame::syncLiveBars()
{
    // Nothing to read while the bars are still being made.
    if (statusBar_ == nullptr || videoToolBar_ == nullptr ||
        std::find(hosts_.begin(), hosts_.end(), nullptr) != hosts_.end())
        return;
    liveBars_->setShown(LiveBar::Color, barShown(Bar::Colour));
    liveBars_->setShown(LiveBar::Capture, barShown(Bar::Capture));
    liveBars_->setShown(LiveBar::Size, barShown(Bar::Size));
    liveBars_->setShown(LiveBar::VideoSetting, barShown(Bar::VideoSetting));
    liveBars_->setShown(LiveBar::VideoTool, !videoToolBar_->isHidden());
    liveBars_->setShown(LiveBar::VideoStatus, !statusBar_->isHidden());
}

void CMainFrame::ApplyBarTexts()
{
    for (const BarInfo& info : kBarTable)
        bars_.at(info.bar)->applyTexts(services_.languages.texts());
    bars_.capture->setOverlayText(
        uiText(services_.languages.index(), "Overlay in Captures", "抓图时带叠加", "擷取時帶疊加"));
    images_->refreshUnitLists();
    // Tool tips and prompts come with the language too.
    commands_->applyToolTips(services_.languages);
}

void CMainFrame::ApplyMainMenuTexts()
{
    menus_->setLanguageIndex(services_.languages.index());
    menus_->applyMainTexts(services_.languages.texts());
    menuLanguage_ = services_.languages.index();
    menuBar()->update();
}

void CMainFrame::ApplyVideoMenuTexts()
{
    menus_->setLanguageIndex(services_.languages.index());
    menus_->applyVideoTexts(services_.languages.texts(), services_.languages.index());
    menuBar()->update();
}

void CMainFrame::ApplyImageMenuTexts()
{
    menus_->setLanguageIndex(services_.languages.index());
    menus_->applyImageTexts(services_.languages.texts());
    if (results_)
        results_->retranslate();
    menuBar()->update();
}

bool CMainFrame::barShown(Bar which) const
{
    return !barHost(which)->isHidden();
}

void CMainFrame::setBarShown(Bar which, bool shown)
{
    QToolBar* host = barHost(which);
    // Hidden with the focus inside, the bar would hand it to whatever window comes next in
    // the chain (often the live one); it goes back to the window the user worked in.
    QWidget* focus = QApplication::focusWidget();
    const bool refocus = !shown && focus != nullptr && host->isAncestorOf(focus);
    host->setVisible(shown);
    syncLiveBars();
    if (refocus)
        if (QWidget* target = workFocusTarget())
            target->setFocus(Qt::OtherFocusReason);
}

QWidget* CMainFrame::workFocusTarget() const
{
    QMdiSubWindow* active = client_->activeSubWindow();
    if (auto* image = dynamic_cast<CImageFrame*>(active))
        return image->view();
    if (auto* live = dynamic_cast<CVideoFrame*>(active))
        return live->view();
    return nullptr;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
        if (auto* live = dynamic_cast<CVideoFrame*>(client_->activeSubWindow()))
        {
            // Only keys that reached the bar itself: its controls keep what they use.
            for (Bar b : kVideoSideBars)
                if (watched == barHost(b))
                {
                    QCoreApplication::sendEvent(live->view(), event);
                    return true;
                }
        }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::hideVideoBars()
{
    for (Bar b : kVideoSideBars)
        setBarShown(b, false);
    videoToolBar_->hide();
    syncLiveBars();
}

void CMainFrame::hideImageBars()
{
    imageToolBar_->hide();
    for (Bar b : {Bar::Ruler, Bar::Pen, Bar::Text, Bar::Magnifier, Bar::RulerMeasure})
        setBarShown(b, false);
}

void CMainFrame::showVideoBars()
{
    hideImageBars();
    if (!videoSideBars_)
        return;
    setBarShown(Bar::Capture, barFlag(settings_, Bar::Capture));
    statusBar_->setVisible(settings_.showVideoStatusBar);
    videoToolBar_->setVisible(settings_.showVideoToolBar);
    for (Bar b : {Bar::Size, Bar::Colour, Bar::Lights, Bar::VideoSetting, Bar::Record})
        setBarShown(b, barFlag(settings_, b));
    syncLiveBars();
}

void CMainFrame::onVideoFrameActivated()
{
    for (Bar b : kVideoSideBars)
        setBarShown(b, barFlag(settings_, b));
}

void CMainFrame::showImageBars()
{
    hideVideoBars();
    statusBar_->setVisible(settings_.showImageStatusBar);
    imageToolBar_->setVisible(settings_.showImageToolBar);
    setBarShown(Bar::Ruler, false);
    for (Bar b : {Bar::RulerMeasure, Bar::Pen, Bar::Text, Bar::Magnifier})
        setBarShown(b, barFlag(settings_, b));
    if (settings_.showImageRulerMeasureBar && settings_.showImageZoomBar &&
        settings_.showImageTextBar)
    {
        settings_.showImageTextBar = 0;
        setBarShown(Bar::Text, false);
    }
}

void CMainFrame::toggleBar(Bar which)
{
    const bool shown = !barShown(which);
    setBarShown(which, shown);
    barFlag(settings_, which) = shown;
}

void CMainFrame::toggleVideoToolBar()
{
    const bool shown = videoToolBar_->isHidden();
    videoToolBar_->setVisible(shown);
    settings_.showVideoToolBar = shown;
    syncLiveBars();
}

void CMainFrame::toggleImageToolBar()
{
    const bool shown = imageToolBar_->isHidden();
    imageToolBar_->setVisible(shown);
    settings_.showImageToolBar = shown;
}

void CMainFrame::toggleStatusBar(bool video)
{
    const bool shown = statusBar_->isHidden();
    statusBar_->setVisible(shown);
    (video ? settings_.showVideoStatusBar : settings_.showImageStatusBar) = shown;
    syncLiveBars();
}

void CMainFrame::onAllButtons()
{
    videoSideBars_ = !videoSideBars_;
    for (Bar b : kVideoSideBars)
        setBarShown(b, videoSideBars_ && barFlag(settings_, b));
}

void CMainFrame::onImageAllButtons()
{
    // One set both ways, so that the button hides all and shows all again instead of
    // alternating between two partial sets.
    imageSideBars_ = !imageSideBars_;
    for (Bar b : {Bar::Ruler, Bar::Pen, Bar::Text, Bar::Magnifier, Bar::RulerMeasure})
        setBarShown(b, imageSideBars_ && barFlag(settings_, b));
}

void CMainFrame::onConnect(bool fromRequest)
{
    auto* frame = dynamic_cast<CVideoFrame*>(services_.documents.OpenVideoFrame());
    if (frame == nullptr && fromRequest)
        return;
    ApplyVideoMenuTexts();
    // The menu's connect finds no frame only when none can be made; there is nothing to start.
    if (frame == nullptr)
        return;
    frame->SetPictureSize(settings_.captureSizeIndex);
    SetPaneColours(kPaneHighQuality, kPaneHighlight, RGB(0, 0, 0));
    adjustment_->startCameraWithBarValues();
    frame->StartPreview();
    client_->setLiveWindow(true);
}

void CMainFrame::onHelpContents()
{
    // Nothing, and nothing said, when the manual is not there.
    const QString path = manualPath(services_.languages.index(),
                                    QString::fromLocal8Bit(services_.folders.program.c_str()));
    if (path.isEmpty())
        return;
    const int language = services_.languages.index();
    openWithDesktop(path, this, [this, path, language] { showOwnManual(path, language); });
}

void CMainFrame::showOwnManual(const QString& path, int languageIndex)
{
    if (help_ == nullptr)
        help_ = new HelpWindow(this);
    help_->applyTexts(languageIndex);
    help_->showPage(path);
}

void CMainFrame::onActiveWindowChanged()
{
    QMdiSubWindow* active = client_->activeSubWindow();
    // The live frame shows its bars and panes itself, on activation and on focus.
    if (dynamic_cast<CVideoFrame*>(active) != nullptr)
    {
        commands_->addKeysTo(active, KeyWindow::Live);
        menus_->show(MenuKind::Video, menuBar());
    }
    else if (auto* image = dynamic_cast<CImageFrame*>(active))
    {
        commands_->addKeysTo(active, KeyWindow::Image);
        menus_->show(MenuKind::Image, menuBar());
        showImageBars();
        images_->activated(image);
    }
    else if (client_->subWindowList().isEmpty())
    {
        menus_->show(MenuKind::Main, menuBar());
        hideVideoBars();
        hideImageBars();
        statusBar_->hide();
        client_->setLiveWindow(false);
    }
    // A frame that only lost the focus to another top-level window keeps its table.
    if (active != nullptr || client_->subWindowList().isEmpty())
        results_->setDocument(images_->activeDocument());
    // A maximised child's title joins the caption in brackets by the client area's own doing;
    // adding it here too would show it twice.
    if (active == nullptr || !active->isMaximized())
        setWindowTitle(fromGbk(services_.languages.texts().text("AppTitle")));
    updateCommandStates();
}

void CMainFrame::updateCommandStates()
{
    syncLiveBars();
    commands_->refresh();
}

bool CMainFrame::event(QEvent* event)
{
    if (event->type() == events::connectDevice())
    {
        onConnect(true);
        updateCommandStates();
        return true;
    }
    if (event->type() == events::commandStates())
    {
        updateCommandStates();
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeOnTermination()
{
    for (QMdiSubWindow* window : client_->subWindowList())
    {
        auto* image = qobject_cast<CImageFrame*>(window);
        if (image == nullptr)
            continue;
        CImageDoc& document = image->document();
        const std::optional<QString> written = document.saveForTermination();
        if (written && !written->isEmpty())
            std::fprintf(stderr, "kwzview: unsaved picture %s written to %s\n",
                         qPrintable(document.title()), qPrintable(*written));
        else if (written)
            std::fprintf(stderr, "kwzview: unsaved picture %s could not be written\n",
                         qPrintable(document.title()));
        image->agreeWithoutAsking();
    }
    close();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // Every image window is asked before any window closes, so that a Cancel leaves the
    // live window, its recording and every picture as they were.
    QList<CImageFrame*> agreed;
    for (QMdiSubWindow* window : client_->subWindowList())
    {
        auto* image = qobject_cast<CImageFrame*>(window);
        if (image == nullptr)
            continue;
        if (!image->agreeToClose())
        {
            for (CImageFrame* other : agreed)
                other->withdrawClose();
            event->ignore();
            return;
        }
        agreed << image;
    }
    client_->closeAllSubWindows();
    if (!client_->subWindowList().isEmpty())
    {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
        {
            event->acceptProposedAction();
            return;
        }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    if (openDroppedFiles(*event->mimeData()))
        event->acceptProposedAction();
}

bool CMainFrame::openDroppedFiles(const QMimeData& data)
{
    // Every dropped file goes to the image windows, as files named on the command line do.
    bool taken = false;
    for (const QUrl& url : data.urls())
    {
        if (!url.isLocalFile())
            continue;
        taken = true;
        const QString path = url.toLocalFile();
        // JPEG, PNG and TIFF pictures come in as imports, the program's own files open.
        if (CImageDoc::isImportable(path))
            importPicture(path);
        else if (services_.documents.openDocumentFile(path) != nullptr)
            ApplyImageMenuTexts();
    }
    return taken;
}

void CMainFrame::setRecentFiles(std::function<QStringList()> list,
                                std::function<void(const QString&)> open)
{
    menus_->setRecentFiles(std::move(list), std::move(open));
}
