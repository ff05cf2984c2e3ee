#pragma once
// The size bar: one radio button per picture size.

#include <array>

#include "app/bars/dialog_bar.h"

class QButtonGroup;
class QRadioButton;

class SizeBar : public DialogBar
{
    Q_OBJECT
  public:
    // The button of the size index is checked (none for an index outside 0 to 4).
    explicit SizeBar(int sizeIndex, QWidget* parent = nullptr);

    void setSizeIndex(int sizeIndex);
    // The checked size, or -1.
    int sizeIndex() const;

  Q_SIGNALS:
    void sizeChosen(int sizeIndex);

  private:
    std::array<QRadioButton*, 5> sizes_{};
    QButtonGroup* group_;
};
