#include "app/image/image_doc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSignalBlocker>
#include <QUndoStack>
#include <algorithm>
#include <climits>
#include <vector>

#include "app/image/finished_picture.h"
#include "app/image/image_services.h"
#include "app/image/measure_settings.h"
#include "app/shell/gbk_text.h"
#include "app/shell/language.h"
#include "app/shell/ui_text.h"
#include "platform/message_box.h"
#include "support/values/figure_table.h"

namespace {

constexpr const char* kCaption = "kwzview";
const QString kSaveBmpFilter = QStringLiteral("BMP File (*.BMP *.bmp)");
const QString kSaveMeaFilter = QStringLiteral("MEA File(*.Mea) (*.Mea *.mea *.MEA)");
const QString kSaveAsFilter =
    QStringLiteral("BMP File(*.Bmp) (*.bmp *.Bmp *.BMP);;MEA File(*.Mea) (*.Mea *.mea *.MEA)");

// Every image document alive, so a new capture can take a title no window shows yet.
std::vector<const CImageDoc*>& openDocuments()
{
    static std::vector<const CImageDoc*> documents;
    return documents;
}

} // namespace

CImageDoc::CImageDoc(ImageServices* services)
    : services_(services), bitmap_(MeasuredBitmap::create()), undoStack_(new QUndoStack(this))
{
    openDocuments().push_back(this);
    connect(undoStack_, &QUndoStack::cleanChanged, this,
            [this](bool clean) { setModified(!clean); });
}

CImageDoc::~CImageDoc()
{
    std::erase(openDocuments(), this);
}

bool CImageDoc::captureTitleIsFree(const QString& title) const
{
    for (const CImageDoc* other : openDocuments())
        if (other != this && other->title().section(QLatin1Char('.'), 0, 0) == title)
            return false;
    // Nor may its automatic save overwrite a file already in the capture folder.
    const QDir folder(QString::fromStdString(services_->measureSettings().settings().capturePath));
    for (const char* extension : {".bmp", ".Mea"})
        if (folder.exists(title + QLatin1String(extension)))
            return false;
    return true;
}

int CImageDoc::fileKind(const QString& path)
{
    const QString extension = path.right(3).toLower();
    if (extension == QLatin1String("bmp") || extension == QLatin1String("kwz"))
        return KindBitmap;
    if (extension == QLatin1String("mea"))
        return KindMeasureFile;
    return KindNone;
}

int CImageDoc::language() const
{
    return services_ ? services_->languageIndex() : 0;
}

bool CImageDoc::hasImage() const
{
    return bitmap() != nullptr && bitmap()->hasImage();
}

QSize CImageDoc::imageSize() const
{
    return bitmap() != nullptr ? bitmap()->size() : QSize(0, 0);
}

int CImageDoc::figureCount() const
{
    return bitmap() != nullptr ? bitmap()->figureCount() : 0;
}

void CImageDoc::notifyFiguresChanged(const QRect& rect)
{
    const QRect whole(QPoint(0, 0), imageSize());
    const QRect changed = rect.isEmpty() ? whole : rect.intersected(whole);
    if (!changed.isEmpty())
        Q_EMIT figuresChanged(changed);
}

CImageDoc::Calibration CImageDoc::calibration() const
{
    if (bitmap() == nullptr)
        return {};
    return Calibration{bitmap()->ruler(), bitmap()->measureUnit(), bitmap()->precision()};
}

void CImageDoc::calibrationTouched()
{
    const Calibration now = calibration();
    if (now == calibration_)
        return;
    const Calibration was = calibration_;
    calibration_ = now;
    Q_EMIT calibrationChanged();
    // Every label shows its values anew.
    notifyFiguresChanged();
    StepName name{StepName::ApplyCalibration};
    if (now.ruler == was.ruler && now.precision == was.precision)
        name.verb = StepName::ChangeUnit;
    else if (now.ruler == was.ruler && now.measureUnit == was.measureUnit)
        name.verb = StepName::ChangePrecision;
    recordStep(name);
}

void CImageDoc::figuresRestyled()
{
    notifyFiguresChanged();
    recordStep(StepName{StepName::ChangeLook});
}

void CImageDoc::calibrationGiven()
{
    const bool paused = paused_;
    paused_ = true;
    calibrationTouched();
    paused_ = paused;
    settingsApplied();
}

void CImageDoc::settingsApplied()
{
    const Calibration now = calibration();
    if (now != calibration_)
    {
        calibration_ = now;
        Q_EMIT calibrationChanged();
        notifyFiguresChanged();
    }
    if (!restoring_)
        takeBase();
}

