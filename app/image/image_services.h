#pragma once
// What image documents, windows and views use of the program around them: the measurement
// settings, dialogs, the printer, the magnifier's window and the main window's status panes.
// Kept apart from the workspace (bars, ruler files, activation), which knows documents and
// frames, so that they never need to know it back.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/calibration/calibration_profiles.h"
#include "app/image/measure_settings.h"
#include "kwztypes.h"

class MagnifierWindow;
class QPrinter;
namespace kwz {
class Window;
}

class ImageServices : public QObject
{
    Q_OBJECT
  public:
    // The settings are the caller's and outlive this object. `languageIndex` gives the
    // program's language when asked.
    ImageServices(FrameSettings& settings, const std::string& rulersFolder,
                  std::function<int()> languageIndex, QObject* parent = nullptr);
    ~ImageServices() override;

    // What the program around provides. Until set: no tool tips, no live window exists, and
    // save dialogs have no parent.
    void setToolTips(std::function<QString(int commandId)> toolTips);
    void setDialogParent(QWidget* parent) { dialogParent_ = parent; }
    void setVideoWindowFinder(std::function<bool()> finder)
    {
        findVideoWindow_ = std::move(finder);
    }
    // Replaces the save dialog: the chosen path, or empty for a cancel.
    void setSaveNameChooser(std::function<QString(const QString&, const QString&)> chooser)
    {
        chooseSaveName_ = std::move(chooser);
    }

    // Replace the input dialogs: a number (the micrometer's division spacing) and a text (a
    // profile's name), each given a prompt and the value offered; none for a cancel.
    void setNumberAsker(std::function<std::optional<double>(const QString&, double)> asker)
    {
        askNumber_ = std::move(asker);
    }
    void setTextAsker(std::function<std::optional<QString>(const QString&, const QString&)> asker)
    {
        askText_ = std::move(asker);
    }
    // Scripted runs take the value offered.
    std::optional<double> askNumber(const QString& prompt, double offered);
    std::optional<QString> askText(const QString& prompt, const QString& offered);

    // The calibration profiles and the one in use, which the live picture is measured with too.
    CalibrationProfiles& calibrationProfiles() { return profiles_; }

    // The current measurement settings, with the capture name, index, folder and
    // auto-increment flag that a captured image takes, and the magnifier radius.
    MeasureSettings& measureSettings() { return measure_; }
    // 0 Simplified Chinese, 1 English, 2 Traditional Chinese.
    int languageIndex() const { return measure_.languageIndex(); }
    // The tool tip and prompt of a command, decoded.
    QString toolTipText(int commandId) const;
    // The window the magnifier draws into, or null when it is not shown. Another window
    // may stand in for the magnifier bar's.
    kwz::Window* magnifierWindow();
    void setMagnifierWindow(kwz::Window* window) { magnifierWindow_ = window; }
    // A save dialog: the chosen path, or empty when cancelled. The filter is in Qt's form.
    QString getSaveFileName(const QString& filter, const QString& initialName);
    // Brings the live window forward; false when there is none.
    bool activateVideoWindow();
    // The printer that print setup chose for every image; made at the first use.
    QPrinter* printer();

    // Status panes of the main window, as image work shows them.
    void setPaneText(int pane, const QString& text) { Q_EMIT paneTextChanged(pane, text); }
    void setPaneColours(int pane, COLORREF background, COLORREF text)
    {
        Q_EMIT paneColoursChanged(pane, background, text);
    }
    // A width of 0 hides the pane; a stretching pane takes what the others leave.
    void setPaneWidth(int pane, int width, bool stretch)
    {
        Q_EMIT paneWidthChanged(pane, width, stretch);
    }
    // A command the image frame does not handle itself (open, the bar toggles, the
    // magnifier bar), as if chosen from the menu.
    void executeCommand(int commandId) { Q_EMIT commandRequested(commandId); }

  Q_SIGNALS:
    void paneTextChanged(int pane, const QString& text);
    void paneColoursChanged(int pane, COLORREF background, COLORREF text);
    void paneWidthChanged(int pane, int width, bool stretch);
    void commandRequested(int commandId);

  protected:
    MeasureSettings measure_;
    CalibrationProfiles profiles_;
    MagnifierWindow* magnifier_ = nullptr;

  private:
    std::function<QString(int)> toolTips_;
    std::function<bool()> findVideoWindow_;
    std::function<QString(const QString&, const QString&)> chooseSaveName_;
    std::function<std::optional<double>(const QString&, double)> askNumber_;
    std::function<std::optional<QString>(const QString&, const QString&)> askText_;
    QPointer<QWidget> dialogParent_;
    kwz::Window* magnifierWindow_ = nullptr;
    // Made at the first print or print setup; its choices hold for the rest of the run.
    std::unique_ptr<QPrinter> printer_;
};
