#pragma once
// The colour bar: red, green and blue gains, gamma, red, green and blue offsets, and Default.

#include <array>

#include "app/bars/dialog_bar.h"

class QLabel;
class QPushButton;
class QSlider;
struct FrameSettings;

class ColourBar : public DialogBar
{
    Q_OBJECT
  public:
    // The sliders in their order on the bar.
    enum Slider
    {
        RedGain,
        GreenGain,
        BlueGain,
        Gamma,
        RedOffset,
        GreenOffset,
        BlueOffset,
        SliderCount
    };

    explicit ColourBar(const FrameSettings& settings, QWidget* parent = nullptr);

    QSlider* slider(Slider which) const { return sliders_[which]; }
    QLabel* number(Slider which) const { return numbers_[which]; }

  Q_SIGNALS:
    void sliderChanged(ColourBar::Slider which, int value);
    void defaultClicked();

  private:
    std::array<QSlider*, SliderCount> sliders_{};
    std::array<QLabel*, SliderCount> numbers_{};
    QPushButton* reset_;
};