void CImageDoc::takeBase()
{
    base_.clear();
    baseFigures_.clear();
    baseRuler_.reset();
    if (bitmap() == nullptr)
        return;
    base_ = bitmap()->graphicData().value_or(QByteArray());
    baseFigures_ = kwz::values::readFigures(bitmap()->handle());
    baseRuler_ = bitmap()->ruler();
}

void CImageDoc::startHistory(bool clean)
{
    // The modified flag is the caller's here, not the stack's.
    const QSignalBlocker quiet(undoStack_);
    undoStack_->clear();
    takeBase();
    if (clean)
        undoStack_->setClean();
    else
        undoStack_->resetClean();
}

bool CImageDoc::recordStep(std::optional<StepName> name, bool mergeable)
{
    if (restoring_ || paused_ || bitmap() == nullptr)
        return false;
    const std::optional<QByteArray> now = bitmap()->graphicData();
    if (!now || *now == base_)
        return false;
    if (base_.isEmpty())
    {
        // The engine came after the history began: nothing to go back to yet.
        takeBase();
        return false;
    }
    std::vector<GTFIGUREVALUES> figures = kwz::values::readFigures(bitmap()->handle());
    const std::optional<RulerRecord> ruler = bitmap()->ruler();
    const StepName named =
        name ? *name
             : nameChange(baseFigures_, figures, ruler != baseRuler_, bitmap()->selectedFigure());
    auto* step = new MeasureStep([this](const QByteArray& data) { restoreFigureData(data); }, base_,
                                 *now, named, mergeable);
    base_ = *now;
    baseFigures_ = std::move(figures);
    baseRuler_ = ruler;
    undoStack_->push(step);
    return true;
}

void CImageDoc::restoreFigureData(const QByteArray& data)
{
    if (bitmap() == nullptr)
        return;
    restoring_ = true;
    const bool selected = !bitmap()->selectionBounds().isEmpty();
    if (bitmap()->setGraphicData(data))
    {
        bitmap()->hideRuler(hideRuler_);
        base_ = data;
        baseFigures_ = kwz::values::readFigures(bitmap()->handle());
        baseRuler_ = bitmap()->ruler();
        if (selected)
            Q_EMIT selectionChanged();
        const Calibration now = calibration();
        if (now != calibration_)
        {
            calibration_ = now;
            // The bars show the units and precision the picture has again.
            if (services_ != nullptr)
                services_->measureSettings().takeOverFrom(*bitmap());
            Q_EMIT calibrationChanged();
        }
        notifyFiguresChanged();
    }
    restoring_ = false;
}

QString CImageDoc::undoText(int language) const
{
    const QString word = uiText(language, "&Undo", "撤销(&U)", "復原(&U)");
    const auto* step =
        dynamic_cast<const MeasureStep*>(undoStack_->command(undoStack_->index() - 1));
    if (step == nullptr)
        return word;
    return uiText(language, "&Undo %1", "撤销 %1(&U)", "復原 %1(&U)")
        .arg(step->name().text(language));
}

QString CImageDoc::redoText(int language) const
{
    const QString word = uiText(language, "&Redo", "重做(&R)", "重做(&R)");
    const auto* step = dynamic_cast<const MeasureStep*>(undoStack_->command(undoStack_->index()));
    if (step == nullptr)
        return word;
    return uiText(language, "&Redo %1", "重做 %1(&R)", "重做 %1(&R)")
        .arg(step->name().text(language));
}

void CImageDoc::setHideRuler(bool hide)
{
    if (hideRuler_ == hide)
        return;
    hideRuler_ = hide;
    if (bitmap() != nullptr)
        bitmap()->hideRuler(hide);
    notifyFiguresChanged();
}

bool CImageDoc::deleteSelected()
{
    if (bitmap() == nullptr)
        return false;
    const QRect covered = bitmap()->deleteSelected();
    if (covered.isEmpty())
        return false;
    Q_EMIT selectionChanged();
    notifyFiguresChanged(covered);
    recordStep();
    return true;
}

bool CImageDoc::deleteAll()
{
    if (bitmap() == nullptr || figureCount() == 0)
        return false;
    const bool selected = !bitmap()->selectionBounds().isEmpty();
    bitmap()->deleteAll();
    if (selected)
        Q_EMIT selectionChanged();
    notifyFiguresChanged();
    recordStep(StepName{StepName::ClearAll});
    return true;
}

