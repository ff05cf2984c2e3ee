#pragma once
// What the measurement settings change on the active image document: its bitmap object, its
// ruler flag, its modified mark and its views. The image document implements it, so the
// settings need not know the document class.

class MeasuredDocument
{
  public:
    // The Rast handle; null when there is none.
    virtual void* bitmap() const = 0;
    virtual void setHideRuler(int hide) = 0;
    virtual void setModified(bool modified) = 0;
    // Asks every view to show the document again.
    virtual void updateAllViews() = 0;

  protected:
    ~MeasuredDocument() = default;
};
