#include "viewer/window/StartUp.h"

#include "viewer/settings/HelpTopics.h"
#include "viewer/settings/StudySettings.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/UiHelpPresenter.h"

namespace viewer {

ViewerSession::ViewerSession(study::StudyModule& module, ui::UiServices& ui, ViewerOptions options)
    : help_(std::make_unique<UiHelpPresenter>(ui))
{
    settings::SetHelpPresenter(help_.get());
    window_ = std::make_unique<frmDSFViewer>(module, ui, std::move(options));
}

ViewerSession::~ViewerSession()
{
    window_.reset();
    settings::SetHelpPresenter(nullptr);
}

std::unique_ptr<ViewerSession> StartViewer(study::StudyModule& module, ui::UiServices& ui, ViewerOptions options)
{
    if (options.DataFolders.isEmpty())
        options.DataFolders = settings::DataFolders();
    module.HelpFile = settings::HelpFilePath(options.DataFolders);
    auto session = std::make_unique<ViewerSession>(module, ui, std::move(options));
    frmDSFViewer& window = session->Window();
    window.show();

    const settings::StudySettings values = settings::ReadStudySettings();
    module.CurrentFolder = values.CurrentFolder;
    module.CurrentFile = values.CurrentFile;

    // Platforms without a window manager may never activate the window; the
    // first activation's work must still happen once start-up has returned.
    QMetaObject::invokeMethod(&window, &frmDSFViewer::Form_Activate, Qt::QueuedConnection);
    return session;
}

} // namespace viewer
