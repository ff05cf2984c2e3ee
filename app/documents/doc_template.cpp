#include "app/documents/doc_template.h"

#include <QFileInfo>
#include <QMdiSubWindow>

CDocTemplate::CDocTemplate(int resourceId, QString newFileName, DocumentFactory makeDocument,
                           FrameFactory makeFrame)
    : resourceId_(resourceId), newFileName_(std::move(newFileName)),
      makeDocument_(std::move(makeDocument)), makeFrame_(std::move(makeFrame))
{
}

CDocTemplate::~CDocTemplate()
{
    // Frames may outlive the template in the client area's teardown; cut them loose first.
    for (auto& document : documents_)
        if (document->frame_ != nullptr)
            QObject::disconnect(document->frame_, nullptr, document.get(), nullptr);
}

CDocument* CDocTemplate::openDocumentFile(const QString& path, bool visible)
{
    std::unique_ptr<CDocument> document = makeDocument_();
    if (!document)
        return nullptr;
    document->template_ = this;
    if (path.isEmpty())
    {
        // The default title first, so that a document may give itself another.
        document->title_ = newFileName_ + QString::number(untitledCount_ + 1);
        if (!document->onNewDocument())
            return nullptr;
        ++untitledCount_;
    }
    else
    {
        if (!document->onOpenDocument(path))
            return nullptr;
        document->path_ = QFileInfo(path).absoluteFilePath();
        document->title_ = QFileInfo(path).fileName();
    }
    QMdiSubWindow* frame = makeFrame_ ? makeFrame_(*document) : nullptr;
    if (frame == nullptr)
        return nullptr;
    document->frame_ = frame;
    CDocument* raw = document.get();
    QObject::connect(frame, &QObject::destroyed, raw, [this, raw] { removeDocument(raw); });
    documents_.push_back(std::move(document));
    if (visible)
        frame->show();
    return raw;
}

void CDocTemplate::removeDocument(CDocument* document)
{
    for (auto it = documents_.begin(); it != documents_.end(); ++it)
    {
        if (it->get() == document)
        {
            (*it)->frame_ = nullptr;
            // The document may be the sender of the signal that brought us here.
            it->release()->deleteLater();
            documents_.erase(it);
            return;
        }
    }
}
