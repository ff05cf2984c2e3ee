#include "app/bars/magnifier_bar.h"

#include <QBoxLayout>
#include <QSpinBox>

#include "app/shell/command_ids.h"

using namespace cmd;

MagnifierBar::MagnifierBar(int radius, QWidget* parent) : DialogBar(IDD_ZOOMBAR, parent)
{
    magnifier_ = add(IDC_MAGNIFIER, new QFrame(this));
    magnifier_->setFrameShape(QFrame::Box);
    magnifier_->setFixedSize(160, 120);
    magnifier_->setAutoFillBackground(true);
    radius_ = add(IDC_MAGNIFIER_SPIN, new QSpinBox(this));
    radius_->setRange(5, 200);
    radius_->setValue(radius);
    row()->addWidget(magnifier_);
    row()->addWidget(radius_);
    connect(radius_, &QSpinBox::valueChanged, this, &MagnifierBar::radiusChanged);
}
