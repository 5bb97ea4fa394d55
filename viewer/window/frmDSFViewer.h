// The viewer's main window: a column of settings frames on the left and up to
// four view panels on the right, each showing one view of the daylight study
// frame by frame. The procedures are split by concern over several files:
// frmDSFViewer.cpp (controls), _Loading (start, open, load), _Opening (the
// command line, dropped files, what is remembered between runs), _Panels (panel
// settings and frame lists), _Playback (frames, with FramePlayer doing the
// stepping and the timing), _Layout (placement), _Menu (menus and keys),
// _Views (zoom, pan, linked panels, pixel readout), _Compare (wipe and
// difference of two panels).
#pragma once

#include "platform/imaging/ImageComparison.h"
#include "platform/imaging/ViewGeometry.h"
#include "viewer/window/ImageSelection.h"
#include "viewer/window/PanelLayout.h"

#include <QMainWindow>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTabWidget;
class QTextEdit;

namespace imaging {
class FrameScheduler;
class ImagingControl;
}
namespace settings {
class ViewerPreferences;
}
namespace exporting {
class ExportController;
struct ExportContext;
}
namespace study {
class StudyFolderIndex;
class StudyModule;
}
namespace ui {
class UiServices;
}

namespace viewer {

class FramePlayer;
class LoadInputGate;
class PanelCaption;
class UpDownSpinner;

struct ViewerOptions {
    // Where the start-up picture and the help pages are looked for, in order;
    // empty: the folders settings::DataFolders gives for the running program.
    QStringList DataFolders;
    // A study or package named on the command line: shown at the first
    // activation in place of the remembered one.
    QString StudyFile;
    // Threads that decode a panel's images: 0 one per core, 1 none besides the window's.
    int DecodeWorkers = 0;
    // Longest pause between two looks at the clock while playback waits; a
    // clock that tests move by hand is looked at more often.
    int WaitPollMilliseconds = 50;
    // The viewer's own settings file; "" is the user's own (ViewerPreferences.h).
    QString PreferencesFile;
    // Memory for decoded frames, shared by the four panels (--cache-mb); 0
    // takes the viewer's settings, or else a quarter of physical memory, at
    // most 2 GiB.
    qint64 FrameCacheBytes = 0;
    // Threads that decode frames for the panels and read ahead: 0 one per
    // core; -1 none, and whoever drives the window runs the decodes
    // (Frames().RunOneJob()).
    int FrameWorkers = 0;
};

// The memory for decoded frames: the command line's, else the viewer's
// settings', else a quarter of physical memory, at most 2 GiB.
qint64 FrameCacheBudget(const ViewerOptions& options, const settings::ViewerPreferences& preferences);

inline constexpr char kDesignCaption[] = "HALVEX Daystrand - Study Name:";

// The zoom keys and items: + and - step about the pointer, 0 fits, 1 shows
// the frame's own pixels.
enum class ZoomCommand { In, Out, Fit, ActualSize };

// What the compare mode shows and of which two panels (0-based).
struct CompareChoice {
    imaging::CompareMode Mode = imaging::CompareMode::None;
    int A = 0;
    int B = 1;
    imaging::DifferenceKind Kind = imaging::DifferenceKind::Absolute;
    double Gain = 2;
};
inline constexpr char kPlaceholderFileName[] = "HALVEX-Daystrand.jpg";

class frmDSFViewer : public QMainWindow {
    Q_OBJECT

public:
    frmDSFViewer(study::StudyModule& module, ui::UiServices& ui, ViewerOptions options = {},
                 QWidget* parent = nullptr);
    ~frmDSFViewer() override;

    // --- start-up, opening and loading ---
    // The first activation's work: the remembered study is displayed, once.
    // Nothing happens once a study has been opened some other way.
    void Form_Activate();
    // The Open command: choose a DVF or DVP and display it.
    void OpenStudy();
    // What the Open command does with the file chosen: a DVP is unpacked
    // beside itself and its study shown, anything else is read as a study.
    // Playback stops first. For a file named on the command line, dropped or chosen
    // under Recent Studies.
    void OpenStudyFile(const QString& Filename);
    // The Open dialog; Filename is "" when it was cancelled.
    void msbOpenFile(QString& Filename, QString& Ext);
    void msbLoadAndDisplay(const QString& lstFilename);
    // Stops the load under way (the Cancel button and Esc do the same); a study
    // load so stopped leaves the window without a study. Nothing happens when
    // nothing loads.
    void CancelLoad();

