#pragma once
// The document templates of the program and the operations on documents that the windows
// share: open a file, find or open the live window.

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class CDocTemplate;
class CDocument;
class QMdiArea;
class QMdiSubWindow;

class DocumentManager
{
  public:
    DocumentManager();
    ~DocumentManager();

    // Templates are searched in the order they were added.
    void addDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
    // Closes every document and drops the templates.
    void clear();
    // The area that the frames of the documents live in.
    void setClientArea(QMdiArea* client) { client_ = client; }
    QMdiArea* clientArea() const { return client_; }

    // The template whose new documents carry that name ("Video", "Image"), or null.
    CDocTemplate* templateNamed(const QString& newFileName) const;
    CDocTemplate* videoTemplate() const { return templateNamed("Video"); }
    CDocTemplate* imageTemplate() const { return templateNamed("Image"); }
    bool hasLiveDocument() const;

    // Every file, whatever its kind, opens as an image document, made visible; null when the
    // document refuses it, which the handler below is told.
    CDocument* openDocumentFile(const QString& path);
    // Says that a file could not be opened, naming it.
    void setOpenFailedHandler(std::function<void(const QString& path)> handler)
    {
        openFailed_ = std::move(handler);
    }
    // Told the path of every file that opened.
    void setOpenedHandler(std::function<void(const QString& path)> handler)
    {
        opened_ = std::move(handler);
    }
    // Activates the frame of the open live document and returns it; null when none is open.
    QMdiSubWindow* FindVideoFrame();
    // As FindVideoFrame, but opens a new live document when none is open and returns the
    // active frame then.
    QMdiSubWindow* OpenVideoFrame();

  private:
    std::vector<std::unique_ptr<CDocTemplate>> templates_;
    QMdiArea* client_ = nullptr;
    std::function<void(const QString&)> openFailed_;
    std::function<void(const QString&)> opened_;
};
