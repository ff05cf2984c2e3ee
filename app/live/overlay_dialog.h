#pragma once
// The overlay's settings that have no command of their own: the scale bar's length and
// corner, the colour, and the reticle's spacing.

#include <QDialog>

#include "app/shell/overlay_settings.h"

class QComboBox;
class QDoubleSpinBox;

class OverlayDialog : public QDialog
{
    Q_OBJECT
  public:
    // `unitWord` names the measure unit the lengths are given in.
    OverlayDialog(const OverlaySettings& settings, const QString& unitWord, int language,
                  QWidget* parent = nullptr);

    // The settings given, with the dialog's values.
    OverlaySettings settings() const;

    QDoubleSpinBox* lengthBox() const { return length_; }
    QComboBox* cornerBox() const { return corner_; }
    QComboBox* colourBox() const { return colour_; }
    QDoubleSpinBox* spacingBox() const { return spacing_; }

  private:
    OverlaySettings settings_;
    QDoubleSpinBox* length_;
    QComboBox* corner_;
    QComboBox* colour_;
    QDoubleSpinBox* spacing_;
};
