#include "app/image/image_frame.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QTimer>
#include <QUndoStack>
#include <algorithm>

#include "app/image/image_doc.h"
#include "app/image/image_services.h"
#include "app/image/image_view.h"
#include "app/image/zoom_ladder.h"
#include "app/shell/command_ids.h"
#include "app/shell/events.h"
#include "app/shell/gbk_text.h"
#include "app/shell/language.h"
#include "app/shell/ui_text.h"
#include "gaugit.h"
#include "platform/message_box.h"

using namespace cmd;

namespace {

constexpr COLORREF kPaneBackground = 13158600;
constexpr COLORREF kPaneText = 6579300;
constexpr COLORREF kToolNameText = 200;

struct ToolCommand
{
    int command;
    int tool;
};
constexpr ToolCommand kToolCommands[] = {
    {ID_IMAGE_NORMAL, 0},
    {ID_IMAGE_MESURE_LINE, GT_LINE},
    {ID_IMAGE_MEASURE_RECT, GT_RECT},
    {ID_IMAGE_MEASURE_CIRCLE0, GT_CIRCLE_DIAMETER},
    {ID_IMAGE_MEASURE_CIRCLE1, GT_CIRCLE_CENTRE},
    {ID_IMAGE_MEASURE_CIRCLE2, GT_CIRCLE_3POINTS},
    {ID_IMAGE_MEASURE_ELLIPSE0, GT_ELLIPSE_BOX},
    {ID_IMAGE_MEASURE_ELLIPSE1, GT_ELLIPSE_CENTRE},
    {ID_IMAGE_MEASURE_ANGLE, GT_ANGLE},
    {ID_IMAGE_MEASURE_POLYLINE, GT_POLYGON},
    {ID_IMAGE_MEASURE_TEXT, GT_TEXT},
};

} // namespace

CImageFrame::CImageFrame(CImageDoc& document, ImageServices* host, QWidget* parent)
    : QMdiSubWindow(parent), document_(document), host_(host), view_(new CImageView(document, host))
{
    setWidget(view_);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(document.title());
    connect(&document, &CImageDoc::titleChanged, this, &QWidget::setWindowTitle);
    connect(view_, &CImageView::commandPosted, this, &CImageFrame::dispatchCommand);
    // A captured frame arrives after the window is shown.
    connect(&document, &CImageDoc::loaded, this, [this] {
        if (!fitted_ && isVisible())
            fitToImage();
    });
    connect(view_, &CImageView::zoomChanged, this, [this] {
        // The panes belong to the active window.
        if (mdiArea() == nullptr || mdiArea()->activeSubWindow() == this)
            showSizePane();
    });
    // Undo and Redo name the step they would take.
    connect(document.undoStack(), &QUndoStack::indexChanged, this, [this] {
        if (window() != this)
            QCoreApplication::postEvent(window(), new QEvent(events::commandStates()));
    });
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates before, Qt::WindowStates now) {
                if ((now & Qt::WindowActive) && !(before & Qt::WindowActive))
                    applyImageStatusBar();
                // Once the workspace has made another window current.
                if (!(now & Qt::WindowActive) && (before & Qt::WindowActive))
                    QTimer::singleShot(0, view_, &CImageView::releaseIfBehind);
            });
}

int CImageFrame::toolOfCommand(int commandId)
{
    for (const ToolCommand& t : kToolCommands)
        if (t.command == commandId)
            return t.tool;
    return -1;
}

void CImageFrame::chooseTool(int commandId, int tool)
{
    tool_ = tool;
    view_->setTool(tool);
    if (tool == 0)
    {
        if (host_ != nullptr && document_.hasImage())
            host_->setPaneText(7, QString());
        return;
    }
    // A picture measured on is saved with its figures when it is new.
    document_.setKind(CImageDoc::KindMeasureFile);
    document_.setModified(true);
    if (host_ != nullptr)
    {
        host_->setPaneColours(7, kPaneBackground, kToolNameText);
        host_->setPaneText(7, host_->toolTipText(commandId));
    }
}

