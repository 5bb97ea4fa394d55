// The program's help: a compiled help file beside the program, opened at
// numbered topics by whatever the desktop uses for such files.
#pragma once

#include <QString>
#include <QtGlobal>

namespace settings {

inline constexpr qint32 kTopicContents = 101;        // Help, Contents And Index
inline constexpr qint32 kTopicReadme = 102;          // Help, Readme
inline constexpr qint32 kTopicStudyProperties = 105; // study properties window
inline constexpr qint32 kTopicPackage = 106;         // package window

inline constexpr char kHelpFileName[] = "HALVEX-Daystrand.chm";

// The program's own folder followed by the help file's name.
QString HelpFilePath();

// How help reaches the user. The program installs one that also shows its
// messages in message boxes; the built-in one starts the desktop's opener and
// keeps messages to itself.
class HelpPresenter {
public:
    virtual ~HelpPresenter() = default;
    // Starts a viewer for the file at the topic without waiting for it; false
    // when no viewer could be started.
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
