// The two per-user values the HALVEX product leaves for the viewer: the folder
// of the daylight studies and the study to show first. Read once, never written.
#pragma once

#include <QString>

namespace settings {

// Where the HALVEX product stores them: organisation, application and section.
inline constexpr char kSettingsApplication[] = "HALVEX-FileSystem";
inline constexpr char kSettingsSection[] = "FSSettings";
inline constexpr char kKeyStudyFolder[] = "FSDaylightStudyCurrentFolder";
inline constexpr char kKeyStudyFile[] = "FSDaylightStudyCurrentFile";

struct StudySettings {
    QString CurrentFolder; // the stored folder, or the default folder when none is stored
    QString CurrentFile;   // the stored study file, "" when none is stored
};

// Reads both values ("" when absent) and puts the default folder in place of an
// empty folder value. Never fails.
StudySettings ReadStudySettings();

// The user's documents folder followed by "/HALVEX"; the documents folder is
// created when missing, the HALVEX folder is not. "" when the platform has no
// documents folder.
QString DefaultStudyFolder();

// The file the values are read from (the registry key on Windows).
QString StudySettingsLocation();

} // namespace settings
