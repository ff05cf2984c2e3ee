#include "app/image/image_workspace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/bars/dialog_bars.h"
#include "app/bars/magnifier_bar.h"
#include "app/bars/pen_bar.h"
#include "app/bars/ruler_bar.h"
#include "app/bars/ruler_measure_bar.h"
#include "app/bars/text_bar.h"
#include "app/controls/font_combo.h"
#include "app/controls/pen_style_combo.h"
#include "app/image/image_doc.h"
#include "app/image/image_frame.h"
#include "app/image/magnifier_window.h"
#include "app/image/measured_bitmap.h"
#include "app/image/ruler_file.h"
#include "app/shell/gbk_text.h"
#include "app/shell/ui_text.h"
#include "platform/message_box.h"

ImageWorkspace::ImageWorkspace(FrameSettings& settings, const std::string& rulersFolder,
                               std::function<int()> languageIndex, QObject* parent)
    : ImageServices(settings, rulersFolder, std::move(languageIndex), parent)
{
}

ImageWorkspace::~ImageWorkspace() = default;

void ImageWorkspace::ensureSystemRulers()
{
    const FrameSettings defaults;
    const RulerRecord ruler{POINT{defaults.rulerStartX, defaults.rulerStartY},
                            POINT{defaults.rulerEndX, defaults.rulerEndY}, defaults.rulerUnitIndex,
                            defaults.rulerLength};
    for (const char* name : {kDefaultRulerName, kPlainRulerName})
    {
        const std::string path = measure_.rulerPath(QString::fromLatin1(name));
        // A file that is there, readable or not, is the user's.
        if (!QFile::exists(QFile::decodeName(QByteArray::fromStdString(path))))
            writeRulerFile(path, ruler);
    }
}

CImageDoc* ImageWorkspace::activeDocument() const
{
    if (client_ == nullptr)
        return nullptr;
    auto* frame = dynamic_cast<CImageFrame*>(client_->activeSubWindow());
    return frame != nullptr ? &frame->document() : nullptr;
}

void ImageWorkspace::activated(CImageFrame* frame)
{
    if (frame == nullptr || frame == lastActivated_)
        return;
    lastActivated_ = frame;
    CImageDoc& document = frame->document();
    if (bars_ == nullptr)
        return;
    // A capture's window comes forward before its picture arrives; the ruler chosen here
    // becomes the current one, which the picture then takes.
    QComboBox* rulers = bars_->ruler->rulers();
    // A measurement file carries the ruler its figures were measured with; giving it another
    // one would change every value it shows. What the bars give the picture here is its
    // state, not a step to undo.
    document.pauseSteps(true);
    if (!document.keepsOwnRuler() && !measure_.hasCalibrations())
        measure_.chooseRulerFromRulerBar(rulers->currentText(), rulers->currentIndex(), &document);
    else
        measure_.applyProfile(&document);
    const int precision = bars_->ruler->precision()->currentIndex();
    if (precision >= 0 && document.bitmap() != nullptr)
        measure_.applyPrecision(*document.bitmap(), precision);
    document.pauseSteps(false);
    document.settingsApplied();
    // A capture's picture arrives after its window came forward.
    connect(&document, &CImageDoc::loaded, this, &ImageWorkspace::showScale, Qt::UniqueConnection);
    showScale();
}

void ImageWorkspace::connectBars(const DialogBars& bars)
{
    bars_ = &bars;
    QFrame* area = bars.magnifier->magnifier();
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(area->frameWidth(), area->frameWidth(), area->frameWidth(),
                               area->frameWidth());
    magnifier_ = new MagnifierWindow(area);
    magnifier_->setMinimumSize(0, 0);
    layout->addWidget(magnifier_);
    setMagnifierWindow(magnifier_);
    connect(bars.magnifier, &MagnifierBar::radiusChanged, this,
            [this](int radius) { measure_.settings().zoomRate = radius; });

    connectRulerBars(bars);
    connectPenAndTextBars(bars);
    connectProfiles(bars);
}

void ImageWorkspace::connectProfiles(const DialogBars& bars)
{
    RulerBar* ruler = bars.ruler;
    connect(ruler, &RulerBar::profileChosen, this, [this](int index) {
        const QStringList names = profiles_.names();
        profiles_.setActive(index >= 0 && index < names.size() ? names[index] : QString());
    });
    connect(&profiles_, &CalibrationProfiles::profilesChanged, this,
            [ruler](const QStringList& names, int active) { ruler->setProfiles(names, active); });
    connect(&profiles_, &CalibrationProfiles::scalesChanged, this, &ImageWorkspace::profileChanged);
    ruler->setProfiles(profiles_.names(), profiles_.names().indexOf(profiles_.activeName()));
}