bool CImageDoc::selectFigure(int index)
{
    if (bitmap() == nullptr)
        return false;
    const QRect before = bitmap()->selectionBounds();
    if (!bitmap()->selectFigure(index))
        return false;
    const QRect after = bitmap()->selectionBounds();
    Q_EMIT selectionChanged();
    notifyFiguresChanged(before.united(after));
    return true;
}

bool CImageDoc::selectAt(const QPoint& point)
{
    if (bitmap() == nullptr)
        return false;
    const QRect before = bitmap()->selectionBounds();
    const bool hit = bitmap()->select(point);
    const QRect after = bitmap()->selectionBounds();
    if (before != after)
    {
        Q_EMIT selectionChanged();
        notifyFiguresChanged(before.united(after));
    }
    return hit;
}

void CImageDoc::setModified(bool modified)
{
    // What is saved is where undo finds the document unmodified again.
    if (!modified)
        undoStack_->setClean();
    if (modified_ == modified)
        return;
    modified_ = modified;
    Q_EMIT modifiedChanged(modified);
}

void CImageDoc::setDocumentTitle(const QString& title)
{
    setTitle(title);
    Q_EMIT titleChanged(title);
}

void CImageDoc::setPathName(const QString& path)
{
    pathName_ = path;
    Q_EMIT pathNameChanged(path);
    setDocumentTitle(QFileInfo(path).fileName());
}

bool CImageDoc::buildFromFrame(const BYTE* bits, int width, int height)
{
    return takePicture(bits, width, height, std::nullopt);
}

bool CImageDoc::takePicture(const BYTE* bits, int width, int height,
                            const std::optional<QString>& base)
{
    if (bitmap() == nullptr)
        return false;
    const bool taken = bitmap()->readPixels(bits, width, height);
    bitmap()->setLanguage(language());
    origin_ = OriginCaptured;
    kind_ = KindBitmap;
    if (base && services_ != nullptr)
    {
        // An imported picture keeps its name, numbered only when a window or a file in the
        // capture folder has it already.
        QString title = *base;
        for (int n = 1; n < INT_MAX && !captureTitleIsFree(title); ++n)
            title = *base + QStringLiteral("-") + QString::number(n);
        setDocumentTitle(title);
        services_->measureSettings().giveToNewCapture(*bitmap());
    }
    else if (base)
    {
        setDocumentTitle(*base);
    }
    else if (services_ != nullptr)
    {
        FrameSettings& settings = services_->measureSettings().settings();
        // The counter may name a window or file that exists already (the capture bar sets
        // it back from the name box on every capture): the next free number is taken.
        const QString name = QString::fromStdString(settings.captureName);
        int index = settings.captureIndex;
        while (index < INT_MAX && !captureTitleIsFree(name + QString::number(index)))
            ++index;
        setDocumentTitle(name + QString::number(index));
        services_->measureSettings().giveToNewCapture(*bitmap());
        if (settings.captureAutoInc)
            settings.captureIndex = index < INT_MAX ? index + 1 : index;
    }
    setModified(true);
    calibration_ = calibration();
    // A new capture is unsaved: no step back makes it so.
    startHistory(false);
    Q_EMIT loaded();
    notifyFiguresChanged();
    return taken;
}

bool CImageDoc::isImportable(const QString& path)
{
    static const char* const kSuffixes[] = {"jpg", "jpeg", "jpe", "png", "tif", "tiff"};
    const QString suffix = QFileInfo(path).suffix().toLower();
    return std::any_of(std::begin(kSuffixes), std::end(kSuffixes),
                       [&](const char* s) { return suffix == QLatin1String(s); });
}

QImage CImageDoc::readImportable(const QString& path, int language, QString* why)
{
    const QString name = QFileInfo(path).fileName();
    auto refuse = [&](const QString& text) {
        if (why != nullptr)
            *why = text.arg(name);
        return QImage();
    };
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format().toLower();
    if (format != "jpeg" && format != "png" && format != "tiff")
        return refuse(uiText(language,
                             "%1 is not a JPEG, PNG or TIFF picture that can be read here.",
                             "%1 不是这里能读取的 JPEG、PNG 或 TIFF 图片。",
                             "%1 不是這裡能讀取的 JPEG、PNG 或 TIFF 圖片。"));
    const QImage picture = reader.read();
    if (picture.isNull())
        return refuse(uiText(language, "%1 is damaged or cut short and cannot be imported.",
                             "%1 已损坏或不完整，无法导入。", "%1 已損壞或不完整，無法匯入。"));
    return picture;
}