    // --- the commands of the buttons, keys and menus ---
    void cmdFirst_Click();
    void cmdPrevious_Click();
    void cmdPlay_Click();
    void cmdStop_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    // Space: starts playback, or stops it while it plays.
    void PlayOrStop();
    void cmdRefresh_Click(int Index);
    void msbResizeViews();
    void msbShiftDisplay(const qint16& ShiftType);
    void ToggleScreen();
    // Shows or hides every panel's caption, and remembers the choice.
    void ToggleCaptions();
    // File > Export Frame, Export Animation, Export Contact Sheet; Edit > Copy Frame.
    void ExportFrame();
    void ExportAnimation();
    void ExportContactSheet();
    void CopyFrame();

    // --- zoom, pan and linked panels (_Views) ---
    // Linked, zooming or panning one visible panel gives every other visible
    // panel the same scale and image-relative centre. Remembered.
    void SetLinkPanels(bool link);
    bool LinkPanels() const { return linkPanels_; }
    // The zoom keys: on the panel under the pointer (the others follow when
    // linked), or on every visible panel when the pointer is over none.
    void ZoomPanels(ZoomCommand command);
    // The status line of the pixel readout; "" while the pointer is over no panel.
    QString PixelReadout() const;

    // --- compare mode (_Compare) ---
    // Shows panel A's frames against panel B's in the panel area, wiped or
    // as their difference; CompareMode::None restores the layout and the
    // panels' views as they were. Refused with a message unless both panels
    // show a view.
    void SetCompareMode(imaging::CompareMode mode);
    // Chooses the panels and the difference; applied at once in compare mode.
    void SetCompareChoice(const CompareChoice& choice);
    const CompareChoice& Comparison() const { return compare_; }
    // The Compare Panels dialog.
    void ChooseComparePanels();
    // Runs the command whose identifier is Tool ("ID_Open", "ID_About..." and
    // so on); any other text, a menu title among them, runs nothing.
    void stbMain_ToolClick(const QString& Tool);
    QMenuBar* stbMain() const;

    // --- what other parts of the program use ---
    imaging::ImagingControl* LEADV(int Index) const { return LEADV_[Index]; }
    imaging::ImagingControl* LEAD2() const { return LEAD2_; }
    // Panel Index's frames in frame order: each position a sample of the
    // panel's view with its image file, or none when the file is missing.
    // Empty while the panel holds no view.
    const PanelFrames& PanelPositions(int Index) const { return panelFrames_[Index]; }
    FramePlayer& Player() const { return *player_; }
    // What the window shows now, as the export commands take it: the visible
    // panels in the order of their Display slots with their places and zoom.
    exporting::ExportContext ExportContextNow() const;
    exporting::ExportController& Exports() const { return *export_; }
    // The window's one cache of decoded frames and its read-ahead.
    imaging::FrameScheduler& Frames() const { return *frames_; }
    settings::ViewerPreferences& Preferences() const { return *preferences_; }
    study::StudyModule& Module() const { return module_; }
    ui::UiServices& Ui() const { return ui_; }
    // The window's outer size in twips, as the layout measures it.
    qint64 WindowWidthTwips() const;
    qint64 WindowHeightTwips() const;
    double TwipsPerPixelX() const;
    double TwipsPerPixelY() const;
    // The loading progress bar's value, 0 to 100, with its fractions.
    double LoadProgressValue() const;

signals:
    // A frame was put on display by playback.
    void PlaybackFrameShown(int frame);
    // Playback has ended, after the last frame's delay or a stop.
    void PlaybackEnded();
    // The loading progress bar moved.
    void LoadProgressChanged(double value);
    // A study was read and displayed; `file` is the DVF or DVP that was chosen.
    void StudyOpened(const QString& file);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // frmDSFViewer.cpp: the controls.
    void CreateControls();
    QGroupBox* CreateSiteFrame();
    QGroupBox* CreateViewFrame();
    QGroupBox* CreateDisplayFrame();
    QGroupBox* CreatePlaybackFrame();
    QGroupBox* CreateLoadFrame(QWidget* parent);
    QWidget* CreatePanelTab(int index);
    void ConnectHandlers();
    void ConnectPlayer();
    // The panels' frames: one cache for all, what stands in for a missing file.
    void ConnectFrames();

    // _Menu
    void CreateMenu();

