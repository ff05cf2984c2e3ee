#pragma once
// The results table beside the image windows: every figure of the active image with its
// values, a row per figure. Selecting a row selects the figure and the other way round;
// the rows copy to the clipboard as tab-separated text and export as CSV.

#include <QDockWidget>
#include <vector>

class CImageDoc;
class ImageWorkspace;
class QPushButton;
class QTableView;
class ResultsModel;

class ResultsPanel : public QDockWidget
{
    Q_OBJECT
  public:
    // The workspace gives the language and the save dialog; it outlives the panel.
    ResultsPanel(ImageWorkspace& workspace, QWidget* parent = nullptr);

    // The active image's document, or null when no image window is active.
    void setDocument(CImageDoc* document);
    ResultsModel* model() const { return model_; }
    QTableView* table() const { return table_; }
    // Texts in the interface language.
    void retranslate();

    // The selected rows (every row when none is selected) to the clipboard.
    void copyRows();
    // Asks for a file and writes the CSV; false when cancelled or not written (the user is
    // told of a failed write).
    bool exportCsv();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void onRowsSelected();
    void showDocumentSelection();
    std::vector<int> selectedRows() const;

    ImageWorkspace& workspace_;
    ResultsModel* model_;
    QTableView* table_;
    QPushButton* copy_;
    QPushButton* export_;
    // Set while the table follows the document, so its selection does not echo back.
    bool following_ = false;
};