bool CImageDoc::importPicture(const QString& path, QString* why)
{
    const QImage picture = readImportable(path, language(), why);
    if (picture.isNull())
    {
        origin_ = OriginFailed;
        return false;
    }
    if (takeImported(picture, QFileInfo(path).completeBaseName()))
        return true;
    if (why != nullptr)
        *why = uiText(language(), "%1 cannot be imported.", "无法导入 %1。", "無法匯入 %1。")
                   .arg(QFileInfo(path).fileName());
    return false;
}

bool CImageDoc::takeImported(const QImage& picture, const QString& base)
{
    if (bitmap() == nullptr || picture.isNull())
    {
        origin_ = OriginFailed;
        return false;
    }
    // 16 bits a channel come down to 8, grey to three equal channels.
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const int width = rgb.width();
    const int height = rgb.height();
    const qsizetype stride = (qsizetype(width) * 3 + 3) & ~qsizetype(3);
    QByteArray rows(stride * height, '\0');
    for (int y = 0; y < height; ++y)
    {
        const uchar* from = rgb.constScanLine(y);
        auto* to = reinterpret_cast<uchar*>(rows.data()) + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x)
        {
            to[3 * x] = from[3 * x + 2];
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x];
        }
    }
    if (!takePicture(reinterpret_cast<const BYTE*>(rows.constData()), width, height, base) ||
        !hasImage())
    {
        origin_ = OriginFailed;
        return false;
    }
    return true;
}

bool CImageDoc::open(const QString& path)
{
    if (bitmap() == nullptr)
        return false;
    kind_ = fileKind(path);
    MeasureSettings* settings = services_ ? &services_->measureSettings() : nullptr;
    MeasuredBitmap& object = *bitmap();
    bool read = false;
    if (kind_ == KindBitmap || kind_ == KindSavedBitmap)
    {
        read = object.readFile(path);
        if (read && settings != nullptr)
            settings->giveToOpenedBitmap(object);
    }
    else if (kind_ == KindMeasureFile)
    {
        read = object.readMeasureFile(path);
        // Only a file that was read has values worth showing on the bars.
        if (read && settings != nullptr)
            settings->takeOverFrom(object);
    }
    else
    {
        return false;
    }
    if (!read)
    {
        origin_ = OriginFailed;
        return false;
    }
    if (settings != nullptr && kind_ == KindMeasureFile)
        settings->giveToOpenedMeasureFile(object);
    object.hideRuler(hideRuler_);
    // Labels of opened files speak the program's language, as those of captures do.
    object.setLanguage(language());
    origin_ = OriginOpened;
    setPathName(QFileInfo(path).absoluteFilePath());
    calibration_ = calibration();
    startHistory(!modified_);
    Q_EMIT loaded();
    notifyFiguresChanged();
    return true;
}

QString CImageDoc::automaticTarget() const
{
    if (origin_ != OriginCaptured || services_ == nullptr)
        return QString();
    const char* extension = nullptr;
    if (kind_ == KindBitmap)
        extension = ".bmp";
    else if (kind_ == KindMeasureFile)
        extension = ".Mea";
    else
        return QString();
    const QString base = title().section(QLatin1Char('.'), 0, 0);
    QString folder = QString::fromStdString(services_->measureSettings().settings().capturePath);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + base + QLatin1String(extension);
}

const OverlaySettings* CImageDoc::stillScaleBar() const
{
    if (services_ == nullptr)
        return nullptr;
    const OverlaySettings& overlay = services_->measureSettings().settings().overlay;
    return overlay.stillScaleBar ? &overlay : nullptr;
}

bool CImageDoc::exportTiff(const QString& path, bool figures)
{
    if (bitmap() == nullptr || !hasImage() || path.isEmpty())
        return false;
    if (figures)
    {
        const bool selected = !bitmap()->selectionBounds().isEmpty();
        bitmap()->hideRuler(hideRuler_);
        bitmap()->renderFinished();
        if (selected)
            Q_EMIT selectionChanged();
        notifyFiguresChanged();
    }
    const QImage picture = finishedPicture(*bitmap(), figures, figures ? stillScaleBar() : nullptr);
    QString error;
    if (picture.isNull() || !writeCalibratedTiff(picture, stillScale(*bitmap()), path, &error))
    {
        reportWriteFailure(path);
        return false;
    }
    return true;
}

