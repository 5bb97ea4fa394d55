#include "viewer/settings/ViewerPreferences.h"

#include <QSettings>
#include <QVariant>

namespace settings {

namespace {

constexpr char kShowCaptions[] = "Panels/ShowCaptions";

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

void ViewerPreferences::Sync()
{
    store_->sync();
}

} // namespace settings
