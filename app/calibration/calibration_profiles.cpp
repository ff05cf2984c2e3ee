#include "app/calibration/calibration_profiles.h"

#include <QFile>

#include "app/calibration/profile_file.h"
#include "app/shell/picture_sizes.h"
#include "platform/files.h"

namespace {

std::vector<calib::PixelSize> pictureSizes()
{
    std::vector<calib::PixelSize> sizes;
    for (const PictureSize& s : kPictureSizes)
        sizes.push_back({s.width, s.height});
    return sizes;
}

calib::PixelSize pixelSize(QSize size)
{
    return {size.width(), size.height()};
}

std::string fileName(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

} // namespace

CalibrationProfiles::CalibrationProfiles(std::string folder, std::string& active, QObject* parent)
    : QObject(parent), folder_(std::move(folder)), active_(active)
{
}

std::string CalibrationProfiles::pathOf(const QString& name) const
{
    return calib::profileFilePath(folder_, fileName(name));
}

void CalibrationProfiles::reload()
{
    profiles_.clear();
    refusals_.clear();
    for (const std::string& file : calib::listProfiles(folder_))
    {
        const QString name = QFile::decodeName(QByteArray::fromStdString(file));
        if (!calib::isValidProfileName(file))
        {
            refusals_ << name + QString::fromLatin1(calib::kProfileExtension) +
                             QStringLiteral(": a file name that is no profile name");
            continue;
        }
        calib::ProfileParse read = calib::readProfileFile(calib::profileFilePath(folder_, file));
        if (!read.profile)
        {
            refusals_ << name + QString::fromLatin1(calib::kProfileExtension) +
                             QStringLiteral(": ") + QString::fromStdString(read.error);
            continue;
        }
        // The file's name is the one listed and chosen; the name inside follows it.
        read.profile->setName(file);
        profiles_.emplace(name, std::move(*read.profile));
    }
    if (!active_.empty() &&
        profiles_.find(QFile::decodeName(QByteArray::fromStdString(active_))) == profiles_.end())
        active_.clear();
    announce();
}

QStringList CalibrationProfiles::names() const
{
    QStringList list;
    for (const auto& entry : profiles_)
        list << entry.first;
    return list;
}

QString CalibrationProfiles::activeName() const
{
    return QFile::decodeName(QByteArray::fromStdString(active_));
}

const calib::CalibrationProfile* CalibrationProfiles::profile(const QString& name) const
{
    auto it = profiles_.find(name);
    return it != profiles_.end() ? &it->second : nullptr;
}

const calib::CalibrationProfile* CalibrationProfiles::active() const
{
    return active_.empty() ? nullptr : profile(activeName());
}

bool CalibrationProfiles::setActive(const QString& name)
{
    if (!name.isEmpty() && profile(name) == nullptr)
        return false;
    if (name == activeName())
        return true;
    active_ = fileName(name);
    announce();
    return true;
}

bool CalibrationProfiles::write(const calib::CalibrationProfile& profile) const
{
    return calib::writeProfileFile(calib::profileFilePath(folder_, profile.name()), profile);
}

bool CalibrationProfiles::create(const QString& name)
{
    const std::string file = fileName(name);
    if (!calib::isValidProfileName(file) || profile(name) != nullptr)
        return false;
    calib::CalibrationProfile made(file);
    if (!write(made))
        return false;
    profiles_.emplace(name, std::move(made));
    active_ = file;
    announce();
    return true;
}

bool CalibrationProfiles::remove(const QString& name)
{
    if (profile(name) == nullptr)
        return false;
    if (!kwz::deleteFile(pathOf(name)))
        return false;
    profiles_.erase(name);
    if (name == activeName())
        active_.clear();
    announce();
    return true;
}

std::optional<double> CalibrationProfiles::umPerPixel(QSize size) const
{
    const calib::CalibrationProfile* p = active();
    return p != nullptr ? p->umPerPixel(pixelSize(size)) : std::nullopt;
}

bool CalibrationProfiles::isCalibrated(QSize size) const
{
    const calib::CalibrationProfile* p = active();
    const calib::SizeScale* s = p != nullptr ? p->find(pixelSize(size)) : nullptr;
    return s != nullptr && s->calibrated;
}

bool CalibrationProfiles::calibrate(QSize size, double umPerPixel, const QString& fallbackName)
{
    if (!calib::isUsableScale(umPerPixel) || size.isEmpty())
        return false;
    if (active() == nullptr)
    {
        QString name = fallbackName;
        for (int n = 2; profile(name) != nullptr; ++n)
            name = fallbackName + QString::number(n);
        if (!create(name))
        {
            // Unwritable folder: the profile still serves this run.
            const std::string file = fileName(name);
            if (!calib::isValidProfileName(file))
                return false;
            profiles_.emplace(name, calib::CalibrationProfile(file));
            active_ = file;
        }
    }
    calib::CalibrationProfile& p = profiles_.at(activeName());
    p.calibrate(pixelSize(size), umPerPixel, pictureSizes(), fieldRelation());
    const bool written = write(p);
    announce();
    return written;
}

void CalibrationProfiles::setLiveSize(QSize size)
{
    if (size == liveSize_)
        return;
    liveSize_ = size;
    Q_EMIT liveScaleChanged();
}

double CalibrationProfiles::liveUmPerPixel() const
{
    return umPerPixel(liveSize_).value_or(0.0);
}

void CalibrationProfiles::announce()
{
    const QStringList list = names();
    Q_EMIT profilesChanged(list, list.indexOf(activeName()));
    Q_EMIT scalesChanged();
    Q_EMIT liveScaleChanged();
}
