#include "viewer/settings/HelpTopics.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace settings {

namespace {

class DesktopHelpPresenter final : public HelpPresenter {
public:
    bool OpenHelp(const QString& helpFile, qint32 topicId) override
    {
        const QString file = QDir::toNativeSeparators(helpFile);
#if defined(Q_OS_WIN)
        // The HTML help viewer opens a compiled help file at a topic number.
        return QProcess::startDetached(QStringLiteral("hh.exe"),
                                       {QStringLiteral("-mapid"), QString::number(topicId), file});
#elif defined(Q_OS_MACOS)
        Q_UNUSED(topicId);
        return QProcess::startDetached(QStringLiteral("open"), {file});
#else
        // Desktop openers take a file, not a topic: the help opens at its start.
        Q_UNUSED(topicId);
        return QProcess::startDetached(QStringLiteral("xdg-open"), {file});
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

QString HelpFilePath()
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(kHelpFileName);
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
