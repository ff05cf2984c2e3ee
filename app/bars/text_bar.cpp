#include "app/bars/text_bar.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "app/controls/font_combo.h"
#include "app/controls/pen_style_combo.h"
#include "app/shell/command_ids.h"
#include "app/shell/settings.h"

using namespace cmd;

QStringList TextBar::sizeItems()
{
    QStringList items;
    for (int size : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        items << QString::number(size);
    return items;
}

TextBar::TextBar(const FrameSettings& settings, QWidget* parent) : DialogBar(IDD_TEXTBAR, parent)
{
    const char* section = "DLGBAR_PEN";
    QGroupBox* box = group("TOOL_CLASS", "ClassText");
    auto* grid = new QGridLayout(box);
    font_ = add(IDC_TEXT_FONT, new CFontCombo(box));
    font_->setCurrentIndex(settings.fontIndex < font_->count() ? settings.fontIndex : -1);
    size_ = add(IDC_TEXT_SIZE, new QComboBox(box));
    setItems(size_, sizeItems(), settings.fontSizeIndex);
    normal_ = add(IDC_TEXT_NORMALCOLOR, new CPenStyleCombo(CPenStyleCombo::ColourMode, box));
    normal_->setCurrentIndex(settings.fontNormalColorIndex < 16 ? settings.fontNormalColorIndex
                                                                : -1);
    temp_ = add(IDC_TEXT_TEMPCOLOR, new CPenStyleCombo(CPenStyleCombo::ColourMode, box));
    temp_->setCurrentIndex(settings.fontTempColorIndex < 16 ? settings.fontTempColorIndex : -1);
    grid->addWidget(label(box, section, "PenFontText"), 0, 0);
    grid->addWidget(font_, 1, 0);
    grid->addWidget(label(box, section, "PenFontSize"), 0, 1);
    grid->addWidget(size_, 1, 1);
    grid->addWidget(label(box, section, "PenColorNormal"), 0, 2);
    grid->addWidget(normal_, 1, 2);
    grid->addWidget(label(box, section, "PenColorSelect"), 0, 3);
    grid->addWidget(temp_, 1, 3);

    connect(font_, &QComboBox::activated, this, &TextBar::fontChosen);
    connect(size_, &QComboBox::activated, this, &TextBar::sizeChosen);
    connect(normal_, &QComboBox::activated, this, &TextBar::normalColourChosen);
    connect(temp_, &QComboBox::activated, this, &TextBar::tempColourChosen);
}
