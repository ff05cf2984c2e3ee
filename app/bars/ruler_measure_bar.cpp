#include "app/bars/ruler_measure_bar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/bars/ruler_bar.h"
#include "app/shell/command_ids.h"
#include "app/shell/settings.h"

using namespace cmd;

RulerMeasureBar::RulerMeasureBar(const FrameSettings& settings, QWidget* parent)
    : DialogBar(IDD_RULERMEASUREBAR, parent)
{
    const char* section = "DLGBAR_MEASURERULER";
    QGroupBox* box = group("TOOL_CLASS", "ClassRulerSave");
    auto* grid = new QGridLayout(box);
    name_ = add(IDC_MRULER_NAME, new QLineEdit(box));
    name_->setText(QString::fromStdString(settings.rulerFileName));
    rulers_ = add(IDC_MRULER_LIST, new QComboBox(box));
    rulers_->setMinimumWidth(110);
    length_ = add(IDC_MRULER_LENGTH, new QLineEdit(box));
    length_->setText(QString::fromStdString(formatRulerLength(settings.rulerLength)));
    length_->setMaximumWidth(80);
    rulerUnit_ = add(IDC_MRULER_RULERUNIT, new QComboBox(box));
    measureUnit_ = add(IDC_MRULER_MEASUREUNIT, new QComboBox(box));
    hideRuler_ = add(IDC_MRULER_HIDERULER, new QCheckBox(box), "DLGBAR_RULER", "HideRuler");
    hideRuler_->setChecked(settings.hideRuler);
    hideDesc_ = add(IDC_MRULER_HIDEDESC, new QCheckBox(box), "DLGBAR_RULER", "HideDesc");
    hideDesc_->setChecked(settings.hideDesc2);
    precision_ = add(IDC_MRULER_PRECISION, new QComboBox(box));
    setItems(precision_, precisionItems(), settings.precision);
    grid->addWidget(label(box, section, "Ruler Name"), 0, 0);
    grid->addWidget(name_, 0, 1);
    grid->addWidget(rulers_, 1, 1);
    grid->addWidget(
        button(box, IDC_MRULER_LOAD, section, "LoadRuler", &RulerMeasureBar::loadClicked), 1, 0);
    grid->addWidget(
        button(box, IDC_MRULER_SAVE, section, "SaveRuler", &RulerMeasureBar::saveClicked), 0, 2);
    grid->addWidget(
        button(box, IDC_MRULER_DELETE, section, "DeleteRuler", &RulerMeasureBar::deleteClicked), 1,
        2);
    grid->addWidget(label(box, "DLGBAR_RULER", "RulerLength"), 0, 3);
    grid->addWidget(length_, 0, 4);
    grid->addWidget(label(box, "DLGBAR_RULER", "RulerUnit"), 1, 3);
    grid->addWidget(rulerUnit_, 1, 4);
    grid->addWidget(label(box, section, "MeasureUnit1"), 0, 5);
    grid->addWidget(measureUnit_, 0, 6);
    grid->addWidget(button(box, IDC_MRULER_APPLY, "DLGBAR_RULER", "UpdateRuler",
                           &RulerMeasureBar::applyClicked),
                    1, 6);
    grid->addWidget(label(box, section, "Precision"), 0, 7);
    grid->addWidget(precision_, 0, 8);
    grid->addWidget(hideRuler_, 1, 7);
    grid->addWidget(hideDesc_, 1, 8);
    grid->addWidget(
        button(box, IDC_MRULER_RETURN, section, "Return", &RulerMeasureBar::returnClicked), 0, 9, 2,
        1);

    connect(rulers_, &QComboBox::activated, this, &RulerMeasureBar::rulerChosen);
    connect(rulerUnit_, &QComboBox::activated, this, &RulerMeasureBar::rulerUnitChosen);
    connect(measureUnit_, &QComboBox::activated, this, &RulerMeasureBar::measureUnitChosen);
    connect(precision_, &QComboBox::activated, this, &RulerMeasureBar::precisionChosen);
    connect(hideRuler_, &QCheckBox::toggled, this, &RulerMeasureBar::hideRulerToggled);
    connect(hideDesc_, &QCheckBox::toggled, this, &RulerMeasureBar::hideDescriptorsToggled);
}

QPushButton* RulerMeasureBar::button(QWidget* box, int id, const char* section, const char* key,
                                     void (RulerMeasureBar::*clicked)())
{
    auto* b = add(id, new QPushButton(box), section, key);
    connect(b, &QPushButton::clicked, this, clicked);
    return b;
}

void RulerMeasureBar::setRulerNames(const QStringList& names, int selected)
{
    setItems(rulers_, names, selected);
}

void RulerMeasureBar::setUnitWords(const QStringList& words, int measureUnit, int rulerUnit)
{
    setItems(measureUnit_, words, measureUnit);
    setItems(rulerUnit_, words.mid(1), rulerUnit - 1);
}
