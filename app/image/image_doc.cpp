#include "app/image/image_doc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <climits>
#include <vector>

#include "app/image/image_host.h"
#include "app/image/measure_settings.h"
#include "app/shell/gbk_text.h"
#include "app/shell/language.h"
#include "platform/message_box.h"
#include "rast.h"

namespace {

constexpr const char* kCaption = "kwzview";
const QString kSaveBmpFilter = QStringLiteral("BMP File (*.BMP *.bmp)");
const QString kSaveMeaFilter = QStringLiteral("MEA File(*.Mea) (*.Mea *.mea *.MEA)");
const QString kSaveAsFilter =
    QStringLiteral("BMP File(*.Bmp) (*.bmp *.Bmp *.BMP);;MEA File(*.Mea) (*.Mea *.mea *.MEA)");

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

// Every image document alive, so a new capture can take a title no window shows yet.
std::vector<const CImageDoc*>& openDocuments()
{
    static std::vector<const CImageDoc*> documents;
    return documents;
}

// Far outside any picture: a hit or hover test there finds nothing.
constexpr int kNowhere = -1000000;

} // namespace

void CImageDoc::BitmapDeleter::operator()(void* bitmap) const
{
    RASTDisableMeasure(bitmap);
    RASTUnInitialize(&bitmap);
}

CImageDoc::CImageDoc(ImageHost* host) : host_(host)
{
    openDocuments().push_back(this);
    void* bitmap = nullptr;
    if (RASTInitialize(&bitmap) == RAST_OK)
        bitmap_.reset(bitmap);
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
    const QDir folder(QString::fromStdString(host_->measureSettings().settings().capturePath));
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
    return host_ ? host_->languageIndex() : 0;
}

bool CImageDoc::hasImage() const
{
    int width = 0;
    return bitmap() != nullptr && RASTGetWidth(bitmap(), &width) == RAST_OK && width > 0;
}

QSize CImageDoc::imageSize() const
{
    int width = 0;
    int height = 0;
    if (bitmap() != nullptr)
    {
        RASTGetWidth(bitmap(), &width);
        RASTGetHeight(bitmap(), &height);
    }
    return QSize(width, height);
}

int CImageDoc::figureCount() const
{
    if (!hasImage())
        return 0;
    // The library tells the counts only through its measurement stream, which leads a
    // measurement file: a 156-byte header, then seven 32-bit counts.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("count.Mea"));
    if (!folder.isValid() ||
        RASTWriteMeasureFile(bitmap(), nativePath(path).constData()) != RAST_OK)
        return -1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray head = file.read(156 + 7 * 4);
    if (head.size() < 156 + 7 * 4)
        return -1;
    int count = 0;
    for (int i = 0; i < 7; ++i)
    {
        const auto* p = reinterpret_cast<const unsigned char*>(head.constData() + 156 + 4 * i);
        count += int(p[0] | p[1] << 8 | p[2] << 16 | unsigned(p[3]) << 24);
    }
    return count;
}

void CImageDoc::setModified(bool modified)
{
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
    if (bitmap() == nullptr)
        return false;
    const bool taken = RASTReadPixels(bitmap(), bits, width, height, 24) == RAST_OK;
    // The engine draws descriptor text in Chinese (0) and English (1) only.
    const int lang = language();
    RASTSetLanguage(bitmap(), static_cast<ZQLANGUAGE>(lang == 2 ? 1 : lang));
    origin_ = OriginCaptured;
    kind_ = KindBitmap;
    if (host_ != nullptr)
    {
        FrameSettings& settings = host_->measureSettings().settings();
        // The counter may name a window or file that exists already (the capture bar sets
        // it back from the name box on every capture): the next free number is taken.
        const QString name = QString::fromStdString(settings.captureName);
        int index = settings.captureIndex;
        while (index < INT_MAX && !captureTitleIsFree(name + QString::number(index)))
            ++index;
        setDocumentTitle(name + QString::number(index));
        host_->measureSettings().giveToNewCapture(bitmap());
        if (settings.captureAutoInc)
            settings.captureIndex = index < INT_MAX ? index + 1 : index;
    }
    setModified(true);
    updateAllViews();
    return taken;
}