    // _Loading
    void Form_Load();
    // False refuses the close (playback is running).
    bool Form_QueryUnload();
    void EnsureLoaded();
    void msbLoadStudyFile(const QString& StudyFilename);
    void SetLoadProgress(double value);
    // The same many times a second while headers are read: the bar and the
    // window are brought up to date every so often, not at every file.
    void StepLoadProgress(double value);
    // Lets the window paint and take a cancel while a load works.
    void PumpDuringLoad();
    // Throws LoadCancelled once a cancel has been asked for.
    void ThrowIfCancelled() const;
    // The state a cancelled study load leaves: no study, empty panels.
    void ShowNoStudy();
    // The line at the foot of the window; "" hides it.
    void ShowStatus(const QString& text);

    // _Opening
    // The first activation's study: the command line's, else the one the
    // HALVEX product remembers, else the one opened last here.
    void OpenStartupStudy();
    void RestoreWindow();
    void RememberWindow();
    void RememberStudy(const QString& file);
    void CreateRecentStudiesMenu();
    void FillRecentStudiesMenu(QMenu* menu);
    // Opens an entry of Recent Studies, or takes it off when the file is gone.
    void OpenRecentStudy(const QString& file);

    // _Panels
    class LoadingScope;
    void msbSetStudySettings();
    void msbLoadImageFiles(const qint16& Index, QString& ErrMsg);
    // Lists panel Index's positions as frame sources, reading the header of
    // every present image (a missing one shows a tile); throws LoadCancelled.
    void FillPanel(int Index, const PanelFrames& frames, qsizetype sampleCount, QString& ErrMsg);
    void EmptyPanel(int Index);
    void msbRefreshNotice(const qint16& Index);
    void cbxViewName_Click(int Index);
    void cbxSkyConditions_Click(int Index);
    void optElectricOn_Click(int Index);
    void optElectricOff_Click(int Index);
    void optRGB_Click(int Index);
    void optPseudo_Click(int Index);
    PanelChoice PanelChoiceOf(int Index) const;
    // What each of the six panel-setting handlers does.
    void MarkPanelChanged(int Index);
    // Tells, at the foot of the window, how many images the panels miss and in which views.
    void ReportMissingImages();
    // The caption of panel Index for the frame on display.
    void UpdateCaption(int Index);

    // _Playback
    void msbUpdateViews(const qint32& CurrentFrame);
    // Reloads flagged panels; false when there is no frame.
    bool CommonStart();
    // Puts CurrentFrame's date in cbxDate, then refreshes the frame display.
    void ShowCurrentFrame();
    // Frame 1 again, after a load, a Refresh or a change of the Display boxes.
    void RestartAtFrameOne();
    // Every visible panel shows the current frame (not still awaiting its decode).
    bool ShownFramesReady() const;
    // TotalFrames changed: the player and the frame count follow.
    void SetTotalFrames(qint32 count);
    void spnDelay_UpClick();
    void spnDelay_DownClick();
    void msbDateTimeChange();
    void cbxDate_Click();

    // _Layout
    void chkDisplay_Click(int Index);
    void cmdReset_Click();
    // A click on a panel (press and release without a drag).
    void LEADV_MouseDown(int Index, int Button);
    void Form_Resize();
    void ShowPlaceholder();
    // The column of frames: scrolls when the window is lower than it is tall.
    void PlaceColumn();
    QRect TwipsToClient(const TwipRect& rect) const;
    PanelLayoutInput LayoutInput() const;

    // _Views
    void ConnectPanelViews(int Index);
    void LEADV_DblClick(int Index, int Button, double X, double Y);
    // Gives every other visible panel the view of panel Index, when linked.
    void LinkFrom(int Index, bool moving);
    // The panel under the pointer, or -1.
    int PanelUnderPointer() const;
    // Shown in a slot, or shown through the compare view.
    bool PanelOnDisplay(int Index) const;
    void UpdateReadout(int Index, QPointF imagePoint);
    QString ReadoutOf(int Index, QPointF imagePoint) const;
    void HideReadout();
    // Checks the menu's switches as the window's state says.
    void SyncMenuChecks();

    // _Compare
    bool CanCompare(const CompareChoice& choice) const;
    void ApplyCompare();
    void EndCompareQuietly();

    study::StudyModule& module_;
    ui::UiServices& ui_;
    ViewerOptions options_;
    std::unique_ptr<settings::ViewerPreferences> preferences_;
    FramePlayer* player_ = nullptr;
    exporting::ExportController* export_ = nullptr;
    std::unique_ptr<imaging::FrameScheduler> frames_;

