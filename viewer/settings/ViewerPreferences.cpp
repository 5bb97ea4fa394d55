#include "viewer/settings/ViewerPreferences.h"

#include <QSettings>
#include <QVariant>

#include <algorithm>

namespace settings {

namespace {

constexpr char kShowCaptions[] = "Panels/ShowCaptions";
constexpr char kRecentStudies[] = "RecentStudies/Files";
constexpr char kWindowGeometry[] = "Window/Geometry";
constexpr char kLinkPanels[] = "Panels/Link";
constexpr char kFrameCacheMegabytes[] = "Frames/CacheMegabytes";

} // namespace

ViewerPreferences::ViewerPreferences() : ViewerPreferences(QString())
{
}

ViewerPreferences::ViewerPreferences(const QString& fileName)
    : store_(fileName.isEmpty()
                 ? std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                               QLatin1String(kPreferencesOrganisation),
                                               QLatin1String(kPreferencesApplication))
                 : std::make_unique<QSettings>(fileName, QSettings::IniFormat))
{
}

ViewerPreferences::~ViewerPreferences() = default;

QString ViewerPreferences::FileName() const
{
    return store_->fileName();
}

bool ViewerPreferences::ShowCaptions() const
{
    return store_->value(QLatin1String(kShowCaptions), false).toBool();
}

void ViewerPreferences::SetShowCaptions(bool show)
{
    store_->setValue(QLatin1String(kShowCaptions), show);
}

QStringList ViewerPreferences::RecentStudies() const
{
    return store_->value(QLatin1String(kRecentStudies)).toStringList();
}

void ViewerPreferences::SetRecentStudies(const QStringList& files)
{
    store_->setValue(QLatin1String(kRecentStudies), files);
}

QByteArray ViewerPreferences::WindowGeometry() const
{
    return store_->value(QLatin1String(kWindowGeometry)).toByteArray();
}

void ViewerPreferences::SetWindowGeometry(const QByteArray& geometry)
{
    store_->setValue(QLatin1String(kWindowGeometry), geometry);
}

bool ViewerPreferences::LinkPanels() const
{
    return store_->value(QLatin1String(kLinkPanels), true).toBool();
}

void ViewerPreferences::SetLinkPanels(bool link)
{
    store_->setValue(QLatin1String(kLinkPanels), link);
}

qint64 ViewerPreferences::FrameCacheMegabytes() const
{
    bool number = false;
    const qint64 megabytes = store_->value(QLatin1String(kFrameCacheMegabytes)).toLongLong(&number);
    return number && megabytes >= kMinFrameCacheMegabytes ? std::min(megabytes, kMaxFrameCacheMegabytes) : 0;
}

void ViewerPreferences::SetFrameCacheMegabytes(qint64 megabytes)
{
    store_->setValue(QLatin1String(kFrameCacheMegabytes), megabytes);
}

void ViewerPreferences::Sync()
{
    store_->sync();
}

} // namespace settings
