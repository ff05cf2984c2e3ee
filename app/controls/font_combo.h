#pragma once
// Font picker: every scalable face of the screen, each shown in its own face, with a mark
// for outline fonts and one for fonts that only the default printer has.

#include <QComboBox>
#include <QPixmap>
#include <QStringList>

class CFontCombo : public QComboBox
{
    Q_OBJECT
  public:
    // Font-type bits kept as each entry's item data.
    static constexpr int kRasterFont = 1;
    static constexpr int kDeviceFont = 2;
    static constexpr int kScalableFont = 4;
    static constexpr int kFaceHeight = 14;

    explicit CFontCombo(QWidget* parent = nullptr);

    int fontType(int index) const;
    // The picture at the left of an entry: 1 for outline fonts, 0 for printer fonts, -1 none.
    static int pictureFor(int fontType);
    QPixmap picture(int which) const;
    void drawEntry(QPainter& painter, const QRect& rect, int index, bool selected) const;

    // Faces of the printer fonts listed in a printer description (its "*Font" lines).
    static QStringList printerFontsFromDescription(const QByteArray& description);

  private:
    void fill();

    QPixmap pictures_; // two 15 x 12 pictures side by side
};
