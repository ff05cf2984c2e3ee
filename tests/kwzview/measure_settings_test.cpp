// Measurement settings given to documents, the bars' operations, and ruler files.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <cstring>
#include <limits>
#include <memory>

#include "app/image/image_doc.h"
#include "app/image/measure_settings.h"
#include "app/image/ruler_file.h"
#include "image_test_support.h"
#include "platform/encoding.h"
#include "test_support.h"

namespace {

struct Rulers
{
    Rulers() : host(home.path("Rulers").toStdString())
    {
        QDir().mkpath(home.path("Rulers"));
        const std::vector<BYTE> rows = patternRows(200, 100);
        document = std::make_unique<CImageDoc>(&host);
        document->buildFromFrame(rows.data(), 200, 100);
    }
    void writeRuler(const QString& name, const RulerRecord& r)
    {
        QVERIFY(writeRulerFile(host.measure.rulerPath(name), r));
    }
    RulerRecord documentRuler() const
    {
        RulerRecord r;
        ZQUNIT unit = ZQ_UM;
        RASTGetRuler(document->bitmap()->handle(), &r.start, &r.end, &unit, &r.length);
        r.unit = unit;
        return r;
    }

    TempHome home;
    FakeImageWorkspace host;
    std::unique_ptr<CImageDoc> document;
};

const RulerRecord kDefaultRuler{POINT{1, 2}, POINT{301, 2}, ZQ_MM, 10.0f};
const RulerRecord kOwnRuler{POINT{-7, 40}, POINT{90, 41}, ZQ_INCH, 0.125f};

} // namespace

class MeasureSettingsTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void aRulerFileIsThirtyTwoLittleEndianBytes()
    {
        const auto bytes = serializeRuler(kOwnRuler);
        const uint8_t expected[32] = {0,    0,  0, 0, 0, 0,  0, 0, 0xF9, 0xFF, 0xFF,
                                      0xFF, 40, 0, 0, 0, 90, 0, 0, 0,    41,   0,
                                      0,    0,  4, 0, 0, 0,  0, 0, 0,    0x3E};
        QVERIFY(std::memcmp(bytes.data(), expected, 32) == 0);
        QCOMPARE(*parseRuler(bytes.data(), bytes.size()), kOwnRuler);
        // Longer files are read for their first 32 bytes.
        std::vector<uint8_t> longer(bytes.begin(), bytes.end());
        longer.resize(40, 0xAA);
        QCOMPARE(*parseRuler(longer.data(), longer.size()), kOwnRuler);
    }

    void rulerBytesThatCannotBeAUnitOrALengthAreRefused()
    {
        auto bytes = serializeRuler(kOwnRuler);
        QVERIFY(!parseRuler(bytes.data(), 31));
        bytes[24] = 5;
        QVERIFY(!parseRuler(bytes.data(), bytes.size()));
        bytes = serializeRuler(
            RulerRecord{POINT{0, 0}, POINT{1, 1}, 1, std::numeric_limits<float>::quiet_NaN()});
        QVERIFY(!parseRuler(bytes.data(), bytes.size()));
    }

    void aRulerFileRoundTripsThroughTheFolder()
    {
        Rulers r;
        r.writeRuler("Mine", kOwnRuler);
        QCOMPARE(QFileInfo(r.home.path("Rulers/Mine.ruler")).size(), qint64(32));
        QCOMPARE(*readRulerFile(r.host.measure.rulerPath("Mine")), kOwnRuler);
    }

    void savingARulerWritesTheDocumentsRulerAndListsIt()
    {
        Rulers r;
        RASTSetRuler(r.document->bitmap()->handle(), POINT{12, 13}, POINT{112, 53}, ZQ_CM, 4.5f);
        QSignalSpy lists(&r.host.measure, &MeasureSettings::rulerListChanged);
        QVERIFY(r.host.measure.saveRuler("Plate", r.document.get()));
        const std::optional<RulerRecord> saved =
            readRulerFile(r.home.path("Rulers/Plate.ruler").toStdString());
        QVERIFY(saved);
        QCOMPARE(*saved, (RulerRecord{POINT{12, 13}, POINT{112, 53}, ZQ_CM, 4.5f}));
        QCOMPARE(r.host.settings.rulerEndY, 53);
        QCOMPARE(r.host.settings.selectedRulerFileName, std::string("Plate"));
        QCOMPARE(lists.count(), 1);
        QCOMPARE(lists.first().at(0).toStringList(), QStringList{"Plate"});
        QCOMPARE(lists.first().at(1).toInt(), 0);

        QVERIFY(!r.host.measure.saveRuler("", r.document.get()));
        QVERIFY(!r.host.measure.saveRuler("../escape", r.document.get()));
        QVERIFY(!QFile::exists(r.home.path("escape.ruler")));
    }

    void choosingARulerGivesItToTheDocumentAndTheBars()
    {
        Rulers r;
        r.writeRuler("RulerDefault", kDefaultRuler);
        r.host.settings.measureUnitIndex = ZQ_CM;
        r.document->setModified(false);
        QVERIFY(r.host.measure.chooseRulerFromRulerBar("RulerDefault", 3, r.document.get()));
        // What an activated frame is given is no change of its document.
        QVERIFY(!r.document->isModified());
        QCOMPARE(r.documentRuler(), kDefaultRuler);
        QCOMPARE(r.host.settings.rulerIndex, 3);
        QCOMPARE(r.host.settings.rulerLength, 10.0f);
        ZQUNIT unit = ZQ_UM;
        RASTGetMeasureUnit(r.document->bitmap()->handle(), &unit);
        QCOMPARE(int(unit), int(ZQ_CM));

        r.writeRuler("Mine", kOwnRuler);
        QSignalSpy shown(&r.host.measure, &MeasureSettings::rulerShown);
        QVERIFY(r.host.measure.chooseRulerFromMeasureBar("Mine", r.document.get()));
        QCOMPARE(r.host.settings.rulerIndex, 3);
        QCOMPARE(r.documentRuler(), kOwnRuler);
        QVERIFY(r.document->isModified());
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.first().at(0).toString(), QStringLiteral("0.125"));
        QCOMPARE(shown.first().at(1).toInt(), 3);
    }

    void aMissingOrShortRulerFileKeepsTheCurrentRuler()
    {
        Rulers r;
        r.writeRuler("RulerDefault", kDefaultRuler);
        QVERIFY(r.host.measure.chooseRulerFromRulerBar("RulerDefault", 0, r.document.get()));
        r.home.write("Rulers/Short.ruler", QByteArray(31, '\0'));
        QVERIFY(!r.host.measure.chooseRulerFromRulerBar("Short", 1, r.document.get()));
        QVERIFY(!r.host.measure.chooseRulerFromMeasureBar("Gone", r.document.get()));
        QCOMPARE(r.documentRuler(), kDefaultRuler);
        QCOMPARE(r.host.settings.rulerIndex, 0);
        QCOMPARE(r.host.settings.selectedRulerFileName, std::string("RulerDefault"));
        QCOMPARE(r.host.settings.rulerStartX, 1);
    }

    void deletingASystemRulerSaysSoInTheProgramsLanguageAndKeepsIt()
    {
        Rulers r;
        MessageRecorder messages;
        r.writeRuler("RulerDefault", kDefaultRuler);
        r.writeRuler("Ruler", kOwnRuler);
        r.host.language = 1;
        QVERIFY(!r.host.measure.deleteRuler("RulerDefault", r.document.get()));
        r.host.language = 0;
        QVERIFY(!r.host.measure.deleteRuler("Ruler", r.document.get()));
        QCOMPARE(messages.texts,
                 (QStringList{"You must not delete the Ruler that defined by the system !",
                              QStringLiteral("你不能删除系统自带的标尺!")}));
        QVERIFY(QFile::exists(r.home.path("Rulers/RulerDefault.ruler")));
        QVERIFY(QFile::exists(r.home.path("Rulers/Ruler.ruler")));
        // Names are compared exactly.
        r.writeRuler("rulerdefault", kOwnRuler);
        QVERIFY(r.host.measure.deleteRuler("rulerdefault", r.document.get()));
    }

    void deletingAnotherRulerAppliesRulerDefault()
    {
        Rulers r;
        r.writeRuler("RulerDefault", kDefaultRuler);
        r.writeRuler("Mine", kOwnRuler);
        QVERIFY(r.host.measure.chooseRulerFromMeasureBar("Mine", r.document.get()));
        QSignalSpy cleared(&r.host.measure, &MeasureSettings::rulerNameCleared);
        QSignalSpy lists(&r.host.measure, &MeasureSettings::rulerListChanged);
        QVERIFY(r.host.measure.deleteRuler("Mine", r.document.get()));
        QVERIFY(!QFile::exists(r.home.path("Rulers/Mine.ruler")));
        QCOMPARE(cleared.count(), 1);
        QCOMPARE(lists.last().at(0).toStringList(), QStringList{"RulerDefault"});
        QCOMPARE(lists.last().at(1).toInt(), 0);
        QCOMPARE(r.documentRuler(), kDefaultRuler);
        QCOMPARE(r.host.settings.selectedRulerFileName, std::string("RulerDefault"));
    }

    void theRulerListNamesTheFilesAndSelectsTheCurrentRuler()
    {
        Rulers r;
        r.writeRuler("b", kOwnRuler);
        r.writeRuler("a", kOwnRuler);
        r.home.write("Rulers/notes.txt", "x");
        r.host.settings.selectedRulerFileName = std::string(1, 'b');
        QCOMPARE(r.host.measure.refreshRulerList(), (QStringList{"a", "b"}));
        QCOMPARE(r.host.measure.rulerListSelection(), 1);
    }

    void textSizesComeFromTheTable()
    {
        QCOMPARE(MeasureSettings::textSize(0), 8);
        QCOMPARE(MeasureSettings::textSize(8), 20);
        QCOMPARE(MeasureSettings::textSize(15), 72);
        QCOMPARE(MeasureSettings::textSize(16), 20);
        QCOMPARE(MeasureSettings::textSize(-1), 20);
    }

    void unitWordsSpeakTheProgramsLanguageInItsEncoding()
    {
        const QStringList chinese{"微米", "毫米", "厘米", "米", "英寸"};
        QCOMPARE(MeasureSettings::unitWords(0), chinese);
        QCOMPARE(MeasureSettings::unitWords(2), chinese);
        QCOMPARE(MeasureSettings::unitWords(1), (QStringList{"UM", "MM", "CM", "M", "INCH"}));
        QVERIFY(MeasureSettings::unitWords(3).isEmpty());
        QCOMPARE(MeasureSettings::rulerUnitWords(1), (QStringList{"MM", "CM", "M", "INCH"}));
        const std::vector<std::string> big5 = MeasureSettings::unitWordBytes(2);
        QCOMPARE(big5[0], kwz::utf8ToBig5("微米"));
        QVERIFY(big5[0] != MeasureSettings::unitWordBytes(0)[0]);
        QCOMPARE(MeasureSettings::unitWordBytes(0)[4], kwz::utf8ToGbk("英寸"));
    }

    void applyingACalibrationSetsLengthAndUnitsOfTheActiveDocument()
    {
        Rulers r;
        r.host.measure.applyCalibration("2.5", 0, 2, r.document.get());
        ZQUNIT unit = ZQ_UM;
        float length = 0;
        RASTGetRulerUnitAndLength(r.document->bitmap()->handle(), &unit, &length);
        QCOMPARE(int(unit), int(ZQ_MM));
        QCOMPARE(length, 2.5f);
        RASTGetMeasureUnit(r.document->bitmap()->handle(), &unit);
        QCOMPARE(int(unit), int(ZQ_CM));
        r.host.measure.applyCalibration("abc", -1, -1, r.document.get());
        QCOMPARE(r.host.settings.rulerLength, 0.0f);
        QCOMPARE(r.host.settings.rulerUnitIndex, int(ZQ_MM));
        QCOMPARE(r.host.settings.measureUnitIndex, int(ZQ_CM));
        // Without an image window only the settings change.
        r.host.measure.applyCalibration("7", 3, 0, nullptr);
        QCOMPARE(r.host.settings.rulerUnitIndex, int(ZQ_INCH));
    }

    void aCalibrationIsWhatTheNextPicturesOfItsSizeMeasureWith()
    {
        Rulers r;
        r.writeRuler("Obj10x", kDefaultRuler);
        QVERIFY(r.host.measure.chooseRulerFromRulerBar("Obj10x", 0, r.document.get()));
        // The user drags the ruler over 200 pixels of this picture and applies 99.5 um.
        RASTSetRuler(r.document->bitmap()->handle(), POINT{0, 50}, POINT{200, 50}, ZQ_MM, 10.0f);
        r.host.measure.applyCalibration("99.5", -1, 0, r.document.get());
        r.host.measure.applyCalibration("99.5", -1, 0, r.document.get());
        const RulerRecord calibrated{POINT{0, 50}, POINT{200, 50}, ZQ_MM, 99.5f};
        QCOMPARE(r.documentRuler(), calibrated);
        QVERIFY(r.host.measure.hasCalibrations());

        auto picture = [&](int width, int height) {
            auto document = std::make_unique<CImageDoc>(&r.host);
            const std::vector<BYTE> rows = patternRows(width, height);
            document->buildFromFrame(rows.data(), width, height);
            RulerRecord ruler;
            ZQUNIT unit = ZQ_UM;
            RASTGetRuler(document->bitmap()->handle(), &ruler.start, &ruler.end, &unit,
                         &ruler.length);
            ruler.unit = unit;
            return ruler;
        };
        QCOMPARE(picture(200, 100), calibrated);
        // Another size keeps the chosen ruler file: the calibration does not fit it.
        QCOMPARE(picture(320, 240), kDefaultRuler);
        // Choosing a ruler file again is the user's new choice for every size.
        QVERIFY(r.host.measure.chooseRulerFromRulerBar("Obj10x", 0, nullptr));
        QVERIFY(!r.host.measure.hasCalibrations());
        QCOMPARE(picture(200, 100), kDefaultRuler);
    }

    void aNewCaptureTakesEverySettingInOrder()
    {
        FakeImageWorkspace host;
        host.settings.measureUnitIndex = ZQ_M;
        host.settings.precision = 4;
        host.settings.fontSizeIndex = 0;
        host.settings.fontNormalColorIndex = 2;
        host.settings.fontTempColorIndex = 6;
        host.measure.setFontFace("DejaVu Sans");
        CImageDoc document(&host);
        const std::vector<BYTE> rows = patternRows(50, 40);
        QVERIFY(document.buildFromFrame(rows.data(), 50, 40));
        ZQUNIT unit = ZQ_UM;
        RASTGetMeasureUnit(document.bitmap()->handle(), &unit);
        QCOMPARE(int(unit), int(ZQ_M));
        short precision = 0;
        RASTGetPrecision(document.bitmap()->handle(), &precision);
        QCOMPARE(int(precision), 4);
        char face[64] = {};
        int height = 0;
        COLORREF normal = 0, hovered = 0, selected = 0;
        RASTGetTxtFont(document.bitmap()->handle(), face, &height, &normal, &hovered, &selected);
        QCOMPARE(QByteArray(face), QByteArray("DejaVu Sans"));
        QCOMPARE(height, -8); // letter height
        QCOMPARE(normal, COLORREF(RGB(128, 0, 0)));
        QCOMPARE(hovered, COLORREF(RGB(128, 0, 128)));
        QCOMPARE(selected, hovered);
    }

    void barControlsChangeTheSettingsAndTheActiveDocument()
    {
        Rulers r;
        r.document->setModified(false);
        r.host.measure.setPenWidthIndex(4, r.document.get());
        int style = 0, width = 0;
        COLORREF normal = 0, hovered = 0, selected = 0;
        RASTGetMeasurePen(r.document->bitmap()->handle(), &style, &width, &normal, &hovered,
                          &selected);
        QCOMPARE(width, 5);
        QCOMPARE(r.host.settings.penWidthIndex, 4);
        QVERIFY(r.document->isModified());
        // Pickers change nothing while no image window is active.
        r.host.measure.setPenWidthIndex(7, nullptr);
        QCOMPARE(r.host.settings.penWidthIndex, 4);

        r.host.measure.setFontSizeIndex(15, r.document.get());
        char face[64] = {};
        int height = 0;
        RASTGetTxtFont(r.document->bitmap()->handle(), face, &height, &normal, &hovered, &selected);
        QCOMPARE(height, -72);

        QSignalSpy precisions(&r.host.measure, &MeasureSettings::precisionShown);
        r.host.measure.setPrecision(5, r.document.get());
        short precision = 0;
        RASTGetPrecision(r.document->bitmap()->handle(), &precision);
        QCOMPARE(int(precision), 5);
        QCOMPARE(precisions.count(), 1);

        r.host.measure.setHideRuler(true, r.document.get());
        QCOMPARE(r.document->hideRuler(), 1);
        QCOMPARE(r.host.settings.hideRuler, 1);
        r.host.measure.setHideDescriptor(MeasureSettings::DescriptorBox::RulerMeasureBar, true,
                                         r.document.get());
        QCOMPARE(r.host.settings.hideDesc2, 1);
        QCOMPARE(r.host.settings.hideDesc, 0);

        r.host.measure.setMeasureUnit(ZQ_INCH, r.document.get());
        ZQUNIT unit = ZQ_UM;
        RASTGetMeasureUnit(r.document->bitmap()->handle(), &unit);
        QCOMPARE(int(unit), int(ZQ_INCH));
    }
};

std::unique_ptr<QObject> makeMeasureSettingsTest()
{
    return std::make_unique<MeasureSettingsTest>();
}

#include "measure_settings_test.moc"