bool CImageDoc::writeFile(const QString& path, int asKind, bool report)
{
    bool written = false;
    if (asKind == KindMeasureFile)
    {
        written = bitmap()->writeMeasureFile(path);
    }
    else
    {
        // The figures go in as they stand, even when no view has painted since the last
        // change, but as a finished picture shows them: no selection, hover or handles, and
        // the ruler only when this document shows it.
        const bool selected = !bitmap()->selectionBounds().isEmpty();
        bitmap()->hideRuler(hideRuler_);
        bitmap()->renderFinished();
        if (selected)
            Q_EMIT selectionChanged();
        notifyFiguresChanged();
        if (const OverlaySettings* bar = stillScaleBar())
        {
            // The bar goes into this file only: the document keeps its pixels and figures.
            const QImage picture = finishedPicture(*bitmap(), true, bar);
            std::unique_ptr<MeasuredBitmap> copy = MeasuredBitmap::create();
            const std::vector<unsigned char> rows = bottomUpRows(picture);
            written = !picture.isNull() && copy &&
                      copy->readPixels(rows.data(), picture.width(), picture.height()) &&
                      copy->writeFile(path, false);
        }
        else
        {
            written = bitmap()->writeFile(path, true);
        }
    }
    if (!written)
    {
        if (report)
            reportWriteFailure(path);
        return false;
    }
    return true;
}

void CImageDoc::reportWriteFailure(const QString& path) const
{
    const QString text = language() == 0
                             ? QStringLiteral("无法写入文件 %1。").arg(path)
                             : QStringLiteral("The file %1 cannot be written.").arg(path);
    kwz::messageBox(nullptr, toGbk(text).c_str(), kCaption, kwz::MB_OK | kwz::MB_ICONERROR);
}

QString CImageDoc::dialogName() const
{
    // The dialog starts beside the file, or in the capture folder for a new capture.
    QString folder;
    if (!pathName_.isEmpty())
        folder = QFileInfo(pathName_).absolutePath();
    else if (origin_ == OriginCaptured && services_ != nullptr)
        folder = QString::fromStdString(services_->measureSettings().settings().capturePath);
    return folder.isEmpty() ? title() : QDir(folder).filePath(title());
}

QString CImageDoc::freeName(const QString& folder, const QString& base, const QString& extension)
{
    const QDir dir(folder);
    QString name = base + extension;
    for (int n = 1; dir.exists(name); ++n)
        name = QStringLiteral("%1-%2%3").arg(base).arg(n).arg(extension);
    return dir.filePath(name);
}

QString CImageDoc::measureFileBeside() const
{
    // Another measurement of the same picture may already lie there.
    const QFileInfo picture(pathName_);
    return freeName(picture.absolutePath(), picture.completeBaseName(), QStringLiteral(".Mea"));
}

std::optional<QString> CImageDoc::saveForTermination()
{
    if (!modified_ || !hasImage() || (origin_ != OriginOpened && origin_ != OriginCaptured))
        return std::nullopt;
    QString target;
    int asKind = KindMeasureFile;
    if (origin_ == OriginOpened)
    {
        target = measureFileBeside();
    }
    else
    {
        // A capture nobody measured on yet is a plain picture; anything else keeps its figures.
        if (kind_ == KindBitmap)
            asKind = KindBitmap;
        QString folder;
        if (services_ != nullptr)
            folder = QString::fromStdString(services_->measureSettings().settings().capturePath);
        if (folder.isEmpty())
            folder = QDir::currentPath();
        target = freeName(folder, title().section(QLatin1Char('.'), 0, 0),
                          asKind == KindBitmap ? QStringLiteral(".bmp") : QStringLiteral(".Mea"));
    }
    // Nobody may be there to close a message box.
    if (!writeFile(target, asKind, false))
        return QString();
    setModified(false);
    Q_EMIT saved(target);
    return target;
}

