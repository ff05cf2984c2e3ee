#pragma once
// Image work as the main frame carries it: the ruler files, the ruler, ruler definition, pen,
// text and magnifier bars tied to the settings, and what an image window gets when it comes
// to the front. The services documents and windows use are the base class's.

#include <QPointer>
#include <QString>
#include <functional>
#include <string>

#include "app/image/image_services.h"
#include "kwztypes.h"

class CImageDoc;
class CImageFrame;
class QMdiArea;
struct DialogBars;

class ImageWorkspace : public ImageServices
{
    Q_OBJECT
  public:
    // The settings are the caller's and outlive this object. `languageIndex` gives the
    // program's language when asked.
    ImageWorkspace(FrameSettings& settings, const std::string& rulersFolder,
                   std::function<int()> languageIndex, QObject* parent = nullptr);
    ~ImageWorkspace() override;

    // What the program around provides besides the services. Until set no image window is
    // active.
    void setClientArea(QMdiArea* client) { client_ = client; }

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

    // Finds the divisions of a stage micrometer along the selected (or last) line of the
    // active picture, asks their spacing, and calibrates the profile in use at the picture's
    // size with the scale found (a profile "Default" is made when none is in use). The user
    // is told the scale, the divisions used and the residual, or why nothing was found.
    // False when nothing was calibrated.
    bool calibrateFromMicrometer();
    // Asks a name and makes a new empty profile, which comes into use. False when cancelled
    // or refused.
    bool newProfile();
    // Deletes the profile in use after asking; none is in use afterwards.
    bool deleteProfile();
    // The ruler bar's scale line for the active picture.
    void showScale();

  private:
    void connectRulerBars(const DialogBars& bars);
    void connectPenAndTextBars(const DialogBars& bars);
    void showRulerList(const DialogBars& bars, const QStringList& names, int selected);
    void connectProfiles(const DialogBars& bars);
    void message(const QString& text, bool warning) const;
    // The profile's scale and whether it was calibrated on this size go to the active picture.
    void profileChanged();

    QMdiArea* client_ = nullptr;
    const DialogBars* bars_ = nullptr;
    // The image frame that was last brought to the front.
    QPointer<CImageFrame> lastActivated_;
};
