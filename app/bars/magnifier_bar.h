#pragma once
// The magnifier bar: the magnifier window and its radius.

#include "app/bars/dialog_bar.h"

class QSpinBox;

class MagnifierBar : public DialogBar
{
    Q_OBJECT
  public:
    explicit MagnifierBar(int radius, QWidget* parent = nullptr);

    // The area the image view paints the enlarged square into.
    QFrame* magnifier() const { return magnifier_; }
    QSpinBox* radius() const { return radius_; }

  Q_SIGNALS:
    void radiusChanged(int radius);

  private:
    QFrame* magnifier_;
    QSpinBox* radius_;
};
