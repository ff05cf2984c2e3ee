#include "app/live/video_doc.h"

CVideoDoc::CVideoDoc(QString title) : newTitle_(std::move(title)) {}

bool CVideoDoc::onNewDocument()
{
    if (!newTitle_.isEmpty())
        setTitle(newTitle_);
    return true;
}

void CVideoDoc::setPictureSize(int width, int height)
{
    pictureWidth_ = width;
    pictureHeight_ = height;
}
