#include "app/documents/document_manager.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/documents/doc_template.h"

DocumentManager::DocumentManager() = default;

DocumentManager::~DocumentManager() = default;

void DocumentManager::addDocTemplate(std::unique_ptr<CDocTemplate> docTemplate)
{
    templates_.push_back(std::move(docTemplate));
}

void DocumentManager::clear()
{
    templates_.clear();
}

CDocTemplate* DocumentManager::templateNamed(const QString& newFileName) const
{
    for (const auto& t : templates_)
        if (t->newFileName() == newFileName)
            return t.get();
    return nullptr;
}

bool DocumentManager::hasLiveDocument() const
{
    const CDocTemplate* video = videoTemplate();
    return video != nullptr && !video->documents().empty();
}

CDocument* DocumentManager::openDocumentFile(const QString& path)
{
    CDocTemplate* image = imageTemplate();
    CDocument* document = image ? image->openDocumentFile(path, true) : nullptr;
    if (document == nullptr && openFailed_)
        openFailed_(path);
    else if (document != nullptr && opened_)
        opened_(path);
    return document;
}

QMdiSubWindow* DocumentManager::FindVideoFrame()
{
    if (!hasLiveDocument() || client_ == nullptr)
        return nullptr;
    QMdiSubWindow* frame = videoTemplate()->documents().front()->frame();
    if (frame != nullptr)
        client_->setActiveSubWindow(frame);
    return frame;
}

QMdiSubWindow* DocumentManager::OpenVideoFrame()
{
    if (QMdiSubWindow* frame = FindVideoFrame())
        return frame;
    CDocTemplate* video = videoTemplate();
    if (video == nullptr || client_ == nullptr || video->openDocumentFile({}, true) == nullptr)
        return nullptr;
    return client_->activeSubWindow();
}
