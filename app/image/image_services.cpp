#include "app/image/image_services.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QPrinter>

#include "app/image/magnifier_window.h"

namespace {

bool scriptedRun()
{
    return qEnvironmentVariable("KWZ_NONINTERACTIVE") == "1";
}

} // namespace

ImageServices::ImageServices(FrameSettings& settings, const std::string& rulersFolder,
                             std::function<int()> languageIndex, QObject* parent)
    : QObject(parent), measure_(settings, rulersFolder, std::move(languageIndex)),
      profiles_(rulersFolder, settings.activeCalibrationProfile)
{
    measure_.setProfiles(&profiles_);
}

std::optional<double> ImageServices::askNumber(const QString& prompt, double offered)
{
    if (askNumber_)
        return askNumber_(prompt, offered);
    if (scriptedRun())
        return offered;
    bool ok = false;
    const double value = QInputDialog::getDouble(dialogParent_, QStringLiteral("kwzview"), prompt,
                                                 offered, 0.001, 1e6, 3, &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<QString> ImageServices::askText(const QString& prompt, const QString& offered)
{
    if (askText_)
        return askText_(prompt, offered);
    if (scriptedRun())
        return offered;
    bool ok = false;
    const QString value = QInputDialog::getText(dialogParent_, QStringLiteral("kwzview"), prompt,
                                                QLineEdit::Normal, offered, &ok);
    return ok ? std::optional<QString>(value) : std::nullopt;
}

ImageServices::~ImageServices() = default;

void ImageServices::setToolTips(std::function<QString(int)> toolTips)
{
    toolTips_ = std::move(toolTips);
}

QString ImageServices::toolTipText(int commandId) const
{
    return toolTips_ ? toolTips_(commandId) : QString();
}

kwz::Window* ImageServices::magnifierWindow()
{
    // A hidden magnifier is not worth a rebuild of the picture at every movement.
    if (magnifierWindow_ != nullptr && magnifierWindow_ == magnifier_ && !magnifier_->isVisible())
        return nullptr;
    return magnifierWindow_;
}

QString ImageServices::getSaveFileName(const QString& filter, const QString& initialName)
{
    if (chooseSaveName_)
        return chooseSaveName_(filter, initialName);
    // Scripted runs never wait for a dialog: it counts as cancelled.
    if (scriptedRun())
        return QString();
    // A name typed without an extension gets the one of the chosen type, as a desktop's save
    // dialogs do: a file saved as just "Sample" could not be found by File Open's filters and
    // would be asked for again on every save.
    QFileDialog dialog(dialogParent_, QString(), initialName, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    auto suffixOf = [](const QString& chosen) {
        return chosen.contains(QLatin1String("*.Mea"), Qt::CaseInsensitive) ? QStringLiteral("Mea")
                                                                            : QStringLiteral("bmp");
    };
    dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, suffixOf](const QString& chosen) { dialog.setDefaultSuffix(suffixOf(chosen)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool ImageServices::activateVideoWindow()
{
    return findVideoWindow_ && findVideoWindow_();
}

QPrinter* ImageServices::printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return printer_.get();
}
