#include "app/image/results_panel.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/image/image_doc.h"
#include "app/image/image_workspace.h"
#include "app/image/results_model.h"
#include "app/shell/gbk_text.h"
#include "app/shell/ui_text.h"
#include "platform/message_box.h"

ResultsPanel::ResultsPanel(ImageWorkspace& workspace, QWidget* parent)
    : QDockWidget(parent), workspace_(workspace), model_(new ResultsModel(this)),
      table_(new QTableView), copy_(new QPushButton), export_(new QPushButton)
{
    setObjectName(QStringLiteral("resultsPanel"));
    table_->setObjectName(QStringLiteral("resultsTable"));
    copy_->setObjectName(QStringLiteral("resultsCopy"));
    export_->setObjectName(QStringLiteral("resultsExportCsv"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    // Columns fit their texts when the rows change in number, not at every drag step: fitting
    // reads every row.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(model_, &QAbstractItemModel::modelReset, table_, &QTableView::resizeColumnsToContents);
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    table_->installEventFilter(this);

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(table_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy_);
    buttons->addWidget(export_);
    buttons->addStretch();
    layout->addLayout(buttons);
    setWidget(body);

    connect(copy_, &QPushButton::clicked, this, &ResultsPanel::copyRows);
    connect(export_, &QPushButton::clicked, this, &ResultsPanel::exportCsv);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ResultsPanel::onRowsSelected);
    // A reset (figures added or deleted) drops the table's selection: take the document's.
    connect(model_, &QAbstractItemModel::modelReset, this, &ResultsPanel::showDocumentSelection);
    connect(table_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction(copy_->text(), this, &ResultsPanel::copyRows);
        menu.addAction(export_->text(), this, &ResultsPanel::exportCsv);
        menu.exec(table_->viewport()->mapToGlobal(at));
    });
    retranslate();
}

void ResultsPanel::retranslate()
{
    const int language = workspace_.languageIndex();
    setWindowTitle(uiText(language, "Results", "测量结果", "測量結果"));
    copy_->setText(uiText(language, "Copy", "复制", "複製"));
    export_->setText(uiText(language, "Export CSV...", "导出 CSV...", "匯出 CSV..."));
    model_->setLanguage(language);
}

void ResultsPanel::setDocument(CImageDoc* document)
{
    if (document == model_->document())
        return;
    if (CImageDoc* previous = model_->document())
        disconnect(previous, nullptr, this, nullptr);
    model_->setDocument(document);
    if (document)
    {
        connect(document, &CImageDoc::selectionChanged, this, &ResultsPanel::showDocumentSelection);
        // Drawing a figure selects it without a selection signal.
        connect(document, &CImageDoc::figuresChanged, this, &ResultsPanel::showDocumentSelection);
    }
    showDocumentSelection();
    copy_->setEnabled(document != nullptr);
    export_->setEnabled(document != nullptr);
}

std::vector<int> ResultsPanel::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ResultsPanel::onRowsSelected()
{
    CImageDoc* document = model_->document();
    if (following_ || document == nullptr || document->bitmap() == nullptr)
        return;
    const std::vector<int> rows = selectedRows();
    const int row = rows.empty() ? -1 : rows.front();
    if (document->bitmap()->selectedFigure() != row)
        document->selectFigure(row);
}

void ResultsPanel::showDocumentSelection()
{
    CImageDoc* document = model_->document();
    const int selected = document && document->bitmap() ? document->bitmap()->selectedFigure() : -1;
    const std::vector<int> rows = selectedRows();
    if ((rows.empty() && selected < 0) || (rows.size() == 1 && rows.front() == selected))
        return;
    following_ = true;
    if (selected >= 0 && selected < model_->rowCount())
    {
        table_->selectRow(selected);
        table_->scrollTo(model_->index(selected, 0));
    }
    else
    {
        table_->clearSelection();
    }
    following_ = false;
}

void ResultsPanel::copyRows()
{
    if (model_->document() == nullptr)
        return;
    QApplication::clipboard()->setText(model_->tabSeparated(selectedRows()));
}

bool ResultsPanel::exportCsv()
{
    CImageDoc* document = model_->document();
    if (document == nullptr)
        return false;
    const QString base = document->pathName().isEmpty()
                             ? document->title().section(QLatin1Char('.'), 0, 0)
                             : QFileInfo(document->pathName()).completeBaseName();
    const QString initial =
        (document->pathName().isEmpty()
             ? QString()
             : QFileInfo(document->pathName()).absolutePath() + QLatin1Char('/')) +
        base + QStringLiteral(".csv");
    QString path = workspace_.getSaveFileName(QStringLiteral("CSV (*.csv)"), initial);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    const QByteArray csv = model_->csv();
    QSaveFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(csv) == csv.size() && file.commit();
    if (!written)
    {
        const QString text = uiText(workspace_.languageIndex(), "The file %1 cannot be written.",
                                    "无法写入文件 %1。", "無法寫入檔案 %1。")
                                 .arg(path);
        kwz::messageBox(nullptr, toGbk(text).c_str(), "kwzview", kwz::MB_OK | kwz::MB_ICONERROR);
    }
    return written;
}

bool ResultsPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == table_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy))
    {
        copyRows();
        return true;
    }
    return QDockWidget::eventFilter(watched, event);
}
