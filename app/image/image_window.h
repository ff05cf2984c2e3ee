#pragma once
// Image windows: a document per image or measurement file, its frame and its view.

#include <QAbstractScrollArea>
#include <QMdiSubWindow>

#include "app/documents/doc_template.h"

class CImageDoc : public CDocument
{
  public:
    // Takes bitmap files (".bmp", ".kwz") and measurement files (".mea"); refuses anything
    // else, unreadable files included.
    bool OnOpenDocument(const QString& path) override;
    // The file's kind as its first bytes tell it.
    static bool looksLikeImageFile(const QByteArray& head, const QString& path);
};

class CImageView : public QAbstractScrollArea
{
  public:
    explicit CImageView(CImageDoc& document, QWidget* parent = nullptr);
    CImageDoc& document() const { return document_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    CImageDoc& document_;
};

class CImageFrame : public QMdiSubWindow
{
  public:
    explicit CImageFrame(CImageDoc& document, QWidget* parent = nullptr);
    CImageView* view() const { return view_; }

  private:
    CImageView* view_;
};
