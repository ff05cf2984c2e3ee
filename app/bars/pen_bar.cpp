#include "app/bars/pen_bar.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "app/controls/pen_style_combo.h"
#include "app/shell/command_ids.h"
#include "app/shell/settings.h"

using namespace cmd;

PenBar::PenBar(const FrameSettings& settings, QWidget* parent) : DialogBar(IDD_PENBAR, parent)
{
    QGroupBox* box = group("TOOL_CLASS", "ClassPen");
    new QGridLayout(box);
    normal_ = picker(box, IDC_PEN_NORMALCOLOR, CPenStyleCombo::ColourMode,
                     settings.penNormalColorIndex, "PenColorNormal", 0);
    temp_ = picker(box, IDC_PEN_TEMPCOLOR, CPenStyleCombo::ColourMode, settings.penTempColorIndex,
                   "PenColorPass", 1);
    width_ = picker(box, IDC_PEN_WIDTH, CPenStyleCombo::WidthMode, settings.penWidthIndex,
                    "PenWidth", 2);
    connect(normal_, &QComboBox::activated, this, &PenBar::normalColourChosen);
    connect(temp_, &QComboBox::activated, this, &PenBar::tempColourChosen);
    connect(width_, &QComboBox::activated, this, &PenBar::widthChosen);
}

CPenStyleCombo* PenBar::picker(QWidget* box, int id, int mode, int index, const char* key,
                               int column)
{
    auto* grid = static_cast<QGridLayout*>(box->layout());
    QLabel* caption = label(box, "DLGBAR_PEN", key);
    auto* combo = add(id, new CPenStyleCombo(mode, box));
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    grid->addWidget(caption, 0, column);
    grid->addWidget(combo, 1, column);
    return combo;
}
