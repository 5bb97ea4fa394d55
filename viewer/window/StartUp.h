// The program's start: where its help lies, the main window, and the settings
// the HALVEX product left for it.
#pragma once

#include "viewer/window/frmDSFViewer.h"

#include <memory>

namespace study {
class StudyModule;
}
namespace ui {
class UiServices;
}

namespace viewer {

class UiHelpPresenter;

// The running program: its window and the help presenter that uses the
// window's message boxes. Help falls back to the built-in presenter when it ends.
class ViewerSession {
public:
    ViewerSession(study::StudyModule& module, ui::UiServices& ui, ViewerOptions options);
    ~ViewerSession();
    ViewerSession(const ViewerSession&) = delete;
    ViewerSession& operator=(const ViewerSession&) = delete;

    frmDSFViewer& Window() { return *window_; }

private:
    std::unique_ptr<UiHelpPresenter> help_;
    std::unique_ptr<frmDSFViewer> window_;
};

// Sets HelpFile, creates and shows the window (which loads it), reads the
// settings, and returns; the window's first activation, which comes from the
// event loop afterwards, displays the remembered study.
std::unique_ptr<ViewerSession> StartViewer(study::StudyModule& module, ui::UiServices& ui,
                                           ViewerOptions options = {});

} // namespace viewer
