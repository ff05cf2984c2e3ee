// The skinned controls: status bar panes, colour and width pickers, font picker.

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QMainWindow>
#include <QPainter>
#include <QTest>

#include "app/controls/font_combo.h"
#include "app/controls/pen_style_combo.h"
#include "app/controls/sp_status_bar.h"

namespace {

QColor toQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

class ControlsTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void statusBarPanesFillTheBarAndTheLastReachesTheEdge()
    {
        CSPStatusBar bar;
        QVERIFY(!bar.SetPanes(nullptr, 0));
        const unsigned ids[8] = {};
        QVERIFY(bar.SetPanes(ids, 8));
        QCOMPARE(bar.paneCount(), 8);
        QVERIFY(bar.minimumHeight() >= 20);
        const int widths[8] = {0, 150, 100, 130, 50, 120, 120, 80};
        for (int i = 1; i < 8; ++i)
            bar.setPaneInfo(i, widths[i]);
        // Without a stretching pane the last one takes what is left.
        bar.resize(1200, 22);
        QCOMPARE(bar.paneRect(7).right(), bar.rect().right());
        QCOMPARE(bar.paneRect(1).width(), 150);
        bar.setPaneInfo(0, 0, true);
        QCOMPARE(bar.paneRect(0).width(), 1200 - 750);
        QCOMPARE(bar.paneRect(7).right(), bar.rect().right());
        for (int i = 1; i < 8; ++i)
            QCOMPARE(bar.paneRect(i).left(), bar.paneRect(i - 1).right() + 1);
        // Narrower than the panes: they keep their widths, the stretching one gets nothing.
        bar.resize(600, 22);
        QCOMPARE(bar.paneRect(0).width(), 0);
        QCOMPARE(bar.paneRect(1).width(), 150);
    }

