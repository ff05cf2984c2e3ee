#pragma once
// The bitmap object of one image document: the picture, its engine instance and the figures
// on it, behind typed calls. The view's mouse work reaches the engine through handle().

#include <QByteArray>
#include <QLineF>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <utility>

#include "app/calibration/micrometer_finder.h"
#include "app/image/ruler_file.h"
#include "gaugit.h"
#include "kwztypes.h"

class MeasuredBitmap
{
  public:
    // Null when the library could not make an object.
    static std::unique_ptr<MeasuredBitmap> create();
    ~MeasuredBitmap();
    MeasuredBitmap(const MeasuredBitmap&) = delete;
    MeasuredBitmap& operator=(const MeasuredBitmap&) = delete;

    // The library handle, for the engine calls of the mouse tools.
    void* handle() const { return handle_.get(); }

    bool hasImage() const;
    QSize size() const;
    int bitCount() const;

    // 24-bit rows, bottom row first, padded to 4 bytes.
    bool readPixels(const BYTE* rows, int width, int height);
    bool readFile(const QString& path);
    bool readMeasureFile(const QString& path);
    // With the figures as last drawn, or the pixels as loaded.
    bool writeFile(const QString& path, bool withFigures) const;
    bool writeMeasureFile(const QString& path) const;

    // The engine's figure data (settings, ruler, figures); nullopt without an engine.
    std::optional<QByteArray> graphicData() const;
    // Puts figure data of graphicData back; false (nothing changed) when refused.
    bool setGraphicData(const QByteArray& data);

    // The program's language index; the engine speaks Chinese (0) and English (1) only.
    void setLanguage(int programLanguage);

    // Redraws the working picture with every figure, as a finished picture shows them: no
    // selection, hover or handles.
    void renderFinished();
    // The working picture rebuilt and the part (x, y, width, height) copied onto dc.
    bool draw(HDC dc, const QRect& part);
    // The image rectangle `source` (rows counted from the bottom) stretched onto `dest` of dc.
    bool show(HDC dc, const QRect& dest, const QRect& source);
    // Frees the working picture of an image nobody works on; the next draw makes it again.
    void releaseWorkingPicture();

    void setRuler(const RulerRecord& ruler);
    std::optional<RulerRecord> ruler() const;
    void setRulerUnitAndLength(int unit, float length);
    // Unit and length; nullopt when the object has no engine.
    std::optional<std::pair<int, float>> rulerUnitAndLength() const;
    void setMeasureUnit(int unit);
    std::optional<int> measureUnit() const;
    void setPrecision(int precision);
    std::optional<int> precision() const;

    struct Pen
    {
        int style = 0;
        int width = 1;
        COLORREF normal = 0;
        COLORREF hovered = 0;
        COLORREF selected = 0;
    };
    void setPen(const Pen& pen);
    std::optional<Pen> pen() const;
    // Face (GBK), height in the engine's sense, and the three colours.
    void setTextFont(const char* face, int height, COLORREF normal, COLORREF hovered,
                     COLORREF selected);

    struct Marks
    {
        LineMark line = 0;
        RectMark rect = 0;
        CircleMark circle = 0;
        EllipseMark ellipse = 0;
        AngleMark angle = 0;
        PolyLineMark polyLine = 0;
    };
    void setMarks(const Marks& marks);
    void hideRuler(bool hide);
    void hideDescriptors(bool hide);

    // Image pixels around the selected figure; empty when nothing is selected.
    QRect selectionBounds() const;
    // Selects the figure under the point; false when there is none.
    bool select(const QPoint& point);
    // Deletes the selected figure; the area it covered, empty when none was selected.
    QRect deleteSelected();
    void deleteAll();
    // Figures held, the ruler not counted; -1 when the library cannot tell.
    int figureCount() const;
    // Selects a figure by its number in the values export (-1: none); false when refused.
    bool selectFigure(int index);
    // The selected figure's number in the values export; -1 for none or the ruler.
    int selectedFigure() const;

    // The end points in image pixels of the selected line, or else of the line drawn last;
    // none when the picture has no line.
    std::optional<QLineF> measurementLine();
    // The picture's pixels as loaded, without figures, in grey; empty when there is none.
    calib::GreyImage greyPixels() const;

  private:
    struct Deleter
    {
        void operator()(void* handle) const;
    };
    explicit MeasuredBitmap(void* handle) : handle_(handle) {}

    std::unique_ptr<void, Deleter> handle_;
};