void ImageWorkspace::profileChanged()
{
    if (CImageDoc* document = activeDocument())
        if (measure_.applyProfile(document))
            document->setModified(true);
    showScale();
}

void ImageWorkspace::showScale()
{
    if (bars_ == nullptr)
        return;
    const int language = languageIndex();
    const CImageDoc* document = activeDocument();
    QString text;
    if (profiles_.active() == nullptr)
        text = uiText(language, "No profile: the ruler measures", "未用方案：按标尺测量",
                      "未用方案：按標尺測量");
    else if (document == nullptr || !document->hasImage())
        text = QString();
    else if (const std::optional<double> scale = profiles_.umPerPixel(document->imageSize()))
        text = (profiles_.isCalibrated(document->imageSize())
                    ? uiText(language, "%1 µm/pixel at %2 x %3, calibrated",
                             "%1 微米/像素，%2 x %3，已标定", "%1 微米/像素，%2 x %3，已標定")
                    : uiText(language, "%1 µm/pixel at %2 x %3, derived",
                             "%1 微米/像素，%2 x %3，推算", "%1 微米/像素，%2 x %3，推算"))
                   .arg(QString::number(*scale, 'g', 6))
                   .arg(document->imageSize().width())
                   .arg(document->imageSize().height());
    else
        text = uiText(language, "No scale at %1 x %2", "%1 x %2 无标定", "%1 x %2 無標定")
                   .arg(document->imageSize().width())
                   .arg(document->imageSize().height());
    bars_->ruler->setScaleText(text);
}

void ImageWorkspace::message(const QString& text, bool warning) const
{
    kwz::messageBox(nullptr, toGbk(text).c_str(), "kwzview",
                    kwz::MB_OK | (warning ? kwz::MB_ICONWARNING : kwz::MB_ICONINFORMATION));
}

bool ImageWorkspace::calibrateFromMicrometer()
{
    CImageDoc* document = activeDocument();
    const int language = languageIndex();
    if (document == nullptr || document->bitmap() == nullptr || !document->hasImage())
        return false;
    const std::optional<QLineF> line = document->bitmap()->measurementLine();
    if (!line)
    {
        message(uiText(language,
                       "Draw a line along the micrometer's scale first, then calibrate from it.",
                       "请先沿测微尺的刻度画一条直线，再用它标定。",
                       "請先沿測微尺的刻度畫一條直線，再用它標定。"),
                true);
        return false;
    }
    const std::optional<double> spacing = askNumber(
        uiText(language, "Division spacing of the micrometer (µm):", "测微尺的分度间距（微米）：",
               "測微尺的分度間距（微米）："),
        10.0);
    if (!spacing)
        return false;
    calib::FinderOptions options;
    options.spacingUm = *spacing;
    const calib::FinderResult found =
        calib::findMicrometerScale(document->bitmap()->greyPixels(), {line->x1(), line->y1()},
                                   {line->x2(), line->y2()}, options);
    if (!found.found())
    {
        QString why;
        switch (found.outcome)
        {
        case calib::FinderOutcome::LineTooShort:
            why = uiText(language, "The line is too short to cross a scale.",
                         "直线太短，无法跨过刻度。", "直線太短，無法跨過刻度。");
            break;
        case calib::FinderOutcome::BadSpacing:
            why = uiText(language, "The division spacing must be a positive number.",
                         "分度间距必须是正数。", "分度間距必須是正數。");
            break;
        case calib::FinderOutcome::TooFewDivisions:
            why = uiText(language, "Fewer than three divisions were found along the line.",
                         "沿直线找到的刻度少于三个。", "沿直線找到的刻度少於三個。");
            break;
        default:
            why = uiText(language, "No micrometer scale was found along the line.",
                         "沿直线没有找到测微尺刻度。", "沿直線沒有找到測微尺刻度。");
            break;
        }
        message(uiText(language, "Nothing was calibrated. %1", "未标定。%1", "未標定。%1").arg(why),
                true);
        return false;
    }
    const QSize size = document->imageSize();
    const bool written = profiles_.calibrate(size, found.umPerPixel, QStringLiteral("Default"));
    // The profile's change gives the picture its ruler (profileChanged).
    QString text = uiText(language,
                          "Profile %1 calibrated at %2 x %3: %4 µm/pixel.\n"
                          "Divisions used: %5 (%6 marks), residual %7 pixels.",
                          "方案 %1 已在 %2 x %3 标定：%4 微米/像素。\n"
                          "使用的分度：%5（%6 条刻线），残差 %7 像素。",
                          "方案 %1 已在 %2 x %3 標定：%4 微米/像素。\n"
                          "使用的分度：%5（%6 條刻線），殘差 %7 像素。")
                       .arg(profiles_.activeName())
                       .arg(size.width())
                       .arg(size.height())
                       .arg(QString::number(found.umPerPixel, 'g', 6))
                       .arg(found.divisions)
                       .arg(found.marksUsed)
                       .arg(QString::number(found.residualPx, 'f', 3));
    if (!written)
        text += QStringLiteral("\n") + uiText(language, "The profile file could not be written.",
                                              "无法写入方案文件。", "無法寫入方案檔案。");
    message(text, !written);
    return true;
}

