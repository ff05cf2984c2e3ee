#pragma once
// The calibration profiles of the Rulers folder and the one in use. Whatever measures on a
// picture of some size (a capture, an opened picture, the live picture) asks here for the
// scale of that size.

#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <string>

#include "app/calibration/calibration_profile.h"

class CalibrationProfiles : public QObject
{
    Q_OBJECT
  public:
    // `active` names the profile in use when it is there ("" for none); it is kept up to
    // date as the choice changes, so that the settings file remembers it.
    CalibrationProfiles(std::string folder, std::string& active, QObject* parent = nullptr);

    // How this camera's picture sizes relate: measured on the simulated micrometer, every size
    // shows a field of the same width.
    static calib::FieldRelation fieldRelation() { return calib::FieldRelation::ScaledField; }

    // Reads every profile file again; files that cannot be read are left out and listed in
    // refusals(). The profile in use stays when it is still there.
    void reload();
    QStringList names() const;
    // Files left out at the last reload, with why: "name.calib: line 3: ...".
    const QStringList& refusals() const { return refusals_; }

    QString activeName() const;
    const calib::CalibrationProfile* active() const;
    const calib::CalibrationProfile* profile(const QString& name) const;
    // "" for none. False (nothing changes) for a name that has no profile.
    bool setActive(const QString& name);
    // A new empty profile, written and made the one in use. False for an unusable name, a
    // name that has a profile already, or a failed write.
    bool create(const QString& name);
    // Deletes the profile's file; the one in use becomes none. False when nothing was deleted.
    bool remove(const QString& name);

    // The active profile's scale of a picture size (calibrated or derived).
    std::optional<double> umPerPixel(QSize size) const;
    bool isCalibrated(QSize size) const;
    // Calibrates the active profile at a size and derives the other picture sizes; with no
    // profile in use, one named `fallbackName` is made first. False when the scale is not
    // usable or the file could not be written (the scale then holds for this run).
    bool calibrate(QSize size, double umPerPixel, const QString& fallbackName);

    // The live picture's size, and the scale the live picture is measured with: 0 when the
    // active profile has none for it.
    void setLiveSize(QSize size);
    QSize liveSize() const { return liveSize_; }
    double liveUmPerPixel() const;

  Q_SIGNALS:
    // The list of profiles and the position of the one in use (-1 for none).
    void profilesChanged(const QStringList& names, int active);
    // The profile in use changed, or its scales did.
    void scalesChanged();
    // The scale of the live picture may have changed.
    void liveScaleChanged();

  private:
    std::string pathOf(const QString& name) const;
    bool write(const calib::CalibrationProfile& profile) const;
    void announce();

    std::string folder_;
    std::string& active_;
    std::map<QString, calib::CalibrationProfile> profiles_;
    QStringList refusals_;
    QSize liveSize_;
};