void CImageFrame::exportTiff()
{
    ImageServices* services = document_.services();
    if (services == nullptr || !document_.hasImage())
        return;
    const int language = services->languageIndex();
    const QString base =
        QFileInfo(document_.pathName().isEmpty() ? windowTitle() : document_.pathName())
            .completeBaseName();
    const QString path =
        services->getSaveFileName(QStringLiteral("TIFF (*.tif *.tiff)"), base + ".tif");
    if (path.isEmpty())
        return;
    const QString question =
        QString::fromUtf8(builtInText(language, "Draw the figures into the exported picture?",
                                      "把图形画进导出的图片？", "把圖形畫進匯出的圖片？"));
    const int answer = kwz::messageBox(nullptr, toGbk(question).c_str(), "kwzview",
                                       kwz::MB_YESNOCANCEL | kwz::MB_ICONQUESTION);
    if (answer == kwz::IDCANCEL)
        return;
    document_.exportTiff(path, answer == kwz::IDYES);
}

bool CImageFrame::onCommand(int commandId)
{
    const int tool = toolOfCommand(commandId);
    if (tool >= 0)
    {
        chooseTool(commandId, tool);
        return true;
    }
    switch (commandId)
    {
    case ID_IMAGE_MEASURE_ELLIPSE:
        // The ellipse is chosen through its two variants.
        return true;
    case ID_IMAGE_MEASURE_DELETE:
        tool_ = kToolDeleted;
        if (document_.bitmap() != nullptr)
        {
            document_.deleteSelected();
            document_.setModified(true);
        }
        postCommand(ID_IMAGE_NORMAL);
        return true;
    case ID_IMAGE_MEASURE_DELETEALL:
        // Undo brings the figures back: no question first.
        if (document_.bitmap() != nullptr)
        {
            view_->settle();
            document_.deleteAll();
        }
        postCommand(ID_IMAGE_NORMAL);
        return true;
    case ID_EDIT_UNDO_STEP:
        // A figure half built is finished or dropped first, so undo takes back what shows.
        view_->settle();
        document_.undoStack()->undo();
        return true;
    case ID_EDIT_REDO_STEP:
        view_->settle();
        document_.undoStack()->redo();
        return true;
    case ID_RETURN_VIDEO:
        if (host_ == nullptr || !host_->activateVideoWindow())
            kwz::messageBox(nullptr,
                            "It has no Video window and please close this window and connect "
                            "device first.",
                            "kwzview", kwz::MB_OK | kwz::MB_ICONINFORMATION);
        return true;
    case ID_FILE_SAVE:
        document_.save();
        return true;
    case ID_FILE_SAVE_AS:
        document_.saveAs();
        return true;
    case ID_FILE_PRINT:
        view_->print();
        return true;
    case ID_FILE_EXPORT_TIFF:
        exportTiff();
        return true;
    case ID_IMAGE_SCALEBAR:
        if (ImageServices* services = document_.services())
        {
            bool& on = services->measureSettings().settings().overlay.stillScaleBar;
            on = !on;
        }
        return true;
    case ID_FILE_PRINT_PREVIEW:
        view_->printPreview();
        return true;
    case ID_FILE_PRINT_SETUP:
        view_->printSetup();
        return true;
    case ID_FILE_CLOSE:
        close();
        return true;
    case ID_VIEW_ZOOM_IN:
        view_->zoomIn();
        return true;
    case ID_VIEW_ZOOM_OUT:
        view_->zoomOut();
        return true;
    case ID_VIEW_ACTUAL_SIZE:
        view_->zoomToActualSize();
        return true;
    case ID_VIEW_FIT_WINDOW:
        view_->zoomToFit();
        return true;
    default:
        return false;
    }
}

bool CImageFrame::updateCommand(int commandId, CommandState& state)
{
    state.checked = false;
    const int tool = toolOfCommand(commandId);
    if (tool >= 0)
    {
        state.checked = tool_ == tool;
        return true;
    }
    switch (commandId)
    {
    case ID_IMAGE_MEASURE_DELETE:
        state.checked = tool_ == kToolDeleted;
        return true;
    case ID_EDIT_UNDO_STEP:
        state.enabled = document_.undoStack()->canUndo();
        state.text = document_.undoText(host_ != nullptr ? host_->languageIndex() : 0);
        return true;
    case ID_EDIT_REDO_STEP:
        state.enabled = document_.undoStack()->canRedo();
        state.text = document_.redoText(host_ != nullptr ? host_->languageIndex() : 0);
        return true;
    case ID_FILE_EXPORT_CSV:
        // The main frame writes it, from the results of the active image.
        return false;
    case ID_IMAGE_MEASURE_ELLIPSE:
    case ID_IMAGE_MEASURE_DELETEALL:
    case ID_FILE_CLOSE:
    // Always offered: without a live window it says how to get one.
    case ID_RETURN_VIDEO:
        return true;
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
        state.enabled = document_.hasImage();
        return true;
    case ID_FILE_EXPORT_TIFF:
        state.enabled = document_.hasImage() && document_.services() != nullptr;
        return true;
    case ID_IMAGE_SCALEBAR:
        state.enabled = document_.services() != nullptr;
        state.checked = document_.stillScaleBar() != nullptr;
        return true;
    case ID_FILE_PRINT_SETUP:
        state.enabled = host_ != nullptr && host_->printer() != nullptr;
        return true;
    case ID_VIEW_ZOOM_IN:
        state.enabled = document_.hasImage() && view_->zoom() < ZoomLadder::kMaximum;
        return true;
    case ID_VIEW_ZOOM_OUT:
        state.enabled = document_.hasImage() && view_->zoom() > ZoomLadder::kMinimum;
        return true;
    case ID_VIEW_ACTUAL_SIZE:
    case ID_VIEW_FIT_WINDOW:
        state.enabled = document_.hasImage();
        return true;
    default:
        return false;
    }
}

