#include "app/image/image_doc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/image/image_host.h"
#include "app/image/measure_settings.h"
#include "app/shell/gbk_text.h"
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

} // namespace

void CImageDoc::BitmapDeleter::operator()(void* bitmap) const
{
    RASTDisableMeasure(bitmap);
    RASTUnInitialize(&bitmap);
}

CImageDoc::CImageDoc(ImageHost* host) : host_(host)
{
    void* bitmap = nullptr;
    if (RASTInitialize(&bitmap) == RAST_OK)
        bitmap_.reset(bitmap);
}

CImageDoc::~CImageDoc() = default;

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
        setDocumentTitle(QString::fromStdString(settings.captureName) +
                         QString::number(settings.captureIndex));
        host_->measureSettings().giveToNewCapture(bitmap());
        if (settings.captureAutoInc)
            ++settings.captureIndex;
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

bool CImageDoc::writeFile(const QString& path, int asKind)
{
    int result = RAST_FAILED;
    if (asKind == KindMeasureFile)
    {
        result = RASTWriteMeasureFile(bitmap(), nativePath(path).constData());
    }
    else
    {
        // The image goes out with its figures as they stand, even when no view has painted
        // since the last change.
        const QSize size = imageSize();
        RASTDraw(bitmap(), nullptr, 0, 0, size.width(), size.height());
        result = RASTWriteFile(bitmap(), nativePath(path).constData(), 1);
    }
    if (result != RAST_OK)
    {
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

CImageDoc::Target CImageDoc::writeTarget(QString& written)
{
    if (bitmap() == nullptr || !hasImage())
        return Target::Nothing;
    if (origin_ == OriginOpened)
    {
        const int asKind = fileKind(pathName_);
        if (asKind != KindBitmap && asKind != KindMeasureFile)
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
