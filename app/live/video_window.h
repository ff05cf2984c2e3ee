#pragma once
// The live window: its document remembers the picture size; the frame owns the preview state;
// the view is the area the camera paints into.

#include <QAbstractScrollArea>
#include <QMdiSubWindow>

#include "app/documents/doc_template.h"

class CVideoDoc : public CDocument
{
  public:
    bool OnOpenDocument(const QString&) override { return false; }
    int pictureWidth = 640;
    int pictureHeight = 480;
};

class CVideoView : public QAbstractScrollArea
{
  public:
    explicit CVideoView(CVideoDoc& document, QWidget* parent = nullptr);
    CVideoDoc& document() const { return document_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    CVideoDoc& document_;
};

class CVideoFrame : public QMdiSubWindow
{
  public:
    explicit CVideoFrame(CVideoDoc& document, QWidget* parent = nullptr);
    CVideoView* view() const { return view_; }
    CVideoDoc& document() const { return view_->document(); }

  private:
    CVideoView* view_;
};
