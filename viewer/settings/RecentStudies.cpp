#include "viewer/settings/RecentStudies.h"

#include <QDir>
#include <QFileInfo>

namespace settings {

namespace {

QString Normal(const QString& file)
{
    return QDir::cleanPath(QFileInfo(file).absoluteFilePath());
}

} // namespace

QStringList WithRecentStudy(const QStringList& recent, const QString& file)
{
    const QString added = Normal(file);
    QStringList list{added};
    for (const QString& entry : recent) {
        if (list.size() == kMaxRecentStudies)
            break;
        if (Normal(entry) != added)
            list << entry;
    }
    return list;
}

QStringList WithoutRecentStudy(const QStringList& recent, const QString& file)
{
    const QString removed = Normal(file);
    QStringList list;
    for (const QString& entry : recent) {
        if (Normal(entry) != removed)
            list << entry;
    }
    return list;
}

QString RecentStudyCaption(const QStringList& recent, qsizetype index)
{
    const QFileInfo info(recent[index]);
    bool shared = false;
    for (qsizetype k = 0; k < recent.size(); ++k)
        shared = shared || (k != index && QFileInfo(recent[k]).fileName() == info.fileName());
    QString name = info.fileName();
    if (shared)
        name += QStringLiteral("  (") + QDir::toNativeSeparators(info.absolutePath()) + QLatin1Char(')');
    // A name's own ampersands are shown, not taken as access keys.
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}

QString MissingRecentStudyMessage(const QStringList& missing)
{
    QStringList shown;
    for (const QString& file : missing)
        shown << QDir::toNativeSeparators(file);
    if (missing.size() == 1)
        return QStringLiteral("The study %1 can no longer be found and has been taken off Recent Studies.")
            .arg(shown.front());
    return QStringLiteral("These studies can no longer be found and have been taken off Recent Studies:\n%1")
        .arg(shown.join(QLatin1Char('\n')));
}

} // namespace settings
