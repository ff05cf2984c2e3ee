#include "app/bars/video_setting_bar.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

#include "app/shell/command_ids.h"
#include "app/shell/settings.h"

using namespace cmd;

VideoSettingBar::VideoSettingBar(const FrameSettings& settings, bool cameraOpen, QWidget* parent)
    : DialogBar(IDD_VIDEOSETTINGBAR, parent)
{
    const char* section = "VideoSetting";
    QGroupBox* box = group(section, "DialogAWBSet");
    auto* grid = new QGridLayout(box);
    exposure_ = add(IDC_SLIDER_EXPOSURE, new QSlider(Qt::Horizontal, box));
    exposure_->setMinimumWidth(110);
    number_ = add(IDC_NUM_EXPOSURE, new QLabel(box));
    number_->setMinimumWidth(30);
    whiteBalance_ = add(IDC_AWB, new QPushButton(box), section, "DialogVideoAWB");
    flip_ = add(IDC_FLIP_VERTICAL, new QCheckBox(box), section, "DialogVideoFlip");
    flip_->setEnabled(false);
    mirror_ = add(IDC_FLIP_HORIZONTAL, new QCheckBox(box), section, "DialogVideoMirror");
    mirror_->setEnabled(false);
    grid->addWidget(label(box, section, "DialogExposal"), 0, 0);
    grid->addWidget(exposure_, 0, 1);
    grid->addWidget(number_, 0, 2);
    grid->addWidget(whiteBalance_, 0, 3);
    grid->addWidget(label(box, section, "DialogVideoVert"), 1, 0);
    grid->addWidget(flip_, 1, 1);
    grid->addWidget(mirror_, 1, 2);
    if (cameraOpen)
    {
        exposure_->setRange(1, std::max(1, settings.maxExposure));
        exposure_->setValue(settings.exposure);
        number_->setText(QString::asprintf("%d", settings.exposure));
    }

    connect(exposure_, &QSlider::valueChanged, this, &VideoSettingBar::exposureChanged);
    connect(whiteBalance_, &QPushButton::clicked, this, &VideoSettingBar::whiteBalanceClicked);
    connect(flip_, &QCheckBox::toggled, this, &VideoSettingBar::verticalFlipToggled);
    connect(mirror_, &QCheckBox::toggled, this, &VideoSettingBar::horizontalFlipToggled);
}
