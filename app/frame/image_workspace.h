#pragma once
// Image work as the main frame carries it: the measurement settings and ruler files, what the
// image windows ask of the main frame, the ruler, ruler definition, pen, text and magnifier
// bars tied to the settings, and what an image window gets when it comes to the front.

#include <QObject>
#include <QPointer>
#include <memory>
#include <string>

#include "app/image/image_host.h"
#include "app/image/measure_settings.h"

class CImageDoc;
class CImageFrame;
class FrameParts;
class DocumentManager;
class LanguageSession;
class MagnifierWindow;
class QPrinter;
struct DialogBars;

class ImageWorkspace : public QObject, public ImageHost
{
    Q_OBJECT
  public:
    // The settings are the main frame's and outlive this object.
    ImageWorkspace(FrameParts& frame, FrameSettings& settings, const std::string& rulersFolder,
                   const LanguageSession& languages, DocumentManager& documents);
    ~ImageWorkspace() override;

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

    MeasureSettings& measureSettings() override { return measure_; }
    int languageIndex() const override;
    QString toolTipText(int commandId) const override;
    void setPaneText(int pane, const QString& text) override;
    void setPaneColours(int pane, COLORREF background, COLORREF text) override;
    void setPaneWidth(int pane, int width, bool stretch) override;
    kwz::Window* magnifierWindow() override;
    QString getSaveFileName(const QString& filter, const QString& initialName) override;
    void executeCommand(int commandId) override;
    bool activateVideoWindow() override;
    QPrinter* printer() override;

  private:
    void connectRulerBars(const DialogBars& bars);
    void connectPenAndTextBars(const DialogBars& bars);
    void showRulerList(const DialogBars& bars, const QStringList& names, int selected);

    FrameParts& frame_;
    const LanguageSession& languages_;
    DocumentManager& documents_;
    MeasureSettings measure_;
    MagnifierWindow* magnifier_ = nullptr;
    const DialogBars* bars_ = nullptr;
    // The image frame that was last brought to the front.
    QPointer<CImageFrame> lastActivated_;
    // Made at the first print or print setup; its choices hold for the rest of the run.
    std::unique_ptr<QPrinter> printer_;
};
