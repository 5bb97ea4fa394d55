// The program's help: HTML pages in the viewer's data folder, opened at
// numbered topics, each of which names a page or a part of one.
#pragma once

#include "viewer/settings/DataFolders.h"

#include <QString>
#include <QUrl>
#include <QtGlobal>

namespace settings {

inline constexpr qint32 kTopicContents = 101;        // Help, Contents And Index
inline constexpr qint32 kTopicReadme = 102;          // Help, Readme
inline constexpr qint32 kTopicStudyProperties = 105; // study properties window
inline constexpr qint32 kTopicPackage = 106;         // package window
inline constexpr qint32 kTopicExportFrame = 107;     // Export Frame dialog
inline constexpr qint32 kTopicExportAnimation = 108; // Export Animation dialog
inline constexpr qint32 kTopicExportSheet = 109;     // Export Contact Sheet dialog

// The help pages lie in this folder of the data folder; the contents page
// is the help file the program checks for and names in its messages.
inline constexpr char kHelpFolderName[] = "help";
inline constexpr char kHelpContentsPage[] = "index.html";

// The page a topic opens, with "#anchor" where the topic is a part of a page;
// the contents page for a number the program does not know.
QString HelpTopicPage(qint32 topicId);

// The topic's page beside helpFile (the contents page), as a file URL.
QUrl HelpTopicUrl(const QString& helpFile, qint32 topicId);

// The contents page in the first data folder that holds the help pages; when
// none does, where it would lie in the first folder, so that the message
// about missing help names a real place.
QString HelpFilePath(const QStringList& dataFolders = DataFolders());

// How help reaches the user. The program installs one that also shows its
// messages in message boxes; the built-in one starts the desktop's opener and
// keeps messages to itself.
class HelpPresenter {
public:
    virtual ~HelpPresenter() = default;
    // Shows the help at the topic without waiting for the user to read it;
    // false when no help viewer could be started.
    virtual bool OpenHelp(const QString& helpFile, qint32 topicId) = 0;
    virtual void ShowMessage(const QString& text, const QString& title) = 0;
};

// Replaces the presenter; nullptr restores the built-in one.
void SetHelpPresenter(HelpPresenter* presenter);

// Opens helpFile at topicId, or tells the user which help file is missing and
// which topic was asked for. Never waits for the help viewer.
void ShowHelpTopic(const QString& helpFile, qint32 topicId);

// The texts shown when the help file is not there or cannot be opened.
QString MissingHelpMessage(const QString& helpFile, qint32 topicId);
QString UnopenedHelpMessage(const QString& helpFile, qint32 topicId);
inline constexpr char kHelpMessageTitle[] = "HALVEX Daystrand Help";

} // namespace settings
