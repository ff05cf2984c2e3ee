#pragma once
// The document of one still image and the measurements drawn on it: opened from a ".bmp",
// ".Mea" or ".kwz" file or made from a captured frame. It owns the bitmap object that holds
// the image and its engine instance, and decides in which format and under which name it is
// saved.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>

#include "app/documents/doc_template.h"
#include "app/image/measure_step.h"
#include "app/image/measured_bitmap.h"
#include "app/image/measured_document.h"
#include "app/shell/overlay_settings.h"
#include "kwztypes.h"

class ImageServices;
class QUndoStack;

class CImageDoc : public CDocument, public MeasuredDocument
{
    Q_OBJECT
  public:
    // The format a document is saved in.
    enum Kind
    {
        KindNone = 0,        // not a file of this kind
        KindSavedBitmap = 1, // after a save-as to a ".bmp" name
        KindMeasureFile = 2, // ".Mea"
        KindBitmap = 3,      // ".bmp", ".kwz"
    };
    // Where the image came from.
    enum Origin
    {
        OriginOpened = 0,
        OriginCaptured = 1, // stays so after saving
        OriginFailed = 2,   // the open failed; never written
    };

    // Without services the document takes no settings, asks no dialog and saves new images
    // nowhere.
    explicit CImageDoc(ImageServices* services = nullptr);
    ~CImageDoc() override;

    ImageServices* services() const { return services_; }

    // The kind of a file by its name: the last three characters without regard to case.
    static int fileKind(const QString& path);

    // Takes a captured frame: 24-bit rows, bottom row first, padded to 4 bytes.
    bool buildFromFrame(const BYTE* bits, int width, int height);
    // A JPEG, PNG or TIFF picture (8 or 16 bits a channel, grey or colour) as a new unsaved
    // image, measured and saved as a capture is; false with the reason in *why.
    bool importPicture(const QString& path, QString* why = nullptr);
    // The two halves of it: the picture read (null, with the reason in *why, when refused),
    // then taken as this document's, titled after `base`.
    static QImage readImportable(const QString& path, int language, QString* why);
    bool takeImported(const QImage& picture, const QString& base);
    // Whether a file's name says it is a picture for importPicture rather than open.
    static bool isImportable(const QString& path);
    bool onOpenDocument(const QString& path) override { return open(path); }
    bool open(const QString& path);
    // The platform's save and save-as commands; true when a file was written.
    bool save();
    bool saveAs();
    // A calibrated TIFF file of the picture as loaded, or with the figures (and the scale bar,
    // when pictures get one) drawn in. False when nothing was written; a failure is reported.
    bool exportTiff(const QString& path, bool figures);
    // The overlay settings when pictures get a scale bar on their way out; null otherwise.
    const OverlaySettings* stillScaleBar() const;
    // Before the document closes: false keeps it open.
    bool askToSave();
    // The program is being ended: unsaved changes go to a name that no file has, in the
    // capture folder for a new capture and beside the file for an opened one, never over a
    // file. Nothing when there is nothing to save, else the path written ("" if the write
    // failed).
    std::optional<QString> saveForTermination();

    // Null when the library could not make one.
    MeasuredBitmap* bitmap() const override { return bitmap_.get(); }
    bool hasImage() const;
    QSize imageSize() const;
    // How many figures the document holds, the ruler not counted; -1 when it cannot tell.
    int figureCount() const;

    // Deletes the selected figure; false when none was selected.
    bool deleteSelected();
    // Deletes every figure; false when there were none.
    bool deleteAll();
    // Selects the figure under an image point; false when there is none.
    bool selectAt(const QPoint& point);
    // Selects a figure by its number in the values export, -1 for none; false when refused.
    bool selectFigure(int index);

    int kind() const { return kind_; }
    void setKind(int kind) { kind_ = kind; }
    int origin() const { return origin_; }
    int hideRuler() const { return hideRuler_ ? 1 : 0; }
    void setHideRuler(bool hide) override;
    bool isModified() const { return modified_; }
    void setModified(bool modified) override;
    // The file the document was opened from or last saved to ("" for a new capture).
    QString pathName() const { return pathName_; }
    // The name shown in the frame's caption.
    void setDocumentTitle(const QString& title);
    // The path a new capture is saved to without a dialog: the capture folder and the title
    // up to its first dot, with ".bmp" or ".Mea" by kind; empty for other documents.
    QString automaticTarget() const;

