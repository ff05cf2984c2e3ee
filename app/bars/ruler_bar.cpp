#include "app/bars/ruler_bar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "app/shell/command_ids.h"
#include "app/shell/settings.h"

using namespace cmd;

QStringList precisionItems()
{
    QStringList digits;
    for (int i = 0; i < 7; ++i)
        digits << QString::number(i);
    return digits;
}

RulerBar::RulerBar(const FrameSettings& settings, QWidget* parent) : DialogBar(IDD_RULERBAR, parent)
{
    const char* section = "DLGBAR_RULER";
    QGroupBox* box = group("TOOL_CLASS", "ClassRuler");
    auto* grid = new QGridLayout(box);
    rulers_ = add(IDC_RULER_LIST, new QComboBox(box));
    rulers_->setMinimumWidth(110);
    unit_ = add(IDC_RULER_MEASUREUNIT, new QComboBox(box));
    precision_ = add(IDC_RULER_PRECISION, new QComboBox(box));
    hideDesc_ = add(IDC_RULER_HIDEDESC, new QCheckBox(box), section, "HideDesc");
    hideDesc_->setChecked(settings.hideDesc);
    define_ = add(IDC_RULER_DEFINE, new QPushButton(box), section, "Ruler Define");
    grid->addWidget(label(box, section, "Ruler Choose"), 0, 0);
    grid->addWidget(rulers_, 0, 1);
    grid->addWidget(define_, 0, 2);
    grid->addWidget(label(box, section, "MeasureUnit"), 1, 0);
    grid->addWidget(unit_, 1, 1);
    grid->addWidget(label(box, section, "Precision"), 0, 3);
    grid->addWidget(precision_, 0, 4);
    grid->addWidget(hideDesc_, 1, 3, 1, 2);
    setItems(precision_, precisionItems(), settings.precision);
    profiles_ = add(IDC_RULER_PROFILE, new QComboBox(box));
    profiles_->setMinimumWidth(110);
    profileLabel_ = new QLabel(QStringLiteral("Profile"), box);
    scale_ = new QLabel(box);
    scale_->setMinimumWidth(150);
    none_ = QStringLiteral("(none)");
    grid->addWidget(profileLabel_, 2, 0);
    grid->addWidget(profiles_, 2, 1);
    grid->addWidget(scale_, 2, 2, 1, 3);
    setProfiles({}, -1);
    connect(profiles_, &QComboBox::activated, this,
            [this](int index) { Q_EMIT profileChosen(index - 1); });

    connect(rulers_, &QComboBox::activated, this, &RulerBar::rulerChosen);
    connect(unit_, &QComboBox::activated, this, &RulerBar::measureUnitChosen);
    connect(precision_, &QComboBox::activated, this, &RulerBar::precisionChosen);
    connect(hideDesc_, &QCheckBox::toggled, this, &RulerBar::hideDescriptorsToggled);
    connect(define_, &QPushButton::clicked, this, &RulerBar::defineClicked);
}

void RulerBar::setRulerNames(const QStringList& names, int selected)
{
    setItems(rulers_, names, selected);
}

void RulerBar::setUnitWords(const QStringList& words, int selected)
{
    setItems(unit_, words, selected);
}

void RulerBar::setProfiles(const QStringList& names, int active)
{
    setItems(profiles_, QStringList{none_} + names, active + 1);
}

void RulerBar::setProfileTexts(const QString& label, const QString& none)
{
    profileLabel_->setText(label);
    none_ = none;
    profiles_->setItemText(0, none);
}

void RulerBar::setScaleText(const QString& text)
{
    scale_->setText(text);
}
