// HALVEX Daystrand: a viewer for daylight studies.
#include "platform/ui/QtUi.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/StartUp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    study::StudyModule module;
    ui::QtUi ui;
    const auto session = viewer::StartViewer(module, ui);
    return app.exec();
}
