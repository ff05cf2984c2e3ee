#pragma once
// The figures of one image document as table rows: kind, number and every value in the
// document's unit and precision, in the interface language. It follows the document's
// signals, so the table shows what the picture shows.

#include <QAbstractTableModel>
#include <QPointer>
#include <QString>
#include <vector>

#include "gaugit.h"

class CImageDoc;

class ResultsModel : public QAbstractTableModel
{
    Q_OBJECT
  public:
    // Kind, number, the value columns of the CSV, unit.
    static constexpr int kKindColumn = 0;
    static constexpr int kNumberColumn = 1;
    static constexpr int kFirstValueColumn = 2;
    static int unitColumn();

    explicit ResultsModel(QObject* parent = nullptr);

    // Null shows nothing. The model lets go of a document that is destroyed.
    void setDocument(CImageDoc* document);
    CImageDoc* document() const { return document_; }
    // 0 Simplified Chinese, 1 English, 2 Traditional Chinese (its kind names are Chinese).
    void setLanguage(int languageIndex);

    // Reads the figures again; rows whose values changed report it, a changed count resets.
    void refresh();
    const std::vector<GTFIGUREVALUES>& figures() const { return figures_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Tab-separated lines with the header first, for the rows given (every row when empty).
    QString tabSeparated(const std::vector<int>& rows) const;
    // The CSV of every row with the document's file as File; UTF-8 with a byte-order mark.
    QByteArray csv() const;

  private:
    QString cell(int row, int column) const;

    QPointer<CImageDoc> document_;
    std::vector<GTFIGUREVALUES> figures_;
    int language_ = 0;
};
