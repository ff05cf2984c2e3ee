#pragma once
// The live document: it remembers the size of the picture and asks its views to follow it.

#include <QObject>

#include "app/documents/doc_template.h"

class CVideoDoc : public CDocument
{
    Q_OBJECT
  public:
    // title: the language text "MVideoTitle", which a new live document takes.
    explicit CVideoDoc(QString title = {});

    bool onNewDocument() override;
    // The live picture comes from the camera, never from a file.
    bool onOpenDocument(const QString&) override { return false; }

    int pictureWidth() const { return pictureWidth_; }
    int pictureHeight() const { return pictureHeight_; }
    void setPictureSize(int width, int height);

    // Every view places the picture again.
    void updateAllViews() { Q_EMIT updateRequested(); }

  Q_SIGNALS:
    void updateRequested();

  private:
    QString newTitle_;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
};
