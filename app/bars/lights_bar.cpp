#include "app/bars/lights_bar.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <utility>

#include "app/shell/command_ids.h"

using namespace cmd;

LightsBar::LightsBar(int frequency, QWidget* parent) : DialogBar(IDD_LEDBAR, parent)
{
    const char* section = "DLGBAR_LED";
    QGroupBox* box = group(section, "LightSettingTitle");
    auto* grid = new QGridLayout(box);
    inner_ = lightSwitch(box, IDC_LIGHT_INNER, "TopLightBTN1Title");
    outer_ = lightSwitch(box, IDC_LIGHT_OUTER, "TopLightBTN2Title");
    bottom_ = lightSwitch(box, IDC_LIGHT_BOTTOM, "BottomLightBTNTitle");
    laser_ = lightSwitch(box, IDC_LIGHT_LASER, "LaserLightBTNTitle");
    hz50_ = add(IDC_LIGHT_50HZ, new QRadioButton("50HZ", box));
    hz60_ = add(IDC_LIGHT_60HZ, new QRadioButton("60HZ", box));
    (frequency == 1 ? hz60_ : hz50_)->setChecked(true);
    grid->addWidget(label(box, section, "TopLightTitle"), 0, 0);
    grid->addWidget(inner_, 0, 1);
    grid->addWidget(outer_, 0, 2);
    grid->addWidget(label(box, section, "BottomLightTitle"), 1, 0);
    grid->addWidget(bottom_, 1, 1);
    grid->addWidget(label(box, section, "LaserLightTitle"), 1, 2);
    grid->addWidget(laser_, 1, 3);
    grid->addWidget(label(box, section, "LightFreqTitle"), 0, 3);
    grid->addWidget(hz50_, 0, 4);
    grid->addWidget(hz60_, 0, 5);

    // A switch that is on looks lit, in the colour of the status bar's active panes.
    setStyleSheet(QStringLiteral("QPushButton:checked { background-color: rgb(253, 185, 36); "
                                 "border: 1px solid rgb(160, 110, 0); }"));

    connect(hz50_, &QRadioButton::clicked, this, [this] { Q_EMIT frequencyChosen(0); });
    connect(hz60_, &QRadioButton::clicked, this, [this] { Q_EMIT frequencyChosen(1); });
}

QPushButton* LightsBar::lightSwitch(QWidget* box, int id, const char* key)
{
    auto* button = add(id, new QPushButton(box), "DLGBAR_LED", key);
    button->setCheckable(true);
    connect(button, &QPushButton::toggled, this,
            [this, id](bool on) { Q_EMIT lightToggled(id, on); });
    return button;
}

void LightsBar::setSwitches(bool inner, bool outer, bool bottom, bool laser)
{
    const std::pair<QPushButton*, bool> states[] = {
        {inner_, inner}, {outer_, outer}, {bottom_, bottom}, {laser_, laser}};
    for (const auto& [button, on] : states)
    {
        const QSignalBlocker quiet(button);
        button->setChecked(on);
    }
}

int LightsBar::frequency() const
{
    return hz60_->isChecked() ? 1 : 0;
}

void LightsBar::setFrequency(int frequency)
{
    // Exclusive radios cannot both be clear, which any other stored value needs.
    for (QRadioButton* radio : {hz50_, hz60_})
        radio->setAutoExclusive(false);
    hz50_->setChecked(frequency == 0);
    hz60_->setChecked(frequency == 1);
    for (QRadioButton* radio : {hz50_, hz60_})
        radio->setAutoExclusive(true);
}