bool CImageDoc::open(const QString& path)
{
    if (bitmap() == nullptr)
        return false;
    kind_ = fileKind(path);
    MeasureSettings* settings = host_ ? &host_->measureSettings() : nullptr;
    int result = RAST_FAILED;
    if (kind_ == KindBitmap || kind_ == KindSavedBitmap)
    {
        result = RASTReadFile(bitmap(), nativePath(path).constData());
        if (result == RAST_OK && settings != nullptr)
            settings->giveToOpenedBitmap(bitmap());
    }
    else if (kind_ == KindMeasureFile)
    {
        result = RASTReadMeasureFile(bitmap(), nativePath(path).constData());
        // Only a file that was read has values worth showing on the bars.
        if (result == RAST_OK && settings != nullptr)
            settings->takeOverFrom(bitmap());
    }
    else
    {
        return false;
    }
    if (result != RAST_OK)
    {
        origin_ = OriginFailed;
        return false;
    }
    if (settings != nullptr && kind_ == KindMeasureFile)
        settings->giveToOpenedMeasureFile(bitmap());
    RASTHideRuler(bitmap(), hideRuler_);
    // Labels of opened files speak the program's language, as those of captures do.
    const int lang = language();
    RASTSetLanguage(bitmap(), static_cast<ZQLANGUAGE>(lang == 2 ? 1 : lang));
    origin_ = OriginOpened;
    setPathName(QFileInfo(path).absoluteFilePath());
    return true;
}

QString CImageDoc::automaticTarget() const
{
    if (origin_ != OriginCaptured || host_ == nullptr)
        return QString();
    const char* extension = nullptr;
    if (kind_ == KindBitmap)
        extension = ".bmp";
    else if (kind_ == KindMeasureFile)
        extension = ".Mea";
    else
        return QString();
    const QString base = title().section(QLatin1Char('.'), 0, 0);
    QString folder = QString::fromStdString(host_->measureSettings().settings().capturePath);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + base + QLatin1String(extension);
}

bool CImageDoc::writeFile(const QString& path, int asKind, bool report)
{
    int result = RAST_FAILED;
    if (asKind == KindMeasureFile)
    {
        result = RASTWriteMeasureFile(bitmap(), nativePath(path).constData());
    }
    else
    {
        // The figures go in as they stand, even when no view has painted since the last
        // change, but as a finished picture shows them: no selection, hover or handles, and
        // the ruler only when this document shows it.
        RASTIsHitGraphic(bitmap(), kNowhere, kNowhere);
        RASTIsPassGraphic(bitmap(), kNowhere, kNowhere);
        RASTHideRuler(bitmap(), hideRuler_);
        const QSize size = imageSize();
        RASTDraw(bitmap(), nullptr, 0, 0, size.width(), size.height());
        updateAllViews();
        result = RASTWriteFile(bitmap(), nativePath(path).constData(), 1);
    }
    if (result != RAST_OK)
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
    else if (origin_ == OriginCaptured && host_ != nullptr)
        folder = QString::fromStdString(host_->measureSettings().settings().capturePath);
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
        if (host_ != nullptr)
            folder = QString::fromStdString(host_->measureSettings().settings().capturePath);
        if (folder.isEmpty())
            folder = QDir::currentPath();
        target = freeName(folder, title().section(QLatin1Char('.'), 0, 0),
                          asKind == KindBitmap ? QStringLiteral(".bmp") : QStringLiteral(".Mea"));
    }
    // Nobody may be there to close a message box.
    if (!writeFile(target, asKind, false))
        return QString();
    setModified(false);
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
        host_ == nullptr)
        return Target::Nothing;

    QString target = automaticTarget();
    // Until a first save under a name of the right kind, the user names the file.
    const QLatin1String needle(kind_ == KindBitmap ? "bmp" : "Mea");
    if (pathName_.isEmpty() || !pathName_.contains(needle))
        target = host_->getSaveFileName(kind_ == KindBitmap ? kSaveBmpFilter : kSaveMeaFilter,
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
    return true;
}

bool CImageDoc::saveAs()
{
    if (bitmap() == nullptr || !hasImage() || host_ == nullptr)
        return false;
    const QString path = host_->getSaveFileName(kSaveAsFilter, dialogName());
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
    const QString question = language() == 0 ? QStringLiteral("将改动保存到 %1？").arg(name)
                                             : QStringLiteral(" Save changes to %1?").arg(name);
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
    return true;
}