bool ImageWorkspace::newProfile()
{
    const int language = languageIndex();
    QString offered;
    for (int n = 1; offered.isEmpty() || profiles_.profile(offered) != nullptr; ++n)
        offered = QStringLiteral("Obj%1").arg(n);
    const std::optional<QString> name = askText(
        uiText(language, "Name of the new calibration profile (an objective, Obj10x):",
               "新标定方案的名称（物镜，如 Obj10x）：", "新標定方案的名稱（物鏡，如 Obj10x）："),
        offered);
    if (!name)
        return false;
    const QString trimmed = name->trimmed();
    if (profiles_.create(trimmed))
        return true;
    message(profiles_.profile(trimmed) != nullptr
                ? uiText(language, "A profile named %1 exists already.", "已有名为 %1 的方案。",
                         "已有名為 %1 的方案。")
                      .arg(trimmed)
                : uiText(language,
                         "The profile %1 cannot be made: unusable name or unwritable folder.",
                         "无法建立方案 %1：名称不可用或文件夹不可写。",
                         "無法建立方案 %1：名稱不可用或資料夾不可寫。")
                      .arg(trimmed),
            true);
    return false;
}

bool ImageWorkspace::deleteProfile()
{
    const QString name = profiles_.activeName();
    if (profiles_.active() == nullptr)
        return false;
    const int language = languageIndex();
    const QString question = uiText(language, "Delete the calibration profile %1?",
                                    "删除标定方案 %1？", "刪除標定方案 %1？")
                                 .arg(name);
    // No is the default, so a scripted run keeps the profile.
    if (kwz::messageBox(nullptr, toGbk(question).c_str(), "kwzview",
                        kwz::MB_YESNO | kwz::MB_ICONQUESTION | kwz::MB_DEFBUTTON2) != kwz::IDYES)
        return false;
    return profiles_.remove(name);
}

void ImageWorkspace::connectRulerBars(const DialogBars& bars)
{
    RulerBar* ruler = bars.ruler;
    RulerMeasureBar* define = bars.rulerMeasure;

    connect(ruler, &RulerBar::rulerChosen, this, [this, ruler](int index) {
        measure_.chooseRulerFromRulerBar(ruler->rulers()->itemText(index), index, activeDocument());
    });
    connect(ruler, &RulerBar::measureUnitChosen, this,
            [this](int index) { measure_.setMeasureUnit(index, activeDocument()); });
    connect(ruler, &RulerBar::precisionChosen, this,
            [this](int index) { measure_.setPrecision(index, activeDocument()); });
    connect(ruler, &RulerBar::hideDescriptorsToggled, this, [this](bool on) {
        measure_.setHideDescriptor(MeasureSettings::DescriptorBox::RulerBar, on, activeDocument());
    });

    connect(define, &RulerMeasureBar::rulerChosen, this, [this, define](int index) {
        measure_.chooseRulerFromMeasureBar(define->rulers()->itemText(index), activeDocument());
    });
    connect(define, &RulerMeasureBar::loadClicked, this, [this, define] {
        if (!define->rulers()->currentText().isEmpty())
            measure_.chooseRulerFromMeasureBar(define->rulers()->currentText(), activeDocument());
    });
    connect(define, &RulerMeasureBar::saveClicked, this,
            [this, define] { measure_.saveRuler(define->name()->text(), activeDocument()); });
    connect(define, &RulerMeasureBar::deleteClicked, this, [this, define] {
        measure_.deleteRuler(define->rulers()->currentText(), activeDocument());
    });
    connect(define, &RulerMeasureBar::applyClicked, this, [this, define] {
        measure_.applyCalibration(define->length()->text(), define->rulerUnit()->currentIndex(),
                                  define->measureUnit()->currentIndex(), activeDocument());
    });
    connect(define, &RulerMeasureBar::measureUnitChosen, this,
            [this](int index) { measure_.setMeasureUnit(index, activeDocument()); });
    connect(define, &RulerMeasureBar::precisionChosen, this,
            [this](int index) { measure_.setPrecision(index, activeDocument()); });
    connect(define, &RulerMeasureBar::hideRulerToggled, this,
            [this](bool on) { measure_.setHideRuler(on, activeDocument()); });
    connect(define, &RulerMeasureBar::hideDescriptorsToggled, this, [this](bool on) {
        measure_.setHideDescriptor(MeasureSettings::DescriptorBox::RulerMeasureBar, on,
                                   activeDocument());
    });

    // What the settings report, the bars show.
    connect(&measure_, &MeasureSettings::measureUnitShown, this, [ruler, define](int unit) {
        ruler->measureUnit()->setCurrentIndex(unit);
        define->measureUnit()->setCurrentIndex(unit);
    });
    connect(&measure_, &MeasureSettings::precisionShown, this, [ruler, define](int precision) {
        ruler->precision()->setCurrentIndex(precision);
        define->precision()->setCurrentIndex(precision);
    });
    connect(&measure_, &MeasureSettings::rulerShown, this,
            [define](const QString& length, int rulerUnitEntry) {
                define->length()->setText(length);
                define->rulerUnit()->setCurrentIndex(rulerUnitEntry);
            });
    connect(&measure_, &MeasureSettings::rulerListChanged, this,
            [this, &bars](const QStringList& names, int selected) {
                showRulerList(bars, names, selected);
            });
    connect(&measure_, &MeasureSettings::rulerNameCleared, this,
            [define] { define->name()->clear(); });
}