    // Whoever changed figures through the bitmap object says so; an empty rectangle means
    // the whole image.
    void notifyFiguresChanged(const QRect& rect = QRect());
    void figuresRestyled() override;
    void calibrationTouched() override;
    bool keepsOwnRuler() const override
    {
        return origin_ == OriginOpened && fileKind(pathName_) == KindMeasureFile;
    }
    void calibrationGiven() override;
    // The settings of the bars went to the picture as its window came forward: the picture's
    // own state from then on, not a step of its own.
    void settingsApplied();

    // While paused nothing records: settings given to the picture that are no user's step.
    void pauseSteps(bool paused) { paused_ = paused; }

    // Every change to the measurements is a step here; back at its clean index the
    // document counts as unmodified.
    QUndoStack* undoStack() const { return undoStack_; }
    // Makes what changed since the last step one step, named after what it did unless a
    // name is given; false when nothing changed. A mergeable step takes in the next step of
    // the same name (a figure moved key by key).
    bool recordStep(std::optional<StepName> name = std::nullopt, bool mergeable = false);
    // The steps' way back and forth: the figure data of a step's side, put back whole.
    void restoreFigureData(const QByteArray& data);
    // The text of the Undo or Redo item: "Undo Move Line 3", or the word alone.
    QString undoText(int language) const;
    QString redoText(int language) const;

  Q_SIGNALS:
    // Figures or their look changed within the rectangle (image pixels).
    void figuresChanged(const QRect& rect);
    void selectionChanged();
    // The ruler, the units or the precision changed, and with them every shown value.
    void calibrationChanged();
    // A picture arrived: opened from a file or taken from a captured frame.
    void loaded();
    // Written to a file; the document may still count as modified (save-as to a copy).
    void saved(const QString& path);
    void modifiedChanged(bool modified);
    void titleChanged(const QString& title);
    void pathNameChanged(const QString& path);

  private:
    // What the shown values depend on, to tell a real calibration change.
    struct Calibration
    {
        std::optional<RulerRecord> ruler;
        std::optional<int> measureUnit;
        std::optional<int> precision;
        bool operator==(const Calibration&) const = default;
    };
    Calibration calibration() const;
    enum class Target
    {
        Written,
        Nothing, // no target: cancelled dialog, failed open, unsaveable kind
        Failed,  // the write failed (the user was told)
    };
    // What saving an opened picture file does, asked once per document.
    enum class BitmapChoice
    {
        Unasked,
        BurnIn,      // the figures are drawn into the file's pixels
        MeasureFile, // the file stays; a ".Mea" beside it holds image and figures
    };
    // Builds the save target of save and ask-to-save and writes it.
    Target writeTarget(QString& written);
    Target writeOpenedPicture(QString& written);
    // A ".Mea" name beside the opened picture that no file has yet.
    QString measureFileBeside() const;
    // The first of "folder/base.ext", "folder/base-1.ext" ... that is not there.
    static QString freeName(const QString& folder, const QString& base, const QString& extension);
    bool writeFile(const QString& path, int asKind, bool report = true);
    void reportWriteFailure(const QString& path) const;
    // The initial name of a save dialog: the title, in the folder the file belongs in.
    QString dialogName() const;
    void setPathName(const QString& path);
    // Whether a new capture may take the title: no other image window has it and its
    // automatic save names no existing file.
    bool captureTitleIsFree(const QString& title) const;
    int language() const;
    // A new picture from rows as buildFromFrame takes them: titled by the capture counter,
    // or after `base` for an imported one.
    bool takePicture(const BYTE* bits, int width, int height, const std::optional<QString>& base);
    // A fresh history from the picture as it stands: after it was loaded or taken.
    void startHistory(bool clean);
    // What the last step left, the base of the next one.
    void takeBase();

    ImageServices* services_;
    std::unique_ptr<MeasuredBitmap> bitmap_;
    QUndoStack* undoStack_;
    QByteArray base_;
    std::vector<GTFIGUREVALUES> baseFigures_;
    std::optional<RulerRecord> baseRuler_;
    // Set while a step puts its data back: nothing records then.
    bool restoring_ = false;
    bool paused_ = false;
    Calibration calibration_;
    bool hideRuler_ = false;
    int kind_ = KindSavedBitmap;
    int origin_ = OriginFailed;
    bool modified_ = false;
    BitmapChoice bitmapChoice_ = BitmapChoice::Unasked;
    QString pathName_;
};
