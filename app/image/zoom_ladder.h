#pragma once
// The zoom factors of an image view: a ladder of steps from 1/16 to 32, and the way from any
// factor (a fit to the window lands between steps) to the next step in or out.

#include <QString>
#include <span>

class ZoomLadder
{
  public:
    static constexpr double kMinimum = 1.0 / 16;
    static constexpr double kMaximum = 32.0;

    static std::span<const double> steps();
    // The first step above or below the factor; the end of the ladder stays where it is.
    static double stepIn(double factor);
    static double stepOut(double factor);
    // Inside the ladder's range.
    static double bounded(double factor);
    // "400%", "66.7%", "6.25%": three digits below 100 %, whole percents above.
    static QString percentText(double factor);
};
