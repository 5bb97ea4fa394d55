// The menu bar and the window's keys: File, Edit, Playback, View, Compare and Help. Every item
// carries its identifier as its object name and its keys as window shortcuts,
// shown in the menu's shortcut column; one handler runs the command an
// identifier names, whether it came from a menu, a key or a caller.
#include "viewer/window/frmDSFViewer.h"

#include "viewer/packaging/frmDSFPackage.h"
#include "viewer/properties/frmDSFProperties.h"
#include "viewer/settings/HelpTopics.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/frmAbout.h"

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QMenu>
#include <QMenuBar>

namespace viewer {

namespace {

struct MenuCommand {
    const char* Menu;    // the identifier of the menu the item sits in; nullptr: the window's own key
    const char* Id;      // nullptr stands for a separator
    const char* Caption; // "&" marks the access key
    const char* KeyHint; // shown in the shortcut column; nullptr for none
    const char* Keys;    // the window's shortcuts, QKeySequence text, "; " between several
    void (*Run)(frmDSFViewer&);
};

struct MenuTitle {
    const char* Id;
    const char* Caption;
};

constexpr MenuTitle kMenus[] = {
    {"ID_FileMenu", "&File"},
    {"ID_EditMenu", "&Edit"},
    {"ID_PlaybackMenu", "&Playback"},
    {"ID_ViewMenu", "&View"},
    {"ID_CompareMenu", "&Compare"},
    {"ID_HelpMenu", "&Help"},
};

constexpr char kPanelCaptions[] = "ID_PanelCaptions";

// Items that are switches; SyncMenuChecks checks them as the window's state says.
constexpr const char* kSwitches[] = {kPanelCaptions, "ID_LinkPanels", "ID_CompareWipe", "ID_CompareDifference",
                                     "ID_CompareSigned"};

bool IsSwitch(const char* id)
{
    for (const char* s : kSwitches) {
        if (qstrcmp(s, id) == 0)
            return true;
    }
    return false;
}

// The compare item of `mode` turns it on, or off again while it is on.
void ToggleCompare(frmDSFViewer& w, imaging::CompareMode mode)
{
    w.SetCompareMode(w.Comparison().Mode == mode ? imaging::CompareMode::None : mode);
}

void ChangeDifference(frmDSFViewer& w, bool flipKind, double gainFactor)
{
    CompareChoice choice = w.Comparison();
    if (flipKind)
        choice.Kind = choice.Kind == imaging::DifferenceKind::Absolute ? imaging::DifferenceKind::SignedLuminance
                                                                        : imaging::DifferenceKind::Absolute;
    choice.Gain *= gainFactor;
    w.SetCompareChoice(choice);
}

// The items in menu order; the handler looks identifiers up in this order too.
// The frame keys act whichever control has the focus, and the control does not
// see them as well.
const MenuCommand kCommands[] = {
    {"ID_FileMenu", "ID_Open", "&Open...", "Ctrl+O", "Ctrl+O", [](frmDSFViewer& w) { w.OpenStudy(); }},
    {"ID_FileMenu", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"ID_FileMenu", "ID_StudyProperties", "&Study Properties...", nullptr, nullptr,
     [](frmDSFViewer& w) { properties::ShowStudyProperties(w.Module(), w.Ui(), &w); }},
    {"ID_FileMenu", "ID_PackageStudy", "&Package Study...", nullptr, nullptr,
     [](frmDSFViewer& w) { packaging::msbPackageFile(w.Module(), w.Ui(), &w); }},
    {"ID_FileMenu", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"ID_FileMenu", "ID_ExportFrame", "Export &Frame...", nullptr, nullptr, [](frmDSFViewer& w) { w.ExportFrame(); }},
    {"ID_FileMenu", "ID_ExportAnimation", "Export &Animation...", nullptr, nullptr,
     [](frmDSFViewer& w) { w.ExportAnimation(); }},
    {"ID_FileMenu", "ID_ExportContactSheet", "Export &Contact Sheet...", nullptr, nullptr,
     [](frmDSFViewer& w) { w.ExportContactSheet(); }},
    {"ID_FileMenu", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"ID_FileMenu", "ID_Exit", "&Exit", "Ctrl+Q", "Ctrl+Q", [](frmDSFViewer& w) { w.close(); }},

    // A text box with the keyboard focus takes Ctrl+C for its own copy first.
    {"ID_EditMenu", "ID_CopyFrame", "&Copy Frame", "Ctrl+C", "Ctrl+C", [](frmDSFViewer& w) { w.CopyFrame(); }},

    {"ID_PlaybackMenu", "ID_FirstFrame", "&First Frame", "Home", "Home", [](frmDSFViewer& w) { w.cmdFirst_Click(); }},
    {"ID_PlaybackMenu", "ID_PreviousFrame", "&Previous Frame", "Left Arrow", "Left",
     [](frmDSFViewer& w) { w.cmdPrevious_Click(); }},
    {"ID_PlaybackMenu", "ID_StartPlayback", "&Start Playback", "Up Arrow, Space", "Up",
     [](frmDSFViewer& w) { w.cmdPlay_Click(); }},
    {"ID_PlaybackMenu", "ID_StopPlayback", "St&op Playback", "Down Arrow, Space", "Down",
     [](frmDSFViewer& w) { w.cmdStop_Click(); }},
    {"ID_PlaybackMenu", "ID_NextFrame", "&Next Frame", "Right Arrow", "Right",
     [](frmDSFViewer& w) { w.cmdNext_Click(); }},
    {"ID_PlaybackMenu", "ID_LastFrame", "&Last Frame", "End", "End", [](frmDSFViewer& w) { w.cmdLast_Click(); }},
    {"ID_PlaybackMenu", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"ID_PlaybackMenu", "ID_ToggleScreen", "&Toggle Screen", "F11", "F11", [](frmDSFViewer& w) { w.ToggleScreen(); }},
    {"ID_PlaybackMenu", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"ID_PlaybackMenu", "ID_ShiftViewDisplayUp", "Shift View Display &Up", "PgUp", "PgUp",
     [](frmDSFViewer& w) { w.msbShiftDisplay(0); }},
    {"ID_PlaybackMenu", "ID_ShiftViewDisplayDown", "Shift View Display &Down", "PgDn", "PgDown",
     [](frmDSFViewer& w) { w.msbShiftDisplay(1); }},

    {"ID_ViewMenu", kPanelCaptions, "Panel &Captions", nullptr, nullptr, [](frmDSFViewer& w) { w.ToggleCaptions(); }},
    {"ID_ViewMenu", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"ID_ViewMenu", "ID_LinkPanels", "&Link Panels", nullptr, nullptr,
     [](frmDSFViewer& w) { w.SetLinkPanels(!w.LinkPanels()); }},
    {"ID_ViewMenu", "ID_ZoomIn", "Zoom &In", "+", "+; =", [](frmDSFViewer& w) { w.ZoomPanels(ZoomCommand::In); }},
    {"ID_ViewMenu", "ID_ZoomOut", "Zoom &Out", "-", "-", [](frmDSFViewer& w) { w.ZoomPanels(ZoomCommand::Out); }},
    {"ID_ViewMenu", "ID_ZoomFit", "&Fit to Panel", "0", "0", [](frmDSFViewer& w) { w.ZoomPanels(ZoomCommand::Fit); }},
    {"ID_ViewMenu", "ID_ZoomActualSize", "&Actual Size", "1", "1",
     [](frmDSFViewer& w) { w.ZoomPanels(ZoomCommand::ActualSize); }},

    {"ID_CompareMenu", "ID_CompareWipe", "&Wipe", nullptr, nullptr,
     [](frmDSFViewer& w) { ToggleCompare(w, imaging::CompareMode::Wipe); }},
    {"ID_CompareMenu", "ID_CompareDifference", "&Difference", nullptr, nullptr,
     [](frmDSFViewer& w) { ToggleCompare(w, imaging::CompareMode::Difference); }},
    {"ID_CompareMenu", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"ID_CompareMenu", "ID_CompareSigned", "&Signed Luminance Colours", nullptr, nullptr,
     [](frmDSFViewer& w) { ChangeDifference(w, true, 1); }},
    {"ID_CompareMenu", "ID_CompareMoreGain", "&More Gain", "]", "]",
     [](frmDSFViewer& w) { ChangeDifference(w, false, 2); }},
    {"ID_CompareMenu", "ID_CompareLessGain", "&Less Gain", "[", "[",
     [](frmDSFViewer& w) { ChangeDifference(w, false, 0.5); }},
    {"ID_CompareMenu", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"ID_CompareMenu", "ID_ComparePanels", "Compare &Panels...", nullptr, nullptr,
     [](frmDSFViewer& w) { w.ChooseComparePanels(); }},

    {"ID_HelpMenu", "ID_Readme", "&Readme...", nullptr, nullptr,
     [](frmDSFViewer& w) { settings::ShowHelpTopic(w.Module().HelpFile, settings::kTopicReadme); }},
    {"ID_HelpMenu", "ID_ContentsAndIndex", "&Contents And Index...", "F1", "F1",
     [](frmDSFViewer& w) { settings::ShowHelpTopic(w.Module().HelpFile, settings::kTopicContents); }},
    {"ID_HelpMenu", nullptr, nullptr, nullptr, nullptr, nullptr},
    {"ID_HelpMenu", "ID_About...", "&About...", nullptr, nullptr, [](frmDSFViewer& w) { ShowAbout(w.Ui(), &w); }},

    {nullptr, "ID_PlayOrStop", "Start or Stop Playback", nullptr, "Space", [](frmDSFViewer& w) { w.PlayOrStop(); }},
};

QAction* CreateAction(const MenuCommand& command, QObject* parent)
{
    QString text = QString::fromLatin1(command.Caption);
    if (command.KeyHint)
        text += QLatin1Char('\t') + QString::fromLatin1(command.KeyHint);
    auto* action = new QAction(text, parent);
    action->setObjectName(QString::fromLatin1(command.Id));
    if (command.Keys) {
        QList<QKeySequence> keys;
        for (const QString& key : QString::fromLatin1(command.Keys).split(QStringLiteral("; ")))
            keys.append(QKeySequence(key, QKeySequence::PortableText));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    return action;
}

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
            if (!command.Menu || qstrcmp(command.Menu, title.Id) != 0)
                continue;
            if (command.Id == nullptr) {
                menu->addSeparator();
                continue;
            }
            QAction* action = CreateAction(command, menu);
            action->setCheckable(IsSwitch(command.Id));
            menu->addAction(action);
        }
    }
    SyncMenuChecks();
    connect(bar, &QMenuBar::triggered, this,
            [this](QAction* action) { stbMain_ToolClick(action->objectName()); });

    // Keys with no menu item act on the window itself.
    for (const MenuCommand& command : kCommands) {
        if (command.Menu)
            continue;
        QAction* action = CreateAction(command, this);
        addAction(action);
        connect(action, &QAction::triggered, this, [this, action] { stbMain_ToolClick(action->objectName()); });
    }
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