void ImageWorkspace::connectPenAndTextBars(const DialogBars& bars)
{
    PenBar* pen = bars.pen;
    connect(pen, &PenBar::normalColourChosen, this,
            [this](int index) { measure_.setPenNormalColourIndex(index, activeDocument()); });
    connect(pen, &PenBar::tempColourChosen, this,
            [this](int index) { measure_.setPenTempColourIndex(index, activeDocument()); });
    connect(pen, &PenBar::widthChosen, this,
            [this](int index) { measure_.setPenWidthIndex(index, activeDocument()); });
    connect(&measure_, &MeasureSettings::penShown, this, [pen](int width, int normal, int temp) {
        pen->width()->setCurrentIndex(width);
        pen->normalColour()->setCurrentIndex(normal);
        pen->tempColour()->setCurrentIndex(temp);
    });

    TextBar* text = bars.text;
    if (!text->font()->currentText().isEmpty())
        measure_.setFontFace(text->font()->currentText());
    connect(text, &TextBar::fontChosen, this, [this, text](int index) {
        measure_.setFontIndex(index, text->font()->itemText(index), activeDocument());
    });
    connect(text, &TextBar::sizeChosen, this,
            [this](int index) { measure_.setFontSizeIndex(index, activeDocument()); });
    connect(text, &TextBar::normalColourChosen, this,
            [this](int index) { measure_.setFontNormalColourIndex(index, activeDocument()); });
    connect(text, &TextBar::tempColourChosen, this,
            [this](int index) { measure_.setFontTempColourIndex(index, activeDocument()); });
}

void ImageWorkspace::showRulerList(const DialogBars& bars, const QStringList& names, int selected)
{
    bars.rulerMeasure->setRulerNames(names, selected);
    // The ruler bar keeps its choice; the first filling takes the stored index.
    QComboBox* rulers = bars.ruler->rulers();
    const int kept = rulers->count() == 0 ? measure_.settings().rulerIndex
                                          : names.indexOf(rulers->currentText());
    bars.ruler->setRulerNames(names, kept);
}

void ImageWorkspace::refreshRulerLists()
{
    measure_.refreshRulerList();
    profiles_.reload();
}

void ImageWorkspace::refreshUnitLists()
{
    if (bars_ == nullptr)
        return;
    const QStringList words = MeasureSettings::unitWords(languageIndex());
    const FrameSettings& settings = measure_.settings();
    bars_->ruler->setUnitWords(words, settings.measureUnitIndex);
    const int language = languageIndex();
    bars_->ruler->setProfileTexts(uiText(language, "Profile", "标定方案", "標定方案"),
                                  uiText(language, "(none)", "（无）", "（無）"));
    showScale();
    bars_->rulerMeasure->setUnitWords(words, settings.measureUnitIndex, settings.rulerUnitIndex);
}