CImageDoc::Target CImageDoc::writeOpenedPicture(QString& written)
{
    if (bitmapChoice_ == BitmapChoice::Unasked)
    {
        const QString beside = measureFileBeside();
        const QString question =
            QString::fromUtf8(
                builtInText(language(),
                            "Saving into %1 replaces its picture with one that has the figures "
                            "drawn in.\n\nYes: draw the figures into this picture.\nNo: keep "
                            "the picture as it is and save it with its figures as %2.\nCancel: "
                            "save nothing.",
                            "保存到 %1 会用画上图形的图片替换原图片。\n\n是：把图形画进这张图片。"
                            "\n否：保留原图片，把图片和图形另存为 %2。\n取消：不保存。",
                            "保存到 %1 會用畫上圖形的圖片替換原圖片。\n\n是：把圖形畫進這張圖片。"
                            "\n否：保留原圖片，把圖片和圖形另存為 %2。\n取消：不保存。"))
                .arg(QFileInfo(pathName_).fileName(), QFileInfo(beside).fileName());
        const int answer =
            kwz::messageBox(nullptr, toGbk(question).c_str(), kCaption,
                            kwz::MB_YESNOCANCEL | kwz::MB_ICONQUESTION | kwz::MB_DEFBUTTON2);
        if (answer == kwz::IDYES)
            bitmapChoice_ = BitmapChoice::BurnIn;
        else if (answer == kwz::IDNO)
            bitmapChoice_ = BitmapChoice::MeasureFile;
        else
            return Target::Nothing;
    }
    if (bitmapChoice_ == BitmapChoice::BurnIn)
    {
        if (!writeFile(pathName_, KindBitmap))
            return Target::Failed;
        written = pathName_;
        return Target::Written;
    }
    const QString beside = measureFileBeside();
    if (!writeFile(beside, KindMeasureFile))
        return Target::Failed;
    written = beside;
    return Target::Written;
}

CImageDoc::Target CImageDoc::writeTarget(QString& written)
{
    if (bitmap() == nullptr || !hasImage())
        return Target::Nothing;
    if (origin_ == OriginOpened)
    {
        const int asKind = fileKind(pathName_);
        if (asKind == KindBitmap)
            return writeOpenedPicture(written);
        if (asKind != KindMeasureFile)
            return Target::Nothing;
        if (!writeFile(pathName_, asKind))
            return Target::Failed;
        written = pathName_;
        return Target::Written;
    }
    if (origin_ != OriginCaptured || (kind_ != KindBitmap && kind_ != KindMeasureFile) ||
        services_ == nullptr)
        return Target::Nothing;

    QString target = automaticTarget();
    // Until a first save under a name of the right kind, the user names the file.
    const QLatin1String needle(kind_ == KindBitmap ? "bmp" : "Mea");
    if (pathName_.isEmpty() || !pathName_.contains(needle))
        target = services_->getSaveFileName(kind_ == KindBitmap ? kSaveBmpFilter : kSaveMeaFilter,
                                            dialogName());
    if (target.isEmpty())
        return Target::Nothing;
    if (!writeFile(target, kind_))
        return Target::Failed;
    written = target;
    return Target::Written;
}

bool CImageDoc::save()
{
    QString written;
    if (writeTarget(written) != Target::Written)
        return false;
    setModified(false);
    if (origin_ == OriginOpened && fileKind(written) == KindMeasureFile)
        kind_ = KindMeasureFile;
    setPathName(written);
    Q_EMIT saved(written);
    return true;
}

bool CImageDoc::saveAs()
{
    if (bitmap() == nullptr || !hasImage() || services_ == nullptr)
        return false;
    const QString path = services_->getSaveFileName(kSaveAsFilter, dialogName());
    if (path.isEmpty())
        return false;
    const QString extension = QFileInfo(path).suffix().toLower();
    int asKind = KindNone;
    if (extension == QLatin1String("mea"))
        asKind = KindMeasureFile;
    else if (extension == QLatin1String("bmp"))
        asKind = KindSavedBitmap;
    if (asKind == KindNone)
    {
        // Only the two formats can be written; saying nothing would look like a save.
        reportWriteFailure(path);
        return false;
    }
    if (!writeFile(path, asKind))
        return false;
    kind_ = asKind;
    setModified(false);
    Q_EMIT saved(path);
    return true;
}

bool CImageDoc::askToSave()
{
    if (!modified_)
        return true;
    QString name;
    if (origin_ == OriginOpened)
        name = pathName_;
    else if (origin_ == OriginCaptured)
        name = automaticTarget();
    if (name.isEmpty())
        name = title();
    // Only Simplified Chinese has its own words for it; the others ask in English.
    const QString question =
        uiText(language(), " Save changes to %1?", "将改动保存到 %1？", " Save changes to %1?")
            .arg(name);
    const int answer = kwz::messageBox(nullptr, toGbk(question).c_str(), kCaption,
                                       kwz::MB_YESNOCANCEL | kwz::MB_ICONQUESTION);
    if (answer == kwz::IDNO)
        return true;
    if (answer != kwz::IDYES)
        return false;
    // Changes that were not written keep the document open.
    QString written;
    if (writeTarget(written) != Target::Written)
        return false;
    setModified(false);
    Q_EMIT saved(written);
    return true;
}
