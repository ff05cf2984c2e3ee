#pragma once
// What the measurement settings change on the active image document: its bitmap object, its
// ruler flag and its modified mark, and what it then announces. The image document implements
// it, so the settings need not know the document class.

class MeasuredBitmap;

class MeasuredDocument
{
  public:
    // Null when there is none.
    virtual MeasuredBitmap* bitmap() const = 0;
    virtual void setHideRuler(bool hide) = 0;
    virtual void setModified(bool modified) = 0;
    // Pen, text font or descriptors changed: every figure looks different.
    virtual void figuresRestyled() = 0;
    // Ruler, units or precision may have changed; the document tells when they did.
    virtual void calibrationTouched() = 0;
    // A measurement file keeps the ruler its figures were measured with; no profile's scale
    // replaces it.
    virtual bool keepsOwnRuler() const { return false; }
    // The same, given by the settings rather than changed by the user: no undo step.
    virtual void calibrationGiven() { calibrationTouched(); }

  protected:
    ~MeasuredDocument() = default;
};
