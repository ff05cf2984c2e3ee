#pragma once
// Image work as the main frame carries it: the measurement settings and ruler files, the
// ruler, ruler definition, pen, text and magnifier bars tied to the settings, what an image
// window gets when it comes to the front, and the few services image documents and windows
// use. What they tell the main window (status panes, commands it handles) leaves as signals.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/image/measure_settings.h"
#include "kwztypes.h"

class CImageDoc;
class CImageFrame;
class MagnifierWindow;
class QMdiArea;
class QPrinter;
struct DialogBars;
namespace kwz {
class Window;
}

class ImageWorkspace : public QObject
{
    Q_OBJECT
  public:
    // The settings are the caller's and outlive this object. `languageIndex` gives the
    // program's language when asked.
    ImageWorkspace(FrameSettings& settings, const std::string& rulersFolder,
                   std::function<int()> languageIndex, QObject* parent = nullptr);
    ~ImageWorkspace() override;

    // What the program around provides. Until set: no tool tips, no image window is active,
    // no live window exists, and save dialogs have no parent.
    void setToolTips(std::function<QString(int commandId)> toolTips);
    void setClientArea(QMdiArea* client) { client_ = client; }
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

    // Puts the magnifier into its bar and ties every control of the image bars to the
    // settings, and the settings' reports back to the controls. Once, after the bars exist.
    void connectBars(const DialogBars& bars);
    // The ruler files the program comes with, written when they are missing.
    void ensureSystemRulers();
    // Both ruler lists from the ruler folder.
    void refreshRulerLists();
    // The unit lists of both ruler bars in the program's language.
    void refreshUnitLists();
    // An image frame came to the front: its document takes the ruler bar's ruler, then the
    // precision. Coming back to the same frame (after a dialog) changes nothing.
    void activated(CImageFrame* frame);
    // The document of the active image window, or null.
    CImageDoc* activeDocument() const;
    MagnifierWindow* magnifier() const { return magnifier_; }

    // --- Services of image documents and windows ---
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

  private:
    void connectRulerBars(const DialogBars& bars);
    void connectPenAndTextBars(const DialogBars& bars);
    void showRulerList(const DialogBars& bars, const QStringList& names, int selected);

    MeasureSettings measure_;
    std::function<QString(int)> toolTips_;
    std::function<bool()> findVideoWindow_;
    std::function<QString(const QString&, const QString&)> chooseSaveName_;
    QMdiArea* client_ = nullptr;
    QPointer<QWidget> dialogParent_;
    MagnifierWindow* magnifier_ = nullptr;
    kwz::Window* magnifierWindow_ = nullptr;
    const DialogBars* bars_ = nullptr;
    // The image frame that was last brought to the front.
    QPointer<CImageFrame> lastActivated_;
    // Made at the first print or print setup; its choices hold for the rest of the run.
    std::unique_ptr<QPrinter> printer_;
};
