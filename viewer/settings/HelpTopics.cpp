#include "viewer/settings/HelpTopics.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace settings {

namespace {

struct TopicPage {
    qint32 Topic;
    const char* Page;
};

// Every topic the program opens; a test checks that each page and anchor exists.
constexpr TopicPage kTopicPages[] = {
    {kTopicContents, "index.html"},
    {kTopicReadme, "readme.html"},
    {kTopicStudyProperties, "properties.html"},
    {kTopicPackage, "packaging.html"},
    {kTopicExportFrame, "exporting.html#frame"},
    {kTopicExportAnimation, "exporting.html#animation"},
    {kTopicExportSheet, "exporting.html#sheet"},
};

class DesktopHelpPresenter final : public HelpPresenter {
public:
    bool OpenHelp(const QString& helpFile, qint32 topicId) override
    {
        // The desktop's web browser shows the topic's page at its anchor.
        const QString url = HelpTopicUrl(helpFile, topicId).toString();
#if defined(Q_OS_WIN)
        return QProcess::startDetached(QStringLiteral("explorer.exe"), {url});
#elif defined(Q_OS_MACOS)
        return QProcess::startDetached(QStringLiteral("open"), {url});
#else
        return QProcess::startDetached(QStringLiteral("xdg-open"), {url});
#endif
    }

    void ShowMessage(const QString&, const QString&) override {}
};

DesktopHelpPresenter& BuiltInPresenter()
{
    static DesktopHelpPresenter presenter;
    return presenter;
}

HelpPresenter* g_presenter = nullptr;

HelpPresenter& Presenter()
{
    return g_presenter ? *g_presenter : BuiltInPresenter();
}

} // namespace

QString HelpTopicPage(qint32 topicId)
{
    for (const TopicPage& entry : kTopicPages) {
        if (entry.Topic == topicId)
            return QLatin1String(entry.Page);
    }
    return QLatin1String(kHelpContentsPage);
}

QUrl HelpTopicUrl(const QString& helpFile, qint32 topicId)
{
    const QString page = HelpTopicPage(topicId);
    const qsizetype hash = page.indexOf(QLatin1Char('#'));
    QUrl url = QUrl::fromLocalFile(QFileInfo(helpFile).dir().filePath(page.left(hash)));
    if (hash >= 0)
        url.setFragment(page.mid(hash + 1));
    return url;
}

QString HelpFilePath(const QStringList& dataFolders)
{
    const QString contents = QLatin1String(kHelpFolderName) + QLatin1Char('/') + QLatin1String(kHelpContentsPage);
    const QString found = FindDataFile(dataFolders, contents);
    if (!found.isEmpty() || dataFolders.isEmpty())
        return found;
    return QDir(dataFolders.front()).filePath(contents);
}

void SetHelpPresenter(HelpPresenter* presenter)
{
    g_presenter = presenter;
}

QString MissingHelpMessage(const QString& helpFile, qint32 topicId)
{
    return QStringLiteral("The help file (%1) could not be found, so help topic %2 cannot be shown. "
                          "Please reinstall HALVEX Daystrand to restore its help file.")
        .arg(QDir::toNativeSeparators(helpFile))
        .arg(topicId);
}

QString UnopenedHelpMessage(const QString& helpFile, qint32 topicId)
{
    return QStringLiteral("No program was found to open the help file (%1) at help topic %2.")
        .arg(QDir::toNativeSeparators(helpFile))
        .arg(topicId);
}

void ShowHelpTopic(const QString& helpFile, qint32 topicId)
{
    const QFileInfo info(helpFile);
    HelpPresenter& presenter = Presenter();
    if (helpFile.isEmpty() || !info.isFile()) {
        presenter.ShowMessage(MissingHelpMessage(helpFile, topicId), QLatin1String(kHelpMessageTitle));
        return;
    }
    if (!presenter.OpenHelp(info.absoluteFilePath(), topicId))
        presenter.ShowMessage(UnopenedHelpMessage(helpFile, topicId), QLatin1String(kHelpMessageTitle));
}

} // namespace settings
