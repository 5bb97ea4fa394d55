// HALVEX Daystrand: a viewer for daylight studies.
#include "platform/ui/QtUi.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/CommandLine.h"
#include "viewer/window/StartUp.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int k = 0; k < argc; ++k)
        arguments << QString::fromLocal8Bit(argv[k]);
    const viewer::CommandLine commandLine = viewer::ParseCommandLine(arguments);
    if (commandLine.What != viewer::CommandLine::Action::Run) {
        const bool failed = commandLine.What == viewer::CommandLine::Action::Fail;
        std::fputs(commandLine.Text.toLocal8Bit().constData(), failed ? stderr : stdout);
        return failed ? 2 : 0;
    }

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(HALVEX_APP_ID));
    study::StudyModule module;
    ui::QtUi ui;
    viewer::ViewerOptions options;
    options.StudyFile = commandLine.StudyFile;
    options.FrameCacheBytes = commandLine.FrameCacheBytes;
    const auto session = viewer::StartViewer(module, ui, std::move(options));
    return app.exec();
}
