#include "app/image/measure_step.h"

#include <algorithm>
#include <cstring>

#include "app/shell/ui_text.h"

namespace {

QString kindText(int kind, int language)
{
    switch (kind)
    {
    case GT_LINE:
        return uiText(language, "Line", "直线", "直線");
    case GT_RECT:
        return uiText(language, "Rectangle", "矩形", "矩形");
    case GT_CIRCLE_DIAMETER:
    case GT_CIRCLE_CENTRE:
    case GT_CIRCLE_3POINTS:
        return uiText(language, "Circle", "圆", "圓");
    case GT_ELLIPSE_BOX:
    case GT_ELLIPSE_CENTRE:
        return uiText(language, "Ellipse", "椭圆", "橢圓");
    case GT_ANGLE:
        return uiText(language, "Angle", "角", "角");
    case GT_POLYGON:
        return uiText(language, "Polygon", "多边形", "多邊形");
    case GT_TEXT:
        return uiText(language, "Text", "文本", "文字");
    default:
        return QString();
    }
}

bool sameFigure(const GTFIGUREVALUES& a, const GTFIGUREVALUES& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Whether only the position slots differ: the figure was moved, not reshaped.
bool onlyMoved(const GTFIGUREVALUES& a, const GTFIGUREVALUES& b)
{
    for (int slot = GT_VALUE_LENGTH; slot < GT_VALUE_COUNT; ++slot)
        if (a.values[slot] != b.values[slot])
            return false;
    return a.kind == b.kind && a.number == b.number;
}

StepName about(StepName::Verb verb, const GTFIGUREVALUES& figure)
{
    return StepName{verb, figure.kind, figure.number};
}

} // namespace

QString StepName::text(int language) const
{
    QString words;
    switch (verb)
    {
    case Create:
        words = uiText(language, "Create %1", "创建%1", "建立%1");
        break;
    case Move:
        words = uiText(language, "Move %1", "移动%1", "移動%1");
        break;
    case Reshape:
        words = uiText(language, "Reshape %1", "改变%1形状", "改變%1形狀");
        break;
    case Delete:
        words = uiText(language, "Delete %1", "删除%1", "刪除%1");
        break;
    case ClearAll:
        return uiText(language, "Clear All", "全部清除", "全部清除");
    case MoveLabel:
        words = uiText(language, "Move Label of %1", "移动%1的标注", "移動%1的標註");
        break;
    case EditText:
        words = uiText(language, "Edit %1", "编辑%1", "編輯%1");
        break;
    case MoveRuler:
        return uiText(language, "Move Ruler", "移动标尺", "移動標尺");
    case ApplyCalibration:
        return uiText(language, "Apply Calibration", "应用标定", "套用標定");
    case ChangeUnit:
        return uiText(language, "Change Unit", "更改单位", "變更單位");
    case ChangePrecision:
        return uiText(language, "Change Precision", "更改精度", "變更精度");
    case ChangeLook:
        return uiText(language, "Change Look", "更改外观", "變更外觀");
    case Change:
        break;
    }
    const QString figure = kindText(kind, language);
    if (words.isEmpty() || figure.isEmpty())
        return uiText(language, "Change Figures", "更改图形", "變更圖形");
    const bool english = language == 1;
    QString named = figure;
    if (number >= 0)
        named += (english ? QStringLiteral(" ") : QString()) + QString::number(number);
    return words.arg(named);
}

StepName nameChange(const std::vector<GTFIGUREVALUES>& before,
                    const std::vector<GTFIGUREVALUES>& after, bool rulerChanged, int selected)
{
    if (after.size() > before.size())
    {
        // A new figure goes last among its kind: the kind that gained one names it.
        for (size_t i = after.size(); i-- > 0;)
        {
            const auto ofKind = [&](const std::vector<GTFIGUREVALUES>& figures) {
                return std::count_if(figures.begin(), figures.end(), [&](const GTFIGUREVALUES& f) {
                    return f.kind == after[i].kind;
                });
            };
            if (ofKind(after) > ofKind(before))
                return about(StepName::Create, after[i]);
        }
        return StepName{StepName::Create};
    }
    if (after.size() < before.size())
    {
        if (after.empty() && before.size() > 1)
            return StepName{StepName::ClearAll};
        for (size_t i = 0; i < before.size(); ++i)
            if (i >= after.size() || !sameFigure(before[i], after[i]))
                return about(StepName::Delete, before[i]);
    }
    if (rulerChanged)
        return StepName{StepName::MoveRuler};
    int changed = -1;
    int changes = 0;
    for (size_t i = 0; i < after.size(); ++i)
        if (!sameFigure(before[i], after[i]))
        {
            changed = int(i);
            ++changes;
        }
    if (changes == 1)
    {
        const GTFIGUREVALUES& now = after[size_t(changed)];
        return about(onlyMoved(before[size_t(changed)], now) ? StepName::Move : StepName::Reshape,
                     now);
    }
    if (changes == 0 && selected >= 0 && size_t(selected) < after.size())
    {
        // Nothing the values show changed: a label moved, or a text's words.
        const GTFIGUREVALUES& figure = after[size_t(selected)];
        return about(figure.kind == GT_TEXT ? StepName::EditText : StepName::MoveLabel, figure);
    }
    return StepName{};
}

MeasureStep::MeasureStep(Restore restore, QByteArray before, QByteArray after, StepName name,
                         bool mergeable)
    : restore_(std::move(restore)), before_(std::move(before)), after_(std::move(after)),
      name_(name), mergeable_(mergeable)
{
    setText(name_.text(1));
}

void MeasureStep::undo()
{
    restore_(before_);
}

void MeasureStep::redo()
{
    if (!pushed_)
    {
        pushed_ = true;
        return;
    }
    restore_(after_);
}

bool MeasureStep::mergeWith(const QUndoCommand* other)
{
    const auto* next = dynamic_cast<const MeasureStep*>(other);
    if (next == nullptr || !next->mergeable_ || next->name_ != name_ || next->before_ != after_)
        return false;
    after_ = next->after_;
    return true;
}