void CImageFrame::postCommand(int commandId)
{
    QMetaObject::invokeMethod(
        this, [this, commandId] { dispatchCommand(commandId); }, Qt::QueuedConnection);
}

void CImageFrame::dispatchCommand(int commandId)
{
    if (!onCommand(commandId))
    {
        if (host_ != nullptr)
            host_->executeCommand(commandId);
        return;
    }
    // Menu items and buttons show the new tool.
    QCoreApplication::postEvent(window(), new QEvent(events::commandStates()));
}

void CImageFrame::applyImageStatusBar()
{
    if (host_ == nullptr)
        return;
    // Pane 1 has room for the zoom beside the size.
    static constexpr int kWidths[] = {0, 200, 100, 0, 0, 0, 100, 280};
    for (int pane = 0; pane < 8; ++pane)
        host_->setPaneWidth(pane, kWidths[pane], pane == 0);
    host_->setPaneText(2, QStringLiteral("X: 0  Y: 0"));
    for (int pane = 3; pane <= 7; ++pane)
    {
        host_->setPaneText(pane, QString());
        host_->setPaneColours(pane, kPaneBackground, kPaneText);
    }
    host_->setPaneText(6, host_->toolTipText(ID_OP_IMAGE_WINDOW));
    // Pane 1 would otherwise keep the size the live picture or another image left there.
    showSizePane();
}

void CImageFrame::showSizePane()
{
    if (host_ == nullptr)
        return;
    const QSize image = document_.imageSize();
    QString text =
        uiText(host_->languageIndex(), "width:%1 height:%2", "宽:%1 高:%2", "寬:%1 高:%2")
            .arg(image.width())
            .arg(image.height());
    // At 100 % the pane says what it always said; the factor shows once the view is zoomed.
    if (view_->zoom() != 1.0)
        text += QStringLiteral("  ") + ZoomLadder::percentText(view_->zoom());
    host_->setPaneText(1, text);
}

void CImageFrame::fitToImage()
{
    QMdiArea* area = mdiArea();
    const QSize image = document_.imageSize();
    if (area == nullptr || image.isEmpty())
        return;
    fitted_ = true;
    // Among maximised windows a new one comes maximised too; sizing it would take every
    // window out of that state.
    const QList<QMdiSubWindow*> windows = area->subWindowList();
    const bool maximised =
        isMaximized() || std::any_of(windows.begin(), windows.end(), [this](QMdiSubWindow* w) {
            return w != this && w->isMaximized();
        });
    if (maximised)
    {
        if (!isMaximized())
            showMaximized();
        return;
    }
    const int border = 2 * view_->frameWidth();
    const QSize decorations = size() - view_->size() + QSize(border, border);
    const QSize room = area->viewport()->size();
    resize((image + decorations).boundedTo(room));
    // Where the client area put it, the whole frame stays in sight.
    move(std::clamp(x(), 0, std::max(0, room.width() - width())),
         std::clamp(y(), 0, std::max(0, room.height() - height())));
}

void CImageFrame::showEvent(QShowEvent* event)
{
    QMdiSubWindow::showEvent(event);
    if (!fitted_)
        fitToImage();
}

bool CImageFrame::agreeToClose()
{
    if (!closeAgreed_)
        closeAgreed_ = document_.askToSave();
    return closeAgreed_;
}

void CImageFrame::closeEvent(QCloseEvent* event)
{
    const bool agreed = agreeToClose();
    closeAgreed_ = false;
    if (!agreed)
    {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
