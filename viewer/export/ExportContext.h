// What the window shows when an export command is given: the study, the panels
// on display with their places and zoom, whether captions are on, the frame on
// display and the playback delay. The export dialogs and commands take it as
// a plain value, so they work without the window.
#pragma once

#include "viewer/export/ExportScene.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace exporting {

struct ExportContext {
    study::StudyRecord Study;
    QString Folder;                 // where the study's images are looked up
    QString StudyFile;              // the study on display; exports are offered beside it
    std::vector<ShownPanel> Panels; // the visible panels, in the order of their Display slots
    bool Captions = false;
    int CurrentFrame = 1;
    double DelaySeconds = 1; // the playback delay
    QString HelpFile;        // the help's contents page, which the dialogs' Help opens beside

    bool HasStudy() const { return !Study.StudyName.isEmpty() && !Panels.empty(); }
    // The panels as shown, at `scale` times their size on screen.
    ExportScene Scene(double scale = 1.0) const
    {
        return SceneAsShown(Study, Folder, Panels, scale, Captions);
    }
};

// Texts the export commands show.
inline constexpr char kTitleExportFrame[] = "Export Frame";
inline constexpr char kTitleExportAnimation[] = "Export Animation";
inline constexpr char kTitleExportSheet[] = "Export Contact Sheet";
inline constexpr char kMsgNothingToExport[] =
    "There is nothing to export. Open a study and display at least one panel, then try again.";
inline constexpr char kMsgReplace[] = "%1 already exists.\nDo you want to replace it?";
inline constexpr char kMsgReplaceFiles[] = "%1 files of this export already exist in %2.\nDo you want to replace them?";
inline constexpr char kMsgNoFileName[] = "Choose the file to export to.";
inline constexpr char kMsgNoFolder[] = "The folder %1 does not exist. Choose a folder to export to.";

} // namespace exporting
