#include "app/bars/size_bar.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

#include "app/shell/picture_sizes.h"

SizeBar::SizeBar(int sizeIndex, QWidget* parent)
    : DialogBar(cmd::IDD_SIZEBAR, parent), group_(new QButtonGroup(this))
{
    QGroupBox* box = group("TOOL_CLASS", "ClassVideoSize");
    auto* line = new QHBoxLayout(box);
    line->addWidget(label(box, "DLGBAR_SIZE", "DlgVideoSize"));
    for (int i = 0; i < static_cast<int>(sizes_.size()); ++i)
    {
        const PictureSize& size = kPictureSizes[i];
        sizes_[i] = add(size.controlId, new QRadioButton(size.label, box));
        group_->addButton(sizes_[i], i);
        line->addWidget(sizes_[i]);
    }
    setSizeIndex(sizeIndex);
    connect(group_, &QButtonGroup::idClicked, this, &SizeBar::sizeChosen);
}

void SizeBar::setSizeIndex(int sizeIndex)
{
    for (int i = 0; i < static_cast<int>(sizes_.size()); ++i)
        sizes_[i]->setChecked(i == sizeIndex);
}

int SizeBar::sizeIndex() const
{
    return group_->checkedId();
}
