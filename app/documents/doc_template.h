#pragma once
// Documents and their templates: a template makes a document of its kind, opens it from a
// file or new, and puts a frame with its view into the client area.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QMdiSubWindow;
class CDocTemplate;

class CDocument : public QObject
{
  public:
    ~CDocument() override = default;

    virtual bool onNewDocument() { return true; }
    virtual bool onOpenDocument(const QString& path) = 0;

    QString path() const { return path_; }
    QString title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    CDocTemplate* docTemplate() const { return template_; }
    QMdiSubWindow* frame() const { return frame_; }

  private:
    friend class CDocTemplate;
    QString path_;
    QString title_;
    CDocTemplate* template_ = nullptr;
    QMdiSubWindow* frame_ = nullptr;
};

class CDocTemplate
{
  public:
    using DocumentFactory = std::function<std::unique_ptr<CDocument>()>;
    // Makes the frame (with its view) of a document and adds it to the client area.
    using FrameFactory = std::function<QMdiSubWindow*(CDocument&)>;

    CDocTemplate(int resourceId, QString newFileName, DocumentFactory makeDocument,
                 FrameFactory makeFrame);
    ~CDocTemplate();

    int resourceId() const { return resourceId_; }
    // The name of new documents of this kind ("Video", "Image").
    QString newFileName() const { return newFileName_; }
    // Null when the document refuses the file or no frame can be made. An empty path makes
    // a new untitled document.
    CDocument* openDocumentFile(const QString& path, bool visible = true);
    const std::vector<std::unique_ptr<CDocument>>& documents() const { return documents_; }
    // Called when a document's frame goes away.
    void removeDocument(CDocument* document);

  private:
    int resourceId_;
    QString newFileName_;
    DocumentFactory makeDocument_;
    FrameFactory makeFrame_;
    int untitledCount_ = 0;
    std::vector<std::unique_ptr<CDocument>> documents_;
};
