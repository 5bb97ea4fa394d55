// Exports single frames: the composed frame as one PNG or JPEG picture, or each
// panel's own image file at its full resolution into a folder. Every file is
// written under a temporary name and renamed into place.
#pragma once

#include "viewer/export/AnimationExport.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace exporting {

// The composed frame `frame` (1-based). The suffix of `path` chooses the
// format: ".png", or ".jpg"/".jpeg" at `jpegQuality` (0 .. 100). Errors:
//   A frame is saved as .png or .jpg, not "<suffix>"
// and those of rendering and of the file.
ExportOutcome ExportFramePicture(const ExportScene& scene, int frame, const QString& path, int jpegQuality = 92);

struct PanelFilesRequest {
    QString Folder;    // must exist
    QList<int> Frames; // 1-based
    bool Replace = false; // files of the same name are replaced only when true
};

// The file names ExportPanelImages writes for `frames`, in order, so a caller
// can ask before replacing any: "<frame> P<panel> <view> - <date> <time> -
// <sky>, lighting <on/off>, <colour>.<suffix of the study's file>", with
// characters no file system takes replaced.
QStringList PanelImageNames(const ExportScene& scene, const QList<int>& frames);

// Copies the image file of every panel at every frame into the folder, byte for
// byte (the study's own full-resolution picture). Missing images are left out
// and counted in Skipped. Errors besides the files':
//   <n> files of this export already exist in <folder>, such as <name>
ExportOutcome ExportPanelImages(const ExportScene& scene, const PanelFilesRequest& request,
                                const ExportProgress& progress = {});

} // namespace exporting