    void paneColoursChangeOnePaneAndShowPaneTextRestoresGrey()
    {
        QMainWindow window;
        auto* bar = new CSPStatusBar(&window);
        window.setStatusBar(bar);
        const unsigned ids[8] = {};
        bar->SetPanes(ids, 8);
        bar->EnableCustomPaint(1);
        const int widths[8] = {0, 150, 100, 130, 50, 120, 120, 80};
        for (int i = 0; i < 8; ++i)
            bar->setPaneInfo(i, widths[i], i == 0);
        window.resize(1200, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        bar->SetPaneColours(5, RGB(253, 185, 36), RGB(0, 0, 0));
        for (int i = 0; i < 8; ++i)
        {
            const PaneStyle style = bar->paneStyle(i);
            QCOMPARE(style.background, i == 5 ? RGB(253, 185, 36) : kPaneInactiveBackground);
            QCOMPARE(style.text, i == 5 ? RGB(0, 0, 0) : kPaneInactiveText);
            QCOMPARE(style.textShown, 1);
        }
        QImage shot = bar->grab().toImage();
        const QRect five = bar->paneRect(5);
        QCOMPARE(shot.pixelColor(five.left() + 3, five.top() + 2), toQColor(RGB(253, 185, 36)));
        const QRect six = bar->paneRect(6);
        QCOMPARE(shot.pixelColor(six.left() + 3, six.top() + 2), toQColor(kPaneInactiveBackground));
        // The last pane is painted right up to the bar's edge.
        QCOMPARE(shot.pixelColor(bar->width() - 3, 5), toQColor(kPaneInactiveBackground));

        bar->ShowPaneText(5, 0);
        QCOMPARE(bar->paneStyle(5).background, kPaneInactiveBackground);
        QCOMPARE(bar->paneStyle(5).text, kPaneInactiveText);
        QCOMPARE(bar->paneStyle(5).textShown, 0);

        // Out-of-range panes are ignored rather than written past the table.
        bar->SetPaneColours(8, RGB(1, 2, 3), RGB(1, 2, 3));
        bar->ShowPaneText(-1, 0);
        bar->SetPaneText(99, "x");
    }

    void aTextWiderThanItsPaneIsNarrowedToShowItsEnds()
    {
        QMainWindow window;
        auto* bar = new CSPStatusBar(&window);
        window.setStatusBar(bar);
        const unsigned ids[3] = {};
        bar->SetPanes(ids, 3);
        bar->EnableCustomPaint(1);
        bar->setPaneInfo(0, 0, true);
        bar->setPaneInfo(1, 130);
        bar->setPaneInfo(2, 80);
        // Dots between two wide letters: cut at the pane's edges, only dots would show there.
        // About 1.5 times the pane in the bar's font, so narrowing it shows the whole text.
        QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
        font.setWeight(QFont::Normal);
        const QFontMetricsF metrics(font);
        QString dots;
        while (metrics.horizontalAdvance(QStringLiteral("M%1M").arg(dots)) < 1.55 * 126)
            dots += QLatin1Char('.');
        const QString text = QStringLiteral("M%1M").arg(dots);
        bar->SetPaneText(1, text);
        window.resize(600, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage shot = bar->grab().toImage();
        const QRect pane = bar->paneRect(1);
        const int background = toQColor(kPaneInactiveBackground).lightness();
        auto inkIn = [&](int from, int to) {
            int ink = 0;
            for (int x = from; x <= to; ++x)
                for (int y = pane.top() + 2; y < pane.bottom() - 1; ++y)
                    ink += shot.pixelColor(x, y).lightness() < background - 40;
            return ink;
        };
        const int dotsInk = inkIn(pane.center().x() - 5, pane.center().x() + 5);
        QVERIFY(inkIn(pane.left() + 1, pane.left() + 11) > 2 * dotsInk);
        QVERIFY(inkIn(pane.right() - 11, pane.right() - 1) > 2 * dotsInk);
        // Nothing spills into the next pane.
        QCOMPARE(inkIn(bar->paneRect(2).left() + 1, bar->paneRect(2).right() - 1), 0);
    }

    void menuPromptsShowInTheFirstPane()
    {
        CSPStatusBar bar;
        const unsigned ids[2] = {};
        bar.SetPanes(ids, 2);
        bar.SetPaneText(0, "Ready");
        bar.showMessage("Capture a picture");
        QCOMPARE(bar.paneText(0), QStringLiteral("Capture a picture"));
        bar.clearMessage();
        QCOMPARE(bar.paneText(0), QStringLiteral("Ready"));
    }

    void colourPicker()
    {
        CPenStyleCombo picker(CPenStyleCombo::ColourMode);
        QVERIFY(picker.filled());
        QCOMPARE(picker.count(), 16);
        QCOMPARE(picker.currentIndex(), -1);
        QCOMPARE(picker.GetSelectedColour(), RGB(0, 0, 0));
        picker.SelectColour(RGB(0, 128, 128));
        QCOMPARE(picker.currentIndex(), 7);
        QCOMPARE(picker.GetSelectedColour(), RGB(0, 128, 128));
        picker.SelectColour(RGB(1, 2, 3));
        QCOMPARE(picker.currentIndex(), 0);
        QCOMPARE(picker.GetSelectedColour(), RGB(0, 0, 0));
        QCOMPARE(CPenStyleCombo::colourAt(15), RGB(0, 255, 255));
        QCOMPARE(CPenStyleCombo::colourAt(5), RGB(0, 0, 128));
    }

    void widthPicker()
    {
        CPenStyleCombo picker(CPenStyleCombo::WidthMode);
        QCOMPARE(picker.count(), 8);
        QCOMPARE(picker.GetSelectedWidth(), 2);
        QCOMPARE(picker.SelectWidth(5), 4);
        QCOMPARE(picker.GetSelectedWidth(), 5);
        QCOMPARE(picker.SelectWidth(9), -1);
        QCOMPARE(picker.SelectWidth(0), -1);
        QCOMPARE(picker.currentIndex(), 4);
    }

    void pickerEntriesAreDrawnAsWhatTheyPick()
    {
        CPenStyleCombo colours(CPenStyleCombo::ColourMode);
        QImage image(40, 16, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            colours.drawEntry(p, image.rect(), 10, false);
        }
        QCOMPARE(image.pixelColor(20, 8), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(2, 2), QColor(Qt::black)); // the frame
        QCOMPARE(image.pixelColor(0, 0), colours.palette().color(QPalette::Base));

        CPenStyleCombo widths(CPenStyleCombo::WidthMode);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            widths.drawEntry(p, image.rect(), 3, false); // 4 pixels wide
        }
        int dark = 0;
        for (int y = 0; y < 16; ++y)
            dark += image.pixelColor(20, y) == QColor(Qt::black);
        QCOMPARE(dark, 4);
    }

    void fontPicker()
    {
        CFontCombo fonts;
        QVERIFY(fonts.count() > 0);
        for (int i = 0; i < fonts.count(); ++i)
            QVERIFY((fonts.fontType(i) & CFontCombo::kRasterFont) == 0);
        QVERIFY(fonts.findText("DejaVu Sans") >= 0 || fonts.findText("Liberation Serif") >= 0);
        QCOMPARE(CFontCombo::pictureFor(CFontCombo::kScalableFont | CFontCombo::kDeviceFont), 1);
        QCOMPARE(CFontCombo::pictureFor(CFontCombo::kDeviceFont), 0);
        QCOMPARE(CFontCombo::pictureFor(0), -1);
        QCOMPARE(fonts.picture(0).size(), QSize(15, 12));
        QVERIFY(fonts.picture(0).toImage() != fonts.picture(1).toImage());
    }

    void printerFontsFromADescription()
    {
        const QByteArray ppd =
            "*PPD-Adobe: \"4.3\"\n*Font Courier: Standard \"(002.004S)\" Standard ROM\n"
            "*Font Helvetica-Bold: Standard \"(001.007S)\" Standard ROM\n"
            "*Font Courier: again\n*Font : broken\n*Font\n*FontX y\n"
            "*Font " +
            QByteArray(100, 'x') + ": too long\n";
        QCOMPARE(CFontCombo::printerFontsFromDescription(ppd),
                 (QStringList{"Courier", "Helvetica Bold"}));
        QVERIFY(CFontCombo::printerFontsFromDescription(QByteArray(1000, '\0')).isEmpty());
    }
};

#include "controls_test.moc"

std::unique_ptr<QObject> makeControlsTest()
{
    return std::make_unique<ControlsTest>();
}
