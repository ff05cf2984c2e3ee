// Language texts, tool tips and the settings file, read and written through the store.

#include <QTest>
#include <climits>
#include <string>

#include "app/shell/gbk_text.h"
#include "app/shell/language.h"
#include "app/shell/recent_files.h"
#include "app/shell/settings.h"
#include "app/shell/store.h"
#include "platform/encoding.h"
#include "platform/profile.h"
#include "test_support.h"

namespace {

// Keys of the settings file in the order the file has always had them.
const char* const kUserKeys[] = {"bShowVideoStatusBar",
                                 "bShowVideoToolBar",
                                 "bShowVideoColorBar",
                                 "bShowVideoLedBar",
                                 "bShowVideoSettingBar",
                                 "bShowVideoSizeBar",
                                 "bShowMainSettingsBar",
                                 "bShowVideoRecordSettingBar",
                                 "nCaptureSizeIndex",
                                 "nFrequency",
                                 "nBrightness",
                                 "nContrast",
                                 "nSaturation",
                                 "nSharpness",
                                 "nGamma",
                                 "nGreenOffset",
                                 "nBlueOffset",
                                 "bSaveToDisk",
                                 "bCaptureAutoInc",
                                 "bSaveAsJpeg",
                                 "strCaptureName",
                                 "strCapturePath",
                                 "bRecordAutoInc",
                                 "strRecordName",
                                 "strRecordPath",
                                 "nTimerInterval",
                                 "bLimitCaptureNum",
                                 "nCaptureNum",
                                 "bSwitchCamera",
                                 "fRulerLength",
                                 "RulerStartPointX",
                                 "RulerStartPointY",
                                 "RulerEndPointX",
                                 "RulerEndPointY",
                                 "nRulerUnitIndex",
                                 "nMeasureUnitIndex",
                                 "nRulerIndex",
                                 "nPenNormalColorIndex",
                                 "nPenTempColorIndex",
                                 "nPenWidthIndex",
                                 "bShowImageStatusBar",
                                 "bShowImageToolBar",
                                 "bShowImageRulerBar",
                                 "bShowImageRulerMeasureBar",
                                 "bShowImagePenBar",
                                 "bShowImageTextBar",
                                 "bShowImageZoomBar",
                                 "nFontIndex",
                                 "nFontSizeIndex",
                                 "nFontNormalColorIndex",
                                 "nFontTempColorIndex",
                                 "nFontSelectedColorIndex",
                                 "RulerFileName",
                                 "SelectedRulerFileName",
                                 "nCaptureIndex",
                                 "nRecordIndex",
                                 "nPrecision",
                                 "bHideRuler",
                                 "bHideDesc",
                                 "bHideDesc2",
                                 "ExposalNum",
                                 "MaxExposal",
                                 "ZoomRate",
                                 "RedGain",
                                 "BlueGain",
                                 "GreenGain",
                                 "LIGHTINNER",
                                 "LIGHTOUTER",
                                 "LIGHTLASER",
                                 "BackLightOnOff"};

QStringList keysOf(const QByteArray& file, const QByteArray& section)
{
    QStringList keys;
    bool inside = false;
    for (const QByteArray& line : file.split('\n'))
    {
        if (line.startsWith('['))
            inside = line.trimmed() == "[" + section + "]";
        else if (inside && line.contains('='))
            keys << QString::fromLatin1(line.left(line.indexOf('=')));
    }
    return keys;
}

std::string value(const QByteArray& file, const char* section, const char* key)
{
    kwz::ProfileText text(file.toStdString());
    const std::string* v = text.value(section, key);
    return v ? *v : std::string("<missing>");
}

struct Store
{
    explicit Store(const QString& path) : handle(path.toStdString()) {}
    SettingsStore handle;
};

} // namespace

class ShellTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void layoutHasEveryKeyOnceWithItsBuiltInTexts()
    {
        const auto layout = languageLayout();
        QCOMPARE(layout.size(), size_t(kLanguageSlotCount));
        QSet<QString> seen;
        for (const LanguageKey& k : layout)
        {
            const QString id = QString(k.section) + "/" + k.key;
            QVERIFY2(!seen.contains(id), k.key);
            seen.insert(id);
        }
        QCOMPARE(toolTipCommands().size(), size_t(84));
        QCOMPARE(toolTipCommands().front().id, 32774);
        QCOMPARE(toolTipCommands().back().id, 32833);
    }

    void builtInTextsAreKeptInGbk()
    {
        TempHome home;
        LanguageTexts texts;
        texts.load(SettingsStore(), kLanguageChinese);
        // "设备(&D)" in GBK.
        QCOMPARE(QByteArray(texts.text("Device")), QByteArray("\xC9\xE8\xB1\xB8(&D)"));
        QCOMPARE(qtext(texts, "AppTitle"), QStringLiteral("KWZ 测量软件"));
        texts.load(SettingsStore(), kLanguageEnglish);
        QCOMPARE(qtext(texts, "Device"), QStringLiteral("&Device"));
        // The colour rows say what they set, and no English built-in text is Chinese.
        QCOMPARE(qtext(texts, "DlgColorBrightness"), QStringLiteral("Red Gain"));
        QCOMPARE(qtext(texts, "DlgColorGoff"), QStringLiteral("Green Offset"));
        QCOMPARE(qtext(texts, "ClassVideoSize"), QStringLiteral("Video Size"));
        for (const LanguageKey& k : languageLayout())
            for (const char* c = k.builtIn[0]; *c != 0; ++c)
                QVERIFY2(static_cast<unsigned char>(*c) < 0x80, k.key);
        // No note about an "Apply" button that the capture bar does not have.
        QCOMPARE(QByteArray(texts.text("SettingsNote")), QByteArray());
        texts.load(SettingsStore(), kLanguageChineseTraditional);
        QCOMPARE(qtext(texts, "MLanguageChineseFanti"), QStringLiteral("繁體中文(&T)"));
        QCOMPARE(qtext(texts, "DlgColorBrightness"), QStringLiteral("紅增益"));
        QCOMPARE(qtext(texts, "DlgColorSharpness"), QStringLiteral("伽馬值"));
        // An index beyond the three takes the Traditional Chinese texts.
        texts.load(SettingsStore(), 7);
        QCOMPARE(qtext(texts, "Device"), QStringLiteral("設備(&D)"));
        // "Precision" is a key of two sections; each keeps its own slot.
        QVERIFY(texts.text("DLGBAR_RULER", "Precision") !=
                texts.text("DLGBAR_MEASURERULER", "Precision"));
    }

    void fileTextsWinAndEmptyValuesTakeTheBuiltIn()
    {
        TempHome home;
        home.write("MTCHS.ini", "[MAINFRAME_MENU]\nDevice=\nConnect=\xC1\xAC\xBD\xD3X\n"
                                "[Promt]\nPromt1=" +
                                    QByteArray(300, 'a') + "\n");
        Store s(home.path("MTCHS.ini"));
        LanguageTexts texts;
        texts.load(s.handle, kLanguageChinese);
        QCOMPARE(qtext(texts, "Device"), QStringLiteral("设备(&D)"));
        QCOMPARE(qtext(texts, "Connect"), QStringLiteral("连接X"));
        QCOMPARE(QByteArray(texts.text("Promt1")), QByteArray(259, 'a'));
    }

    void settingsNoteIsReadOnlyInEnglish()
    {
        TempHome home;
        home.write("t.ini", "[DLGBAR_SETTINGS]\nSettingsNote=from file\n");
        Store s(home.path("t.ini"));
        LanguageTexts texts;
        texts.load(s.handle, kLanguageChinese);
        QCOMPARE(QByteArray(texts.text("SettingsNote")), QByteArray());
        texts.load(s.handle, kLanguageEnglish);
        QCOMPARE(QByteArray(texts.text("SettingsNote")), QByteArray("from file"));
        // Switching on to Chinese leaves the English note in place.
        texts.load(s.handle, kLanguageChinese);
        QCOMPARE(QByteArray(texts.text("SettingsNote")), QByteArray("from file"));
    }

    void savingWritesTheLayoutButThreeKeys()
    {
        TempHome home;
        LanguageTexts texts;
        texts.load(SettingsStore(), kLanguageEnglish);
        {
            Store s(home.path("MTENG.ini"));
            texts.save(s.handle);
        }
        const QByteArray file = home.read("MTENG.ini");
        int written = 0;
        for (const LanguageKey& k : languageLayout())
        {
            const bool readOnly = QByteArray(k.key) == "PenFontText" ||
                                  QByteArray(k.key) == "PenFontSize" ||
                                  QByteArray(k.key) == "ClassVideoSource";
            const std::string v = value(file, k.section, k.key);
            if (readOnly)
            {
                QCOMPARE(v, std::string("<missing>"));
                continue;
            }
            ++written;
            QCOMPARE(QString::fromStdString(kwz::gbkToUtf8(v)), QString::fromUtf8(k.builtIn[0]));
        }
        QCOMPARE(written, kLanguageSlotCount - 3);
        const QStringList measureRuler = keysOf(file, "DLGBAR_MEASURERULER");
        QCOMPARE(measureRuler.mid(0, 2), (QStringList{"LoadRuler", "Return"}));
        QCOMPARE(keysOf(file, "MAINFRAME_MENU").first(), QStringLiteral("Device"));

        // A second save writes the same bytes.
        {
            Store s(home.path("MTENG.ini"));
            texts.save(s.handle);
        }
        QCOMPARE(home.read("MTENG.ini"), file);
    }

    void chineseSaveWritesAnEmptyNote()
    {
        TempHome home;
        LanguageTexts texts;
        texts.load(SettingsStore(), kLanguageChinese);
        {
            Store s(home.path("MTCHS.ini"));
            texts.save(s.handle);
        }
        const QByteArray file = home.read("MTCHS.ini");
        QVERIFY(file.contains("\nSettingsNote=\n") || file.contains("\nSettingsNote=\r\n"));
        QCOMPARE(value(file, "MAINFRAME_MENU", "Device"), std::string("\xC9\xE8\xB1\xB8(&D)"));
    }

    void toolTipsComeFromTheirFileInOrder()
    {
        TempHome home;
        home.write("ToolTipEn.ini", "[English]\nID_VIDEO_CAPTURE=Capture a picture\n"
                                    "id_app_exit=Quit\n[Chinese]\nID_FILE_OPEN=nope\n");
        ToolTipTable tips;
        tips.load(home.path("ToolTipEn.ini").toStdString(), "English");
        QCOMPARE(tips.entries().size(), size_t(84));
        QCOMPARE(QByteArray(tips.text(32774)), QByteArray("Capture a picture"));
        QCOMPARE(QByteArray(tips.text(57665)), QByteArray("Quit"));
        QCOMPARE(QByteArray(tips.text(57601)), QByteArray());
        QCOMPARE(QByteArray(tips.text(1132)), QByteArray());
        QCOMPARE(QByteArray(tips.entries()[1].name), QByteArray("ID_CAPTURE_MEASURE"));

        tips.load(home.path("missing.ini").toStdString(), "English");
        QCOMPARE(tips.entries().size(), size_t(84));
        QCOMPARE(QByteArray(tips.text(32774)), QByteArray());
    }

    void languageFilesByIndex()
    {
        QCOMPARE(QByteArray(languageTextFile(0)), QByteArray("Language/MTCHS.ini"));
        QCOMPARE(QByteArray(languageTextFile(1)), QByteArray("Language/MTENG.ini"));
        QCOMPARE(QByteArray(languageTextFile(5)), QByteArray("Language/MTCHT.ini"));
        QCOMPARE(QByteArray(toolTipFile(5)), QByteArray("Language/ToolTipEn.ini"));
        QCOMPARE(QByteArray(toolTipSection(2)), QByteArray("FantiChinese"));
        QCOMPARE(QByteArray(helpFile(0)), QByteArray("Doc/ZN41.chm"));
        QCOMPARE(QByteArray(helpFile(2)), QByteArray("Doc/ZN42.chm"));
    }

    void defaultsAreWrittenInOrder()
    {
        TempHome home;
        FrameSettings s;
        loadSettings(SettingsStore(), s, "C", "R");
        {
            Store st(home.path("MeasureTool.ini"));
            loadSettings(st.handle, s, "/x/Captures", "/x/Records");
            saveSettings(st.handle, s);
        }
        const QByteArray file = home.read("MeasureTool.ini");
        QStringList expected;
        for (const char* k : kUserKeys)
            expected << k;
        QCOMPARE(keysOf(file, "User"), expected);
        QCOMPARE(keysOf(file, "DescriptionMark").size(), 28);
        QCOMPARE(keysOf(file, "DescriptionMark").first(), QStringLiteral("bLineGraphicName"));
        QCOMPARE(keysOf(file, "DescriptionMark").last(), QStringLiteral("bPolyLineArea"));
        QCOMPARE(value(file, "User", "strCapturePath"), std::string("/x/Captures"));
        QCOMPARE(value(file, "User", "strRecordPath"), std::string("/x/Records"));
        QCOMPARE(value(file, "User", "fRulerLength"), std::string("1."));
        QCOMPARE(value(file, "User", "nSharpness"), std::string("100"));
        QCOMPARE(value(file, "User", "SelectedRulerFileName"), std::string(""));
        QCOMPARE(value(file, "DescriptionMark", "bRectArea"), std::string("1"));

        // Loading what was saved and saving again changes nothing.
        {
            Store st(home.path("MeasureTool.ini"));
            FrameSettings again;
            loadSettings(st.handle, again, "/y", "/y");
            saveSettings(st.handle, again);
        }
        QCOMPARE(home.read("MeasureTool.ini"), file);
    }

    void oddValuesLoadAsTheRulesSay()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[user]\nnBrightness=abc\nbshowvideostatusbar=0\n"
                                      "strCaptureName=" +
                                          QByteArray(300, 'n') +
                                          "\n"
                                          "fRulerLength=2.54\n"
                                          "[DescriptionMark]\nbRectArea=0\n");
        Store st(home.path("MeasureTool.ini"));
        FrameSettings s;
        s.rectMark = 0x80; // bits outside the table stay
        loadSettings(st.handle, s, "c", "r");
        QCOMPARE(s.redGain, 30); // letters read as 0, below the lowest gain
        QCOMPARE(s.greenGain, 30);
        QCOMPARE(s.showVideoStatusBar, 0);
        QCOMPARE(s.captureName, std::string(256, 'n'));
        QCOMPARE(s.rulerLength, 2.54f);
        QCOMPARE(s.rectMark, 0xBFu);
        QCOMPARE(s.lineMark, 0xFu);
        QCOMPARE(s.polyLineMark, 0xFu);
        QCOMPARE(s.capturePath, std::string("c"));
        saveSettings(st.handle, s);
        QCOMPARE(value(home.read("MeasureTool.ini"), "User", "fRulerLength"), std::string("2.54"));
    }

    void theTiffChoiceHasASectionOfItsOwn()
    {
        TempHome home;
        {
            Store st(home.path("MeasureTool.ini"));
            FrameSettings s;
            s.saveAsTiff = 1;
            s.saveAsJpeg = 1;
            saveSettings(st.handle, s);
        }
        const QByteArray file = home.read("MeasureTool.ini");
        QCOMPARE(keysOf(file, "CaptureFormat"), QStringList{"bSaveAsTiff"});
        QCOMPARE(value(file, "CaptureFormat", "bSaveAsTiff"), std::string("1"));
        QCOMPARE(value(file, "User", "bSaveAsJpeg"), std::string("1"));
        {
            Store st(home.path("MeasureTool.ini"));
            FrameSettings again;
            loadSettings(st.handle, again, "c", "r");
            QCOMPARE(again.saveAsTiff, 1);
            QCOMPARE(again.saveAsJpeg, 1);
        }
        // A file from before the choice reads as it always did.
        home.write("MeasureTool.ini", "[User]\nbSaveAsJpeg=0\n");
        Store st(home.path("MeasureTool.ini"));
        FrameSettings old;
        old.saveAsTiff = 1;
        loadSettings(st.handle, old, "c", "r");
        QCOMPARE(old.saveAsTiff, 0);
        QCOMPARE(old.saveAsJpeg, 0);
    }

    // Each bounded key at both ends of its range and just outside them.
    void valuesOutOfRangeFallBack_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("fallback");
        const struct
        {
            const char* key;
            int low, high, fallback;
        } rows[] = {
            {"nCaptureSizeIndex", 0, 4, 1},
            {"nFrequency", 0, 1, 0},
            {"nBrightness", 1, 63, 30},
            {"nContrast", 1, 63, 30},
            {"nSaturation", 1, 63, 30},
            {"nSharpness", 1, 200, 100},
            {"nGamma", -255, 255, 30},
            {"nGreenOffset", -255, 255, 30},
            {"nBlueOffset", -255, 255, 30},
            {"nTimerInterval", 0, 2147483, 0},
            {"nCaptureNum", 0, INT_MAX, 0},
            {"nRulerUnitIndex", 0, 4, 0},
            {"nMeasureUnitIndex", 0, 4, 0},
            {"nRulerIndex", 0, INT_MAX, 0},
            {"nPenNormalColorIndex", 0, 15, 5},
            {"nPenTempColorIndex", 0, 15, 10},
            {"nPenWidthIndex", 0, 7, 0},
            {"nFontIndex", 0, INT_MAX, 0},
            {"nFontSizeIndex", 0, 15, 8},
            {"nFontNormalColorIndex", 0, 15, 5},
            {"nFontTempColorIndex", 0, 15, 10},
            {"nFontSelectedColorIndex", 0, 15, 12},
            {"nCaptureIndex", 0, INT_MAX, 0},
            {"nRecordIndex", 0, INT_MAX, 0},
            {"nPrecision", 0, 6, 2},
            {"MaxExposal", 1, INT_MAX, 350},
            {"ZoomRate", 5, 200, 20},
        };
        for (const auto& row : rows)
            QTest::newRow(row.key) << QByteArray(row.key) << row.low << row.high << row.fallback;
    }
    void valuesOutOfRangeFallBack()
    {
        QFETCH(QByteArray, key);
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(int, fallback);
        auto loaded = [&](qint64 stored) {
            TempHome home;
            home.write("MeasureTool.ini",
                       "[User]\n" + key + "=" + QByteArray::number(stored) + "\nExposalNum=1\n");
            Store st(home.path("MeasureTool.ini"));
            FrameSettings s;
            loadSettings(st.handle, s, "c", "r");
            saveSettings(st.handle, s);
            // What was used is what is written back.
            return value(home.read("MeasureTool.ini"), "User", key.constData());
        };
        QCOMPARE(loaded(low), std::to_string(low));
        QCOMPARE(loaded(high), std::to_string(high));
        if (low > INT_MIN)
            QCOMPARE(loaded(qint64(low) - 1), std::to_string(fallback));
        if (high < INT_MAX)
            QCOMPARE(loaded(qint64(high) + 1), std::to_string(fallback));
    }

    void unusableTextsFallBack()
    {
        TempHome home;
        const QByteArray longPath = "/" + QByteArray(999, 'p');
        home.write("MeasureTool.ini", "[User]\nstrCapturePath=" + longPath + "\nstrRecordPath=/r/" +
                                          QByteArray(253, 'r') +
                                          "\nfRulerLength=nan\nExposalNum=400\nMaxExposal=300\n"
                                          "[MAIN]\nLanguage=7\n");
        Store st(home.path("MeasureTool.ini"));
        FrameSettings s;
        loadSettings(st.handle, s, "/home/Captures", "/home/Records");
        QCOMPARE(s.capturePath, std::string("/home/Captures"));
        QCOMPARE(s.recordPath.size(), size_t(256)); // exactly as long as may be kept
        QCOMPARE(s.rulerLength, 1.0f);
        QCOMPARE(s.maxExposure, 300);
        QCOMPARE(s.exposure, 300);
        QCOMPARE(loadLanguageIndex(st.handle), 0);

        const char* lengths[] = {"inf", "-2.5", "0", "abc", "1e40"};
        for (const char* length : lengths)
        {
            home.write("MeasureTool.ini", QByteArray("[User]\nfRulerLength=") + length + "\n");
            Store again(home.path("MeasureTool.ini"));
            FrameSettings t;
            loadSettings(again.handle, t, "c", "r");
            QVERIFY2(t.rulerLength == 1.0f, length);
        }
        for (int language : {-1, 0, 1, 2, 3})
        {
            home.write("MeasureTool.ini", "[MAIN]\nLanguage=" + QByteArray::number(language));
            Store again(home.path("MeasureTool.ini"));
            QCOMPARE(loadLanguageIndex(again.handle),
                     language >= 0 && language <= 2 ? language : 0);
            // The file's choice wins over the system's.
            QCOMPARE(loadLanguageIndex(again.handle, 2),
                     language >= 0 && language <= 2 ? language : 0);
        }
        home.write("MeasureTool.ini", "[MAIN]\n");
        Store first(home.path("MeasureTool.ini"));
        QCOMPARE(loadLanguageIndex(first.handle, 1), 1);
        QCOMPARE(loadLanguageIndex(first.handle, 2), 2);
        QCOMPARE(loadLanguageIndex(SettingsStore(), 1), 1);
    }

    void firstStartLanguageFollowsTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("language");
        QTest::newRow("mainland") << "zh_CN.UTF-8" << 0;
        QTest::newRow("singapore") << "zh_SG" << 0;
        QTest::newRow("taiwan") << "zh_TW" << 2;
        QTest::newRow("hong kong") << "zh_HK.UTF-8" << 2;
        QTest::newRow("hant script") << "zh_Hant_CN" << 2;
        QTest::newRow("english") << "en_GB" << 1;
        QTest::newRow("german") << "de_DE.UTF-8" << 1;
        QTest::newRow("c") << "C" << 1;
        QTest::newRow("empty") << "" << 1;
    }
    void firstStartLanguageFollowsTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(int, language);
        QCOMPARE(languageForLocale(locale.toStdString()), language);
    }

    // The store owns its profile handle: a moved store carries on with the same file, the one
    // moved from is closed and writes nothing, and a closed store reads only defaults.
    void aStoreMovedOnKeepsItsFileAndAClosedOneWritesNothing()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=2\n");
        SettingsStore first(home.path("MeasureTool.ini").toStdString());
        QVERIFY(first.isOpen());
        SettingsStore second(std::move(first));
        QVERIFY(!first.isOpen() && second.isOpen());
        first.setInt("MAIN", "Lost", 1);
        QCOMPARE(first.getInt("MAIN", "Language", 5), 5);
        QCOMPARE(loadLanguageIndex(second), 2);
        second.setInt("MAIN", "Kept", 7);
        SettingsStore third;
        third = std::move(second);
        third.close();
        QVERIFY(!third.isOpen());
        third.setInt("MAIN", "Lost", 1);
        const QByteArray file = home.read("MeasureTool.ini");
        QCOMPARE(value(file, "MAIN", "Kept"), std::string("7"));
        QCOMPARE(value(file, "MAIN", "Lost"), std::string("<missing>"));
    }

    void recentFilesKeepEightNewestFirst()
    {
        TempHome home;
        RecentFiles recent;
        for (int i = 0; i < 10; ++i)
            QVERIFY(recent.add("/p/f" + std::to_string(i) + ".Mea"));
        // The ninth and tenth push the two oldest out; one opened again moves up.
        QCOMPARE(recent.files().size(), size_t(8));
        QCOMPARE(recent.files().front(), std::string("/p/f9.Mea"));
        QCOMPARE(recent.files().back(), std::string("/p/f2.Mea"));
        QVERIFY(recent.add("/p/f5.Mea"));
        QCOMPARE(recent.files().front(), std::string("/p/f5.Mea"));
        QCOMPARE(recent.files().size(), size_t(8));
        // Names the file cannot give back whole stay out.
        QVERIFY(!recent.add(""));
        QVERIFY(!recent.add(std::string(260, 'a')));
        QVERIFY(!recent.add("/p/line\nbreak"));
        QVERIFY(!recent.add("/p/trailing "));
        QVERIFY(recent.add("/" + std::string(258, 'b')));
        QVERIFY(recent.remove("/p/f9.Mea"));
        QVERIFY(!recent.remove("/p/f9.Mea"));

        {
            Store s(home.path("MeasureTool.ini"));
            recent.save(s.handle);
        }
        const QByteArray file = home.read("MeasureTool.ini");
        QCOMPARE(keysOf(file, "RecentFiles"), (QStringList{"File1", "File2", "File3", "File4",
                                                           "File5", "File6", "File7", "File8"}));
        QCOMPARE(value(file, "RecentFiles", "File2"), std::string("/p/f5.Mea"));
        RecentFiles again;
        again.load(Store(home.path("MeasureTool.ini")).handle);
        QCOMPARE(again.files(), recent.files());

        // A list shortened later leaves no old names behind in the file.
        again.remove("/p/f5.Mea");
        {
            Store s(home.path("MeasureTool.ini"));
            again.save(s.handle);
        }
        QCOMPARE(value(home.read("MeasureTool.ini"), "RecentFiles", "File8"), std::string(""));
    }

    void recentFilesSkipGapsAndRepeatsInTheFile()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[recentfiles]\nfile1=/a.bmp\nFile2=\nFile3=/a.bmp\n"
                                      "File4=/b.Mea\nFile9=/c.bmp\n");
        RecentFiles recent;
        recent.load(Store(home.path("MeasureTool.ini")).handle);
        QCOMPARE(recent.files(), (std::vector<std::string>{"/a.bmp", "/b.Mea"}));
    }

    void rulerLengthText_data()
    {
        QTest::addColumn<float>("length");
        QTest::addColumn<QString>("text");
        QTest::newRow("one") << 1.0f << "1.";
        QTest::newRow("inch") << 2.54f << "2.54";
        QTest::newRow("third") << 1.0f / 3 << "0.3333333";
        QTest::newRow("tenth") << 0.1f << "0.1";
        QTest::newRow("small") << 0.01f << "1.e-002";
        QTest::newRow("tiny") << 1.5e-5f << "1.5e-005";
        QTest::newRow("big") << 12345678.0f << "1.234568e+007";
        QTest::newRow("largest fixed") << 9999999.0f << "9999999.";
        QTest::newRow("zero") << 0.0f << "0.";
        QTest::newRow("negative") << -2.5f << "-2.5";
    }
    void rulerLengthText()
    {
        QFETCH(float, length);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(formatRulerLength(length)), text);
        // What is written reads back as the same float.
        if (length != 1.0f / 3)
            QCOMPARE(parseRulerLength(formatRulerLength(length).c_str()), length);
    }

    void rulerLengthParsing()
    {
        QCOMPARE(parseRulerLength("  3.5mm"), 3.5f);
        QCOMPARE(parseRulerLength("abc"), 0.0f);
        QCOMPARE(parseRulerLength(""), 0.0f);
        QCOMPARE(parseRulerLength("1.e-005"), 1e-5f);
        // A decimal comma locale must not change the reading.
        setlocale(LC_NUMERIC, "de_DE.UTF-8");
        QCOMPARE(parseRulerLength("2.54"), 2.54f);
        QCOMPARE(QString::fromStdString(formatRulerLength(2.54f)), QStringLiteral("2.54"));
        setlocale(LC_NUMERIC, "C");
    }
};

#include "shell_test.moc"

std::unique_ptr<QObject> makeShellTest()
{
    return std::make_unique<ShellTest>();
}
