#include "app/bars/record_bar.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/shell/command_ids.h"
#include "app/shell/settings.h"

using namespace cmd;

RecordBar::RecordBar(const FrameSettings& settings, QWidget* parent)
    : DialogBar(IDD_RECORDBAR, parent)
{
    const char* section = "DLGBAR_SETTINGS";
    QGroupBox* box = group(section, "SettingsRecord");
    auto* grid = new QGridLayout(box);
    name_ = add(IDC_RECORD_NAME, new QLineEdit(box));
    name_->setText(QString::fromStdString(settings.recordName));
    path_ = add(IDC_RECORD_PATH, new QLineEdit(box));
    path_->setMinimumWidth(160);
    path_->setText(QString::fromStdString(settings.recordPath));
    browse_ = add(IDC_RECORD_BROWSE, new QPushButton("...", box));
    browse_->setMaximumWidth(28);
    openFolder_ = add(IDC_RECORD_OPENPATH, new QPushButton(box), section, "SettingsRecordOpenPath");
    compressor_ = add(IDC_RECORD_COMPRESSOR, new QPushButton(box), section, "SettingsSelect");
    compressor_->setEnabled(false);
    grid->addWidget(label(box, section, "SettingsRecordName"), 0, 0);
    grid->addWidget(name_, 0, 1);
    grid->addWidget(compressor_, 0, 2, 1, 2);
    grid->addWidget(label(box, section, "SettingsRecordPath"), 1, 0);
    grid->addWidget(path_, 1, 1);
    grid->addWidget(browse_, 1, 2);
    grid->addWidget(openFolder_, 1, 3);

    connect(browse_, &QPushButton::clicked, this, &RecordBar::browseClicked);
    connect(openFolder_, &QPushButton::clicked, this, &RecordBar::openFolderClicked);
    connect(compressor_, &QPushButton::clicked, this, &RecordBar::compressorClicked);
}
