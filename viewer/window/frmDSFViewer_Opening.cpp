// Studies that reach the window from outside its Open dialog: the command
// line, files dropped on the window and the study shown at start-up; and what
// the window remembers between runs.
#include "viewer/window/frmDSFViewer.h"

#include "platform/ui/UiServices.h"
#include "viewer/settings/RecentStudies.h"
#include "viewer/settings/ViewerPreferences.h"
#include "viewer/study/FilePaths.h"
#include "viewer/study/StudyModule.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
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

} // namespace viewer
