#pragma once
// The record bar: the name and folder of recordings, and the compressor choice.

#include "app/bars/dialog_bar.h"

class QLineEdit;
class QPushButton;
struct FrameSettings;

class RecordBar : public DialogBar
{
    Q_OBJECT
  public:
    explicit RecordBar(const FrameSettings& settings, QWidget* parent = nullptr);

    QLineEdit* name() const { return name_; }
    QLineEdit* path() const { return path_; }
    QPushButton* compressor() const { return compressor_; }

  Q_SIGNALS:
    void browseClicked();
    void openFolderClicked();
    void compressorClicked();

  private:
    QLineEdit* name_;
    QLineEdit* path_;
    QPushButton* browse_;
    QPushButton* openFolder_;
    QPushButton* compressor_;
};
