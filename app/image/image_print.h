#pragma once
// Printing an image document: a title line (file name, date, the calibration's scale) and
// below it the picture as last shown, figures burnt in, fitted to the rest of the printable
// area from its top-left corner with the aspect ratio kept, on a page turned the picture's way.

#include <QDateTime>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "app/image/ruler_file.h"
#include "app/shell/language.h"

class CImageDoc;
class MeasuredBitmap;
class QPrinter;

// The printed size of an image on a page of the given size (both in device pixels).
QSize printFit(QSize image, QSize page);

// The page's title line: the file's name, the date and time, and what one picture pixel
// measures by the ruler (none when the ruler has no length).
QString printTitle(const QString& fileName, const QDateTime& when,
                   const std::optional<RulerRecord>& ruler, int languageIndex);

// A print preview's size on a screen of that available size: most of it.
QSize printPreviewSize(QSize available);

// One print: the picture is written to "TMPPrint.bmp" in a temporary folder of this user only
// and read back; the folder goes with the job, whether or not anything was printed.
class PrintJob
{
  public:
    explicit PrintJob(CImageDoc& document, int languageIndex = kLanguageEnglish,
                      const QDateTime& when = QDateTime::currentDateTime());
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // False when the picture could not be written or read back.
    bool ready() const { return picture_ != nullptr; }
    QString temporaryFile() const;
    const QString& title() const { return title_; }
    // Turns the page the picture's way: landscape for a picture wider than high. Before the
    // print or preview dialog, so that the user may still turn it.
    void orientPage(QPrinter& printer) const;
    // Prints one page as the job "Print Image"; false (and the job aborted) when the page
    // cannot be drawn.
    bool print(QPrinter& printer);

  private:
    QTemporaryDir folder_;
    std::unique_ptr<MeasuredBitmap> picture_;
    QSize size_;
    QString title_;
};
