// The main frame's command map: what each command that reaches the main frame does, when it
// is enabled and checked, and what the folder buttons of the capture and record bars do.

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QToolBar>
#include <QUrl>

#include "app/bars/capture_bar.h"
#include "app/bars/record_bar.h"
#include "app/bars/size_bar.h"
#include "app/controls/client_wnd.h"
#include "app/controls/sp_status_bar.h"
#include "app/documents/document_manager.h"
#include "app/frame/command_router.h"
#include "app/frame/main_frame.h"
#include "app/image/image_doc.h"
#include "app/image/image_workspace.h"
#include "app/image/results_panel.h"
#include "app/live/camera_session.h"
#include "app/shell/command_ids.h"
#include "app/shell/picture_sizes.h"
#include "app/shell/ui_text.h"

using namespace cmd;

bool CMainFrame::onCommand(int id)
{
    if (const BarInfo* info = barToggledBy(id))
    {
        // White balance settings mean nothing without a camera.
        if (id == ID_VIDEO_MANUALWB && !services_.camera.isOpen())
            return true;
        toggleBar(info->bar);
        // The text bar and the magnifier share their place.
        if (info->bar == Bar::Text && barShown(Bar::Text))
            setBarShown(Bar::Magnifier, false);
        return true;
    }
    switch (id)
    {
    case ID_DEVICE_CONNECTDEVICE:
        onConnect();
        return true;
    case ID_APP_EXIT:
        close();
        return true;
    case ID_HELP_CONTENTS:
        onHelpContents();
        return true;
    case ID_FILE_CLOSE:
        if (QMdiSubWindow* active = client_->activeSubWindow())
            active->close();
        return true;
    case ID_WINDOW_CASCADE:
        client_->cascadeSubWindows();
        return true;
    case ID_WINDOW_TILE_HORZ:
        client_->tileSubWindows();
        return true;
    case ID_VIDEO_SHOWSETTINGBAR:
        return true;
    case ID_VIEW_VIDEO_TOOLBAR:
        toggleVideoToolBar();
        return true;
    case ID_VIEW_VIDEO_STATUSBAR:
        toggleStatusBar(true);
        return true;
    case ID_VIEW_IMAGE_TOOLBAR:
        toggleImageToolBar();
        return true;
    case ID_VIEW_IMAGE_STATUSBAR:
        toggleStatusBar(false);
        return true;
    case ID_VIEW_RESULTS:
        results_->setVisible(results_->isHidden());
        return true;
    case ID_CALIBRATE_MICROMETER:
        images_->calibrateFromMicrometer();
        return true;
    case ID_CALIBRATION_NEW_PROFILE:
        images_->newProfile();
        return true;
    case ID_CALIBRATION_DELETE_PROFILE:
        images_->deleteProfile();
        return true;
    case ID_FILE_EXPORT_CSV:
        results_->setDocument(images_->activeDocument());
        results_->exportCsv();
        return true;
    case ID_BUTTON_ALLBTN:
        onAllButtons();
        return true;
    case ID_BUTTON_IMAGEALL:
        onImageAllButtons();
        return true;
    case ID_RETURN_VIDEO:
        services_.documents.FindVideoFrame();
        return true;
    default:
        return false;
    }
}

bool CMainFrame::updateCommand(int id, CommandState& state)
{
    if (const BarInfo* info = barToggledBy(id))
    {
        state.checked = barShown(info->bar);
        return true;
    }
    switch (id)
    {
    case ID_DEVICE_CONNECTDEVICE:
    case ID_APP_EXIT:
    case ID_HELP_CONTENTS:
    case ID_FILE_CLOSE:
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE_HORZ:
        return true;
    case ID_VIDEO_SHOWSETTINGBAR:
        state.checked = barShown(Bar::Capture);
        return true;
    case ID_VIEW_VIDEO_TOOLBAR:
        state.checked = !videoToolBar_->isHidden();
        return true;
    case ID_VIEW_IMAGE_TOOLBAR:
        state.checked = !imageToolBar_->isHidden();
        return true;
    case ID_VIEW_VIDEO_STATUSBAR:
    case ID_VIEW_IMAGE_STATUSBAR:
        state.checked = !statusBar_->isHidden();
        return true;
    case ID_BUTTON_ALLBTN:
        state.checked = videoSideBars_;
        return true;
    case ID_BUTTON_IMAGEALL:
        state.checked = imageSideBars_;
        return true;
    case ID_VIEW_RESULTS:
        state.checked = !results_->isHidden();
        return true;
    case ID_CALIBRATE_MICROMETER:
        state.enabled =
            images_->activeDocument() != nullptr && images_->activeDocument()->hasImage();
        return true;
    case ID_CALIBRATION_NEW_PROFILE:
        return true;
    case ID_CALIBRATION_DELETE_PROFILE:
        state.enabled = images_->calibrationProfiles().active() != nullptr;
        return true;
    case ID_FILE_EXPORT_CSV: {
        const CImageDoc* active = images_->activeDocument();
        state.enabled = active != nullptr && active->hasImage();
        return true;
    }
    // Without an image window there is no step to take.
    case ID_EDIT_UNDO_STEP:
        state.enabled = false;
        state.text = uiText(services_.languages.index(), "&Undo", "撤销(&U)", "復原(&U)");
        return true;
    case ID_EDIT_REDO_STEP:
        state.enabled = false;
        state.text = uiText(services_.languages.index(), "&Redo", "重做(&R)", "重做(&R)");
        return true;
    case ID_RETURN_VIDEO:
        state.enabled = services_.documents.hasLiveDocument();
        return true;
    default:
        return false;
    }
}

void CMainFrame::connectBars()
{
    CaptureBar* capture = bars_.capture;
    RecordBar* record = bars_.record;
    connect(capture, &CaptureBar::browseClicked, this,
            [this, capture] { chooseFolder(settings_.capturePath, capture->path()); });
    connect(record, &RecordBar::browseClicked, this,
            [this, record] { chooseFolder(settings_.recordPath, record->path()); });
    connect(capture, &CaptureBar::openFolderClicked, this,
            [this] { openFolder(settings_.capturePath); });
    connect(record, &RecordBar::openFolderClicked, this,
            [this] { openFolder(settings_.recordPath); });
    // The size buttons are commands of the live window; the bar then shows the size in use,
    // which is the one chosen unless no live window took it.
    connect(bars_.size, &SizeBar::sizeChosen, this, [this](int index) {
        if (const PictureSize* size = pictureSizeAt(index))
            commands_->route(size->controlId);
        bars_.size->setSizeIndex(settings_.captureSizeIndex);
    });
}

void CMainFrame::openFolder(const std::string& path)
{
    // The desktop's file manager; a folder that is not there is no failure worth a word.
    const QString folder = QString::fromStdString(path);
    if (QFileInfo(folder).isDir())
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void CMainFrame::chooseFolder(std::string& stored, QLineEdit* box)
{
    const QString start = QString::fromStdString(stored);
    const QString chosen =
        chooseFolder_
            ? chooseFolder_(this, start)
            : QFileDialog::getExistingDirectory(this, QString(), start, QFileDialog::ShowDirsOnly);
    if (!chosen.isEmpty())
        stored = QDir::toNativeSeparators(chosen).toStdString();
    box->setText(QString::fromStdString(stored));
}