    // Controls, named as the program's code names them.
    std::array<imaging::ImagingControl*, kPanelCount> LEADV_{};
    imaging::ImagingControl* LEAD2_ = nullptr;
    std::array<PanelCaption*, kPanelCount> captions_{};
    std::array<QComboBox*, kPanelCount> cbxViewName_{};
    std::array<QComboBox*, kPanelCount> cbxSkyConditions_{};
    std::array<QRadioButton*, kPanelCount> optElectricOn_{};
    std::array<QRadioButton*, kPanelCount> optElectricOff_{};
    std::array<QRadioButton*, kPanelCount> optRGB_{};
    std::array<QRadioButton*, kPanelCount> optPseudo_{};
    std::array<QPushButton*, kPanelCount> cmdRefresh_{};
    std::array<QCheckBox*, kPanelCount> chkDisplay_{};
    std::array<QGroupBox*, 6> fraHALVEX_{}; // 1 .. 5 used
    QPushButton* cmdReset_ = nullptr;
    QComboBox* cbxDate_ = nullptr;
    QLineEdit* txtTime_ = nullptr;
    QGroupBox* fraLoad_ = nullptr;
    QProgressBar* pgbLoad_ = nullptr;
    QLabel* labLoadStatus_ = nullptr;
    QPushButton* cmdCancelLoad_ = nullptr;
    QLabel* labStatus_ = nullptr;
    QLabel* labReadout_ = nullptr;
    QTextEdit* rtfSiteName_ = nullptr;
    QLineEdit* txtSiteLatitude_ = nullptr;
    QLineEdit* txtSiteLongitude_ = nullptr;
    QLineEdit* txtSiteCompass_ = nullptr;
    QLineEdit* txtCurrentFrame_ = nullptr;
    QLineEdit* txtTotalFrames_ = nullptr;
    QLineEdit* txtDelay_ = nullptr;
    UpDownSpinner* spnDelay_ = nullptr;
    QTabWidget* sstViews_ = nullptr;
    QPushButton* cmdFirst_ = nullptr;
    QPushButton* cmdPrevious_ = nullptr;
    QPushButton* cmdPlay_ = nullptr;
    QPushButton* cmdStop_ = nullptr;
    QPushButton* cmdNext_ = nullptr;
    QPushButton* cmdLast_ = nullptr;
    QWidget* column_ = nullptr;
    QScrollArea* columnScroll_ = nullptr;

    // --- the window's own state ---
    bool UpdatesSuspended = false;           // panel loads and notices do nothing while True
    std::array<bool, kPanelCount> PanelNotCurrent{}; // settings changed since the panel was loaded
    QStringList StudyDates{QString()};       // distinct dates of view 1, entries 1 .. n
    bool FrameStepInProgress = false;        // a frame command is writing cbxDate itself
    bool Activated = false;                  // the first activation's work is done
    std::array<PanelFrames, kPanelCount> panelFrames_;
    std::array<bool, kPanelCount> placed_{};       // the layout has given the panel a place
    bool captionsShown_ = false;
    bool linkPanels_ = true;
    CompareChoice compare_;
    // The panels' views when compare mode began, put back when it ends.
    std::array<imaging::ViewState, kPanelCount> viewsBeforeCompare_{};
    // The panel the pointer is over (-1: none) and where, in its pixels.
    int pointerPanel_ = -1;
    QPointF pointerAt_;
    // The view a panel had before the click that began a double click.
    int clickedPanel_ = -1;
    imaging::ViewState viewBeforeClick_;

    bool loaded_ = false;     // Form_Load has run
    bool studyRead_ = false;  // the last msbLoadStudyFile read its file (it may have been cancelled later)
    double loadProgress_ = 0;
    qint64 progressShownAt_ = 0; // ms on a monotonic clock: when the bar was last painted
    int loading_ = 0;         // a panel load is under way; layout and playback wait for it
    bool layoutPending_ = false; // the window was resized during a load
    std::unique_ptr<LoadInputGate> loadGate_; // while loading_: only Cancel and Esc are taken
    bool cancelRequested_ = false;  // Cancel or Esc during the load under way
    bool loadCancelled_ = false;    // the last study load ended by a cancel
    // The study folder as the load under way found it; each folder is listed
    // at most once per load.
    study::StudyFolderIndex* loadFiles_ = nullptr;
};

} // namespace viewer
