// Studies that reach the window from outside its Open dialog: the command
// line, files dropped on the window, File > Recent Studies and the study shown
// at start-up; and what the window remembers between runs.
#include "viewer/window/frmDSFViewer.h"

#include "platform/ui/UiServices.h"
#include "viewer/settings/RecentStudies.h"
#include "viewer/settings/ViewerPreferences.h"
#include "viewer/study/FilePaths.h"
#include "viewer/study/StudyModule.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

namespace viewer {

namespace {

// The first local study file or package a drag carries, or "".
QString DraggedStudy(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        const QString ext = QFileInfo(path).suffix().toUpper();
        if (ext == QLatin1String("DVF") || ext == QLatin1String("DVP"))
            return path;
    }
    return {};
}

} // namespace

void frmDSFViewer::OpenStartupStudy()
{
    if (!options_.StudyFile.isEmpty()) {
        OpenStudyFile(options_.StudyFile);
        return;
    }
    if (study::FileExists(module_.CurrentFile)) {
        msbLoadAndDisplay(module_.CurrentFile);
        if (studyRead_ && !loadCancelled_)
            emit StudyOpened(module_.CurrentFile);
        return;
    }
    // The HALVEX product names no study that exists: show the one opened here last.
    const QStringList recent = preferences_->RecentStudies();
    if (!recent.isEmpty() && QFileInfo(recent.front()).isFile()) {
        OpenStudyFile(recent.front());
        return;
    }
    if (!recent.isEmpty()) {
        preferences_->SetRecentStudies(settings::WithoutRecentStudy(recent, recent.front()));
        ui_.Message(settings::MissingRecentStudyMessage({recent.front()}),
                    QLatin1String(settings::kRecentStudiesTitle), ui::MessageButtons::Ok,
                    ui::MessageIcon::Information);
    }
    UpdatesSuspended = true;
}

void frmDSFViewer::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DraggedStudy(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmDSFViewer::dropEvent(QDropEvent* event)
{
    const QString path = DraggedStudy(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened once the drop has returned, so the file manager is not held up
    // while the study loads.
    QMetaObject::invokeMethod(this, [this, path] { OpenStudyFile(path); }, Qt::QueuedConnection);
}

void frmDSFViewer::RestoreWindow()
{
    restoreGeometry(preferences_->WindowGeometry());
}

void frmDSFViewer::RememberWindow()
{
    preferences_->SetWindowGeometry(saveGeometry());
    preferences_->Sync();
}

void frmDSFViewer::RememberStudy(const QString& file)
{
    preferences_->SetRecentStudies(settings::WithRecentStudy(preferences_->RecentStudies(), file));
    preferences_->Sync();
}

void frmDSFViewer::CreateRecentStudiesMenu()
{
    // Sits right under Open, whatever else the File menu holds.
    QAction* open = findChild<QAction*>(QStringLiteral("ID_Open"));
    QMenu* file = findChild<QMenu*>(QStringLiteral("ID_FileMenu"));
    if (!open || !file)
        return;
    const QList<QAction*> actions = file->actions();
    const qsizetype at = actions.indexOf(open) + 1;
    auto* recent = new QMenu(QStringLiteral("Recent S&tudies"), file);
    recent->setObjectName(QStringLiteral("ID_RecentStudies"));
    recent->menuAction()->setObjectName(QStringLiteral("ID_RecentStudies"));
    file->insertMenu(at < actions.size() ? actions[at] : nullptr, recent);
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { FillRecentStudiesMenu(recent); });
    FillRecentStudiesMenu(recent);
}

void frmDSFViewer::FillRecentStudiesMenu(QMenu* menu)
{
    menu->clear();
    const QStringList recent = preferences_->RecentStudies();
    for (qsizetype k = 0; k < recent.size(); ++k) {
        QAction* entry = menu->addAction(settings::RecentStudyCaption(recent, k));
        entry->setObjectName(QStringLiteral("ID_RecentStudy(%1)").arg(k));
        entry->setToolTip(recent[k]);
        const QString file = recent[k];
        connect(entry, &QAction::triggered, this, [this, file] { OpenRecentStudy(file); });
    }
    if (!recent.isEmpty())
        menu->addSeparator();
    QAction* clear = menu->addAction(QStringLiteral("&Clear Recent Studies"));
    clear->setObjectName(QStringLiteral("ID_ClearRecentStudies"));
    clear->setEnabled(!recent.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        preferences_->SetRecentStudies({});
        preferences_->Sync();
    });
}

void frmDSFViewer::OpenRecentStudy(const QString& file)
{
    if (QFileInfo(file).isFile()) {
        OpenStudyFile(file);
        return;
    }
    preferences_->SetRecentStudies(settings::WithoutRecentStudy(preferences_->RecentStudies(), file));
    preferences_->Sync();
    ui_.Message(settings::MissingRecentStudyMessage({file}), QLatin1String(settings::kRecentStudiesTitle),
                ui::MessageButtons::Ok, ui::MessageIcon::Exclamation);
}

} // namespace viewer
