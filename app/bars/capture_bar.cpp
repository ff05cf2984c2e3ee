#include "app/bars/capture_bar.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <algorithm>
#include <climits>

#include "app/shell/command_ids.h"
#include "app/shell/settings.h"

using namespace cmd;

CaptureBar::CaptureBar(const FrameSettings& settings, QWidget* parent)
    : DialogBar(IDD_CAPTUREBAR, parent)
{
    const char* section = "DLGBAR_SETTINGS";
    QGroupBox* box = group(section, "SettingsCapture");
    auto* grid = new QGridLayout(box);
    saveToDisk_ = add(IDC_CAPTURE_SAVETODISK, new QCheckBox(box), section, "SettingsSaveToDisk");
    saveToDisk_->setChecked(settings.saveToDisk);
    autoInc_ = add(IDC_CAPTURE_AUTOINC, new QCheckBox(box), section, "SettingsCaptureAutoInc");
    autoInc_->setVisible(false);
    name_ = add(IDC_CAPTURE_NAME, new QLineEdit(box));
    path_ = add(IDC_CAPTURE_PATH, new QLineEdit(box));
    path_->setMinimumWidth(160);
    browse_ = add(IDC_CAPTURE_BROWSE, new QPushButton("...", box));
    browse_->setMaximumWidth(28);
    openFolder_ = add(IDC_CAPTURE_OPENPATH, new QPushButton(box), "Others", "OpenRecordPath");
    jpeg_ = add(IDC_CAPTURE_JPEG, new QRadioButton("Jpeg", box));
    bmp_ = add(IDC_CAPTURE_BMP, new QRadioButton("Bmp", box));
    tiff_ = add(IDC_CAPTURE_TIFF, new QRadioButton("Tiff", box));
    overlay_ = add(IDC_CAPTURE_OVERLAY, new QCheckBox(QStringLiteral("Overlay in Captures"), box));
    grid->addWidget(saveToDisk_, 0, 0, 1, 2);
    grid->addWidget(label(box, section, "SettingsCaptureName"), 1, 0);
    grid->addWidget(name_, 1, 1);
    grid->addWidget(label(box, section, "SettingsCapturePath"), 2, 0);
    grid->addWidget(path_, 2, 1);
    grid->addWidget(browse_, 2, 2);
    grid->addWidget(openFolder_, 2, 3);
    grid->addWidget(label(box, section, "SettingsCaptureImageFormat"), 3, 0);
    grid->addWidget(jpeg_, 3, 1);
    grid->addWidget(bmp_, 3, 2);
    grid->addWidget(tiff_, 3, 3);
    grid->addWidget(autoInc_, 4, 0);
    grid->addWidget(overlay_, 4, 1, 1, 3);

    QGroupBox* timer = group(section, "SettingsTimerCapture");
    auto* tgrid = new QGridLayout(timer);
    interval_ = add(IDC_CAPTURE_INTERVAL, new QLineEdit(timer));
    interval_->setMaximumWidth(50);
    limit_ = add(IDC_CAPTURE_LIMIT, new QCheckBox(timer), section, "SettingsLimitNum");
    count_ = add(IDC_CAPTURE_COUNT, new QLineEdit(timer));
    count_->setMaximumWidth(50);
    tgrid->addWidget(label(timer, section, "SettingsCaptureInterval"), 0, 0);
    tgrid->addWidget(interval_, 0, 1);
    tgrid->addWidget(label(timer, section, "SettingsCaptureUnit"), 0, 2);
    tgrid->addWidget(limit_, 1, 0);
    tgrid->addWidget(count_, 1, 1);
    tgrid->addWidget(label(timer, section, "SettingsCaptureTimes"), 1, 2);
    auto* note = add(IDC_CAPTURE_NOTE, new QLabel(this), section, "SettingsNote");
    note->setWordWrap(true);
    note->setMaximumWidth(160);
    row()->addWidget(note);

    connect(browse_, &QPushButton::clicked, this, &CaptureBar::browseClicked);
    connect(openFolder_, &QPushButton::clicked, this, &CaptureBar::openFolderClicked);
    connect(limit_, &QCheckBox::toggled, count_, &QWidget::setEnabled);
    connect(limit_, &QCheckBox::clicked, this, &CaptureBar::limitToggled);
    connect(overlay_, &QCheckBox::clicked, this, &CaptureBar::overlayInCapturesClicked);
    apply(settings);
}

void CaptureBar::apply(const FrameSettings& settings)
{
    autoInc_->setChecked(settings.captureAutoInc);
    (settings.saveAsTiff ? tiff_ : settings.saveAsJpeg ? jpeg_ : bmp_)->setChecked(true);
    jpeg_->setEnabled(true);
    showOverlayInCaptures(settings.overlay.inCaptures);
    name_->setText(QString::fromStdString(settings.captureName));
    path_->setText(QString::fromStdString(settings.capturePath));
    interval_->setText("1");
    limit_->setChecked(false);
    count_->setText("3");
    count_->setEnabled(false);
}

void CaptureBar::showOverlayInCaptures(bool on)
{
    const QSignalBlocker quiet(overlay_);
    overlay_->setChecked(on);
}

void CaptureBar::setOverlayText(const QString& text)
{
    overlay_->setText(text);
}

void CaptureBar::read(FrameSettings& settings) const
{
    settings.captureAutoInc = autoInc_->isChecked();
    settings.saveAsTiff = tiff_->isChecked();
    // TIFF leaves the JPEG-or-BMP choice as it was.
    if (!settings.saveAsTiff)
        settings.saveAsJpeg = jpeg_->isChecked();
    settings.captureName = name_->text().toStdString();
    settings.capturePath = path_->text().toStdString();
    settings.captureIndex = takeTrailingNumber(settings.captureName);
    settings.timerInterval = decimalValue(interval_->text());
    settings.limitCaptureNum = limit_->isChecked();
    settings.captureNum = decimalValue(count_->text());
}

int takeTrailingNumber(std::string& name)
{
    size_t start = name.size();
    while (start > 0 && name[start - 1] >= '0' && name[start - 1] <= '9')
        --start;
    long long value = 0;
    for (size_t i = start; i < name.size(); ++i)
        value = std::min<long long>(value * 10 + (name[i] - '0'), INT_MAX);
    name.resize(start);
    return static_cast<int>(value);
}

int decimalValue(const QString& text)
{
    int i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (text[i].unicode() - '0'), 1LL + INT_MAX);
    if (negative)
        return static_cast<int>(-value);
    return static_cast<int>(std::min<long long>(value, INT_MAX));
}
