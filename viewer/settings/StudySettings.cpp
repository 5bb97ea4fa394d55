#include "viewer/settings/StudySettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace settings {

namespace {

std::unique_ptr<QSettings> OpenStore()
{
#ifdef Q_OS_WIN
    // The HALVEX product keeps them with the other programs of its family.
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") +
            QLatin1String(kSettingsApplication),
        QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QLatin1String(kSettingsApplication),
                                       QLatin1String(kSettingsApplication));
#endif
}

// The text after "key=" on the key's line of the section, as a person typed it.
QString RawIniValue(const QString& fileName, const QString& key)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString section = QLatin1Char('[') + QLatin1String(kSettingsSection) + QLatin1Char(']');
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inSection && eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

QString ReadValue(QSettings& store, const QString& key)
{
    const QVariant value = store.value(QLatin1String(kSettingsSection) + QLatin1Char('/') + key);
    // An unquoted comma in a hand-written INI file makes a list of the value;
    // a study folder such as "Studies, 2024" must come back whole.
    if (value.typeId() == QMetaType::QStringList && store.format() == QSettings::IniFormat)
        return RawIniValue(store.fileName(), key);
    return value.toString();
}

} // namespace

QString DefaultStudyFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return {};
    QDir().mkpath(documents);
    return documents + QStringLiteral("/HALVEX");
}

StudySettings ReadStudySettings()
{
    const auto store = OpenStore();
    StudySettings values;
    values.CurrentFolder = ReadValue(*store, QLatin1String(kKeyStudyFolder));
    values.CurrentFile = ReadValue(*store, QLatin1String(kKeyStudyFile));
    if (values.CurrentFolder.isEmpty())
        values.CurrentFolder = DefaultStudyFolder();
    return values;
}

QString StudySettingsLocation()
{
    return OpenStore()->fileName();
}

} // namespace settings
