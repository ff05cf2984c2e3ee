#include "app/image/results_model.h"

#include <cstring>

#include "app/image/image_doc.h"
#include "support/values/figure_table.h"

namespace {

using kwz::values::Language;

Language valuesLanguage(int languageIndex)
{
    return languageIndex == 1 ? Language::English : Language::Chinese;
}

QString fromStd(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool sameFigure(const GTFIGUREVALUES& a, const GTFIGUREVALUES& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

int ResultsModel::unitColumn()
{
    return kFirstValueColumn + kwz::values::kColumnCount;
}

ResultsModel::ResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultsModel::setDocument(CImageDoc* document)
{
    if (document == document_)
        return;
    if (document_)
        disconnect(document_, nullptr, this, nullptr);
    document_ = document;
    if (document_)
    {
        connect(document_, &CImageDoc::figuresChanged, this, &ResultsModel::refresh);
        connect(document_, &CImageDoc::calibrationChanged, this, &ResultsModel::refresh);
        connect(document_, &CImageDoc::loaded, this, &ResultsModel::refresh);
        connect(document_, &QObject::destroyed, this, [this] { setDocument(nullptr); });
    }
    beginResetModel();
    figures_.clear();
    if (document_ && document_->bitmap())
        figures_ = kwz::values::readFigures(document_->bitmap()->handle());
    endResetModel();
}

void ResultsModel::setLanguage(int languageIndex)
{
    if (languageIndex == language_)
        return;
    language_ = languageIndex;
    if (!figures_.empty())
        Q_EMIT dataChanged(index(0, kKindColumn), index(rowCount() - 1, kKindColumn));
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void ResultsModel::refresh()
{
    std::vector<GTFIGUREVALUES> now;
    if (document_ && document_->bitmap())
        now = kwz::values::readFigures(document_->bitmap()->handle());
    if (now.size() != figures_.size())
    {
        beginResetModel();
        figures_ = std::move(now);
        endResetModel();
        return;
    }
    // While a figure is dragged only its row changes: report that span alone.
    int first = -1;
    int last = -1;
    for (size_t i = 0; i < now.size(); ++i)
    {
        if (!sameFigure(now[i], figures_[i]))
        {
            if (first < 0)
                first = static_cast<int>(i);
            last = static_cast<int>(i);
        }
    }
    figures_ = std::move(now);
    if (first >= 0)
        Q_EMIT dataChanged(index(first, 0), index(last, columnCount() - 1));
}

int ResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(figures_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : unitColumn() + 1;
}

QString ResultsModel::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return {};
    const GTFIGUREVALUES& f = figures_[static_cast<size_t>(row)];
    if (column == kKindColumn)
        return fromStd(kwz::values::kindName(f.kind, valuesLanguage(language_)));
    if (column == kNumberColumn)
        return QString::number(f.number);
    if (column == unitColumn())
        return fromStd(kwz::values::rowUnit(f));
    return fromStd(kwz::values::cellText(f, column - kFirstValueColumn));
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cell(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && index.column() >= kNumberColumn &&
        index.column() < unitColumn())
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    const bool english = language_ == 1;
    if (section == kKindColumn)
        return english ? QStringLiteral("Kind") : QStringLiteral("类型");
    if (section == kNumberColumn)
        return english ? QStringLiteral("Number") : QStringLiteral("编号");
    if (section == unitColumn())
        return english ? QStringLiteral("Unit") : QStringLiteral("单位");
    return fromStd(
        kwz::values::columnTitle(section - kFirstValueColumn, valuesLanguage(language_)));
}

QString ResultsModel::tabSeparated(const std::vector<int>& rows) const
{
    QStringList lines;
    QStringList header;
    for (int c = 0; c < columnCount(); ++c)
        header << headerData(c, Qt::Horizontal).toString();
    lines << header.join(QLatin1Char('\t'));
    auto add = [&](int row) {
        QStringList cells;
        for (int c = 0; c < columnCount(); ++c)
            cells << cell(row, c);
        lines << cells.join(QLatin1Char('\t'));
    };
    if (rows.empty())
        for (int r = 0; r < rowCount(); ++r)
            add(r);
    else
        for (int r : rows)
            add(r);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QByteArray ResultsModel::csv() const
{
    std::string text(kwz::values::kUtf8Bom);
    text += kwz::values::csvHeader();
    QString file;
    if (document_)
        file = document_->pathName().isEmpty() ? document_->title() : document_->pathName();
    const std::string name = file.toStdString();
    for (const GTFIGUREVALUES& f : figures_)
        text += kwz::values::csvRow(name, f, valuesLanguage(language_));
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}
