#include "app/bars/colour_bar.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "app/shell/command_ids.h"
#include "app/shell/settings.h"

using namespace cmd;

ColourBar::ColourBar(const FrameSettings& settings, QWidget* parent)
    : DialogBar(IDD_COLORBAR, parent)
{
    QGroupBox* box = group("TOOL_CLASS", "ClassVideoSetting");
    auto* grid = new QGridLayout(box);
    struct Row
    {
        const char* key;
        int slider;
        int number;
        int low;
        int high;
        int value;
    };
    const Row rows[SliderCount] = {
        {"DlgColorBrightness", IDC_SLIDER_RED_GAIN, IDC_NUM_RED_GAIN, 1, 63, settings.redGain},
        {"DlgColorContrast", IDC_SLIDER_GREEN_GAIN, IDC_NUM_GREEN_GAIN, 1, 63, settings.greenGain},
        {"DlgColorSaturation", IDC_SLIDER_BLUE_GAIN, IDC_NUM_BLUE_GAIN, 1, 63, settings.blueGain},
        {"DlgColorSharpness", IDC_SLIDER_GAMMA, IDC_NUM_GAMMA, 1, 200, settings.gamma},
        {"DlgColorGamma", IDC_SLIDER_RED_OFFSET, IDC_NUM_RED_OFFSET, -255, 255, settings.redOffset},
        {"DlgColorGoff", IDC_SLIDER_GREEN_OFFSET, IDC_NUM_GREEN_OFFSET, -255, 255,
         settings.greenOffset},
        {"DlgColorBoff", IDC_SLIDER_BLUE_OFFSET, IDC_NUM_BLUE_OFFSET, -255, 255,
         settings.blueOffset},
    };
    for (int r = 0; r < SliderCount; ++r)
    {
        const Row& row = rows[r];
        QSlider* slider = add(row.slider, new QSlider(Qt::Horizontal, box));
        slider->setMinimumWidth(110);
        slider->setRange(row.low, row.high);
        slider->setValue(row.value);
        QLabel* number = add(row.number, new QLabel(QString::asprintf("%d", row.value), box));
        number->setMinimumWidth(30);
        grid->addWidget(label(box, "DLGBAR_COLOR", row.key), r % 4, (r / 4) * 3);
        grid->addWidget(slider, r % 4, (r / 4) * 3 + 1);
        grid->addWidget(number, r % 4, (r / 4) * 3 + 2);
        sliders_[r] = slider;
        numbers_[r] = number;
        const auto which = static_cast<Slider>(r);
        connect(slider, &QSlider::valueChanged, this,
                [this, which](int value) { Q_EMIT sliderChanged(which, value); });
    }
    reset_ = add(IDC_COLOR_DEFAULT, new QPushButton(box), "DLGBAR_COLOR", "DlgColorDefault");
    grid->addWidget(reset_, 3, 4, 1, 2);
    connect(reset_, &QPushButton::clicked, this, &ColourBar::defaultClicked);
}
