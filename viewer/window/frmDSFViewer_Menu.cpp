// The menu bar: File, Playback and Help. Every item carries its identifier as
// its object name, and one handler runs the command an identifier names.
#include "viewer/window/frmDSFViewer.h"

#include "viewer/packaging/frmDSFPackage.h"
#include "viewer/properties/frmDSFProperties.h"
#include "viewer/settings/HelpTopics.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/frmAbout.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <iterator>

namespace viewer {

namespace {

struct MenuCommand {
    const char* Menu;    // the identifier of the menu the item sits in
    const char* Id;      // nullptr stands for a separator
    const char* Caption; // as shown: "&" marks the access key, then the key hint
    void (*Run)(frmDSFViewer&);
};

struct MenuTitle {
    const char* Id;
    const char* Caption;
};

constexpr MenuTitle kMenus[] = {
    {"ID_FileMenu", "&File"},
    {"ID_PlaybackMenu", "&Playback"},
    {"ID_HelpMenu", "&Help"},
};

// The items in menu order; the handler looks identifiers up in this order too.
const MenuCommand kCommands[] = {
    {"ID_FileMenu", "ID_Open", "&Open...", [](frmDSFViewer& w) { w.OpenStudy(); }},
    {"ID_FileMenu", nullptr, nullptr, nullptr},
    {"ID_FileMenu", "ID_StudyProperties", "&Study Properties...",
     [](frmDSFViewer& w) { properties::ShowStudyProperties(w.Module(), w.Ui(), &w); }},
    {"ID_FileMenu", "ID_PackageStudy", "&Package Study...",
     [](frmDSFViewer& w) { packaging::msbPackageFile(w.Module(), w.Ui(), &w); }},
    {"ID_FileMenu", nullptr, nullptr, nullptr},
    {"ID_FileMenu", "ID_Exit", "&Exit", [](frmDSFViewer& w) { w.close(); }},

    {"ID_PlaybackMenu", "ID_FirstFrame", "&First Frame          Home",
     [](frmDSFViewer& w) { w.cmdFirst_Click(); }},
    {"ID_PlaybackMenu", "ID_PreviousFrame", "&Previous Frame   Left Arrow",
     [](frmDSFViewer& w) { w.cmdPrevious_Click(); }},
    {"ID_PlaybackMenu", "ID_StartPlayback", "&Start Playback    Up Arrow",
     [](frmDSFViewer& w) { w.cmdPlay_Click(); }},
    {"ID_PlaybackMenu", "ID_StopPlayback", "St&op Playback    Down Arrow",
     [](frmDSFViewer& w) { w.cmdStop_Click(); }},
    {"ID_PlaybackMenu", "ID_NextFrame", "&Next Frame        Right Arrow",
     [](frmDSFViewer& w) { w.cmdNext_Click(); }},
    {"ID_PlaybackMenu", "ID_LastFrame", "&Last Frame         End", [](frmDSFViewer& w) { w.cmdLast_Click(); }},
    {"ID_PlaybackMenu", nullptr, nullptr, nullptr},
    {"ID_PlaybackMenu", "ID_ToggleScreen", "&Toggle Screen", [](frmDSFViewer& w) { w.ToggleScreen(); }},
    {"ID_PlaybackMenu", nullptr, nullptr, nullptr},
    {"ID_PlaybackMenu", "ID_ShiftViewDisplayUp", "Shift View Display &Up        PgUp",
     [](frmDSFViewer& w) { w.msbShiftDisplay(0); }},
    {"ID_PlaybackMenu", "ID_ShiftViewDisplayDown", "Shift View Display &Down   PgDn",
     [](frmDSFViewer& w) { w.msbShiftDisplay(1); }},

    {"ID_HelpMenu", "ID_Readme", "&Readme...",
     [](frmDSFViewer& w) { settings::ShowHelpTopic(w.Module().HelpFile, settings::kTopicReadme); }},
    {"ID_HelpMenu", "ID_ContentsAndIndex", "&Contents And Index...",
     [](frmDSFViewer& w) { settings::ShowHelpTopic(w.Module().HelpFile, settings::kTopicContents); }},
    {"ID_HelpMenu", nullptr, nullptr, nullptr},
    {"ID_HelpMenu", "ID_About...", "&About...", [](frmDSFViewer& w) { ShowAbout(w.Ui(), &w); }},
};

} // namespace

void frmDSFViewer::CreateMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("stbMain"));
    for (const MenuTitle& title : kMenus) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(title.Caption));
        menu->setObjectName(QString::fromLatin1(title.Id));
        menu->menuAction()->setObjectName(QString::fromLatin1(title.Id));
        for (const MenuCommand& command : kCommands) {
            if (qstrcmp(command.Menu, title.Id) != 0)
                continue;
            if (command.Id == nullptr) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromLatin1(command.Caption));
            action->setObjectName(QString::fromLatin1(command.Id));
        }
    }
    connect(bar, &QMenuBar::triggered, this,
            [this](QAction* action) { stbMain_ToolClick(action->objectName()); });
}

void frmDSFViewer::stbMain_ToolClick(const QString& Tool)
{
    // Exact, case-sensitive comparison; menu titles and anything else unknown
    // run nothing.
    for (const MenuCommand& command : kCommands) {
        if (command.Id != nullptr && Tool == QLatin1String(command.Id)) {
            command.Run(*this);
            return;
        }
    }
}

QMenuBar* frmDSFViewer::stbMain() const
{
    return menuBar();
}

} // namespace viewer
