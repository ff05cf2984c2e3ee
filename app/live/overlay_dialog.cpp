#include "app/live/overlay_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

#include "app/shell/ui_text.h"
#include "kwztypes.h"

namespace {

struct Colour
{
    COLORREF value;
    const char* english;
    const char* simplified;
    const char* traditional;
};
constexpr Colour kColours[] = {
    {RGB(255, 255, 255), "White", "白色", "白色"}, {RGB(0, 0, 0), "Black", "黑色", "黑色"},
    {RGB(255, 255, 0), "Yellow", "黄色", "黃色"},  {RGB(255, 0, 0), "Red", "红色", "紅色"},
    {RGB(0, 255, 0), "Green", "绿色", "綠色"},     {RGB(0, 160, 255), "Blue", "蓝色", "藍色"},
};

QDoubleSpinBox* lengthSpin(double value, const QString& unitWord, const QString& automatic)
{
    auto* box = new QDoubleSpinBox;
    box->setRange(0, 1e6);
    box->setDecimals(4);
    box->setSuffix(QLatin1Char(' ') + unitWord);
    // 0 is the automatic choice.
    box->setSpecialValueText(automatic);
    box->setValue(value);
    return box;
}

} // namespace

OverlayDialog::OverlayDialog(const OverlaySettings& settings, const QString& unitWord, int language,
                             QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    auto text = [language](const char* e, const char* s, const char* t) {
        return uiText(language, e, s, t);
    };
    setWindowTitle(text("Overlay Settings", "叠加设置", "疊加設定"));
    const QString automatic = text("Automatic", "自动", "自動");
    length_ = lengthSpin(settings.scaleBarLength, unitWord, automatic);
    spacing_ = lengthSpin(settings.reticleSpacing, unitWord, automatic);
    corner_ = new QComboBox;
    corner_->addItem(text("Bottom right", "右下", "右下"));
    corner_->addItem(text("Bottom left", "左下", "左下"));
    corner_->addItem(text("Top right", "右上", "右上"));
    corner_->addItem(text("Top left", "左上", "左上"));
    corner_->setCurrentIndex(settings.corner);
    colour_ = new QComboBox;
    for (const Colour& c : kColours)
    {
        colour_->addItem(text(c.english, c.simplified, c.traditional), uint(c.value));
        if (c.value == (settings.colour & 0x00FFFFFFu))
            colour_->setCurrentIndex(colour_->count() - 1);
    }
    // A colour from an edited settings file stays choosable.
    if (colour_->findData(uint(settings.colour)) < 0)
    {
        colour_->addItem(QStringLiteral("#%1").arg(settings.colour, 6, 16, QLatin1Char('0')),
                         uint(settings.colour));
        colour_->setCurrentIndex(colour_->count() - 1);
    }
    auto* form = new QFormLayout(this);
    form->addRow(text("Scale bar length", "比例尺长度", "比例尺長度"), length_);
    form->addRow(text("Corner", "位置", "位置"), corner_);
    form->addRow(text("Colour", "颜色", "顏色"), colour_);
    form->addRow(text("Reticle spacing", "分划线间距", "分劃線間距"), spacing_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

OverlaySettings OverlayDialog::settings() const
{
    OverlaySettings s = settings_;
    s.scaleBarLength = length_->value();
    s.reticleSpacing = spacing_->value();
    s.corner = corner_->currentIndex();
    s.colour = colour_->currentData().toUInt();
    return s;
}
