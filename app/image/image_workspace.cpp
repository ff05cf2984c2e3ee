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

namespace {

// A measurement file carries the ruler its figures were measured with; giving it another one
// would change every value it shows.
bool keepsOwnRuler(const CImageDoc& document)
{
    return document.origin() == CImageDoc::OriginOpened &&
           CImageDoc::fileKind(document.pathName()) == CImageDoc::KindMeasureFile;
}

} // namespace

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
    // What the bars give the picture here is its state, not a step to undo.
    document.pauseSteps(true);
    if (!keepsOwnRuler(document) && !measure_.hasCalibrations())
        measure_.chooseRulerFromRulerBar(rulers->currentText(), rulers->currentIndex(), &document);
    const int precision = bars_->ruler->precision()->currentIndex();
    if (precision >= 0 && document.bitmap() != nullptr)
        measure_.applyPrecision(*document.bitmap(), precision);
    document.pauseSteps(false);
    document.settingsApplied();
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
}

void ImageWorkspace::refreshUnitLists()
{
    if (bars_ == nullptr)
        return;
    const QStringList words = MeasureSettings::unitWords(languageIndex());
    const FrameSettings& settings = measure_.settings();
    bars_->ruler->setUnitWords(words, settings.measureUnitIndex);
    bars_->rulerMeasure->setUnitWords(words, settings.measureUnitIndex, settings.rulerUnitIndex);
}
