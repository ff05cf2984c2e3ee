#pragma once
// Printing an image document: the picture as last shown, figures burnt in, fitted to the
// printable area of the page from its top-left corner with the aspect ratio kept.

#include <QRect>
#include <QSize>
#include <QTemporaryDir>
#include <memory>

class CImageDoc;
class MeasuredBitmap;
class QPrinter;

// The printed size of an image on a page of the given size (both in device pixels).
QSize printFit(QSize image, QSize page);

// One print: the picture is written to "TMPPrint.bmp" in a temporary folder of this user only
// and read back; the folder goes with the job, whether or not anything was printed.
class PrintJob
{
  public:
    explicit PrintJob(CImageDoc& document);
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // False when the picture could not be written or read back.
    bool ready() const { return picture_ != nullptr; }
    QString temporaryFile() const;
    // Prints one page as the job "Print Image"; false (and the job aborted) when the page
    // cannot be drawn.
    bool print(QPrinter& printer);

  private:
    QTemporaryDir folder_;
    std::unique_ptr<MeasuredBitmap> picture_;
    QSize size_;
};
