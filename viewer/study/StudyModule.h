// The one study the viewer holds and the values its parts share beside it,
// kept in one owner that is handed to whoever needs it (tests make their own).
#pragma once

#include "viewer/study/StudyRecord.h"

#include <QString>
#include <QtGlobal>

namespace study {

class StudyModule {
public:
    StudyRecord Study;

    QString CurrentFolder;     // where the file dialogs start and images are read from, with its trailing separator
    QString CurrentFile;       // the study file remembered in the settings
    QString LoadedStudyFile;   // full path of the study on display; "" after a cancelled Open
    QString HelpFile;          // full path of the help file
    QString PackageStudyFile;  // study file found while extracting a package
    qint32 CurrentFrame = 0;   // frame on display, 1-based
    qint32 TotalFrames = 0;    // frames of the panel loaded last; 0 before any load
    bool StopRequested = false;
    bool PlaybackRunning = false;
    bool ScreenToggled = false;
    bool PlaceholderShown = false;

    // Reads StudyFilename into Study; ErrMsg is "" on success (see StudyReader.h).
    void ReadStudyFile(const QString& StudyFilename, QString& ErrMsg);

    // Everything back to the values the program starts with.
    void Reset();
};

} // namespace study
