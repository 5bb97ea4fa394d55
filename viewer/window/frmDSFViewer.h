// The viewer's main window: a column of settings frames on the left and up to
// four view panels on the right, each showing one view of the daylight study
// frame by frame. The procedures are split by concern over several files:
// frmDSFViewer.cpp (controls), _Loading (start, open, load), _Panels (panel
// settings and images), _Playback (frames and playback), _Layout (placement).
#pragma once

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
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTextEdit;
class QTimer;

namespace imaging {
class ImagingControl;
}
namespace study {
class StudyFolderIndex;
class StudyModule;
}
namespace ui {
class UiServices;
}

namespace viewer {

class LoadInputGate;
class UpDownSpinner;

struct ViewerOptions {
    // Where the start-up picture lies; "" is the program's own folder.
    QString ProgramFolder;
    // Threads that decode a panel's images: 0 one per core, 1 none besides the window's.
    int DecodeWorkers = 0;
    // Longest pause between two looks at the clock while playback waits; a
    // clock that tests move by hand is looked at more often.
    int WaitPollMilliseconds = 50;
};

inline constexpr char kDesignCaption[] = "HALVEX Daystrand - Study Name:";
inline constexpr char kPlaceholderFileName[] = "HALVEX-Daystrand.jpg";

// Windows virtual-key codes of the keys the window answers.
inline constexpr int kKeyPageUp = 33;
inline constexpr int kKeyPageDown = 34;
inline constexpr int kKeyEnd = 35;
inline constexpr int kKeyHome = 36;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;

class frmDSFViewer : public QMainWindow {
    Q_OBJECT

public:
    frmDSFViewer(study::StudyModule& module, ui::UiServices& ui, ViewerOptions options = {},
                 QWidget* parent = nullptr);
    ~frmDSFViewer() override;

    // --- window state shared by the procedures ---
    bool UpdatesSuspended = false;           // panel loads and notices do nothing while True
    std::array<bool, kPanelCount> PanelNotCurrent{}; // settings changed since the panel was loaded
    QStringList StudyDates{QString()};       // distinct dates of view 1, entries 1 .. n
    bool FrameStepInProgress = false;        // a frame command is writing cbxDate itself
    bool Activated = false;                  // the first activation's work is done

    // --- start-up, opening and loading ---
    void Form_Load();
    void Form_Activate();
    // False refuses the close (playback is running).
    bool Form_QueryUnload();
    // The Open command: choose a DVF or DVP and display it.
    void OpenStudy();
    void msbOpenFile(QString& Filename, QString& Ext);
    void msbLoadAndDisplay(const QString& lstFilename);
    void msbLoadStudyFile(const QString& StudyFilename);

    // --- panel settings and images ---
    void msbSetStudySettings();
    void msbLoadImageFiles(const qint16& Index, QString& ErrMsg);
    void msbRefreshNotice(const qint16& Index);
    void cbxViewName_Click(int Index);
    void cbxSkyConditions_Click(int Index);
    void optElectricOn_Click(int Index);
    void optElectricOff_Click(int Index);
    void optRGB_Click(int Index);
    void optPseudo_Click(int Index);

    // --- frames and playback ---
    void msbUpdateViews(const qint32& CurrentFrame);
    void cmdFirst_Click();
    void cmdPrevious_Click();
    void cmdPlay_Click();
    void cmdStop_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void spnDelay_UpClick();
    void spnDelay_DownClick();
    void msbDateTimeChange();
    void cbxDate_Click();
    void cmdRefresh_Click(int Index);
    // KeyCode is a Windows virtual-key code; Shift (Shift 1, Ctrl 2, Alt 4) is not looked at.
    void Form_KeyDown(int KeyCode, int Shift);

    // --- layout ---
    void msbResizeViews();
    void msbShiftDisplay(const qint16& ShiftType);
    void ToggleScreen();
    void chkDisplay_Click(int Index);
    void cmdReset_Click();
    void LEADV_MouseDown(int Index, int Button);
    void Form_Resize();

    // --- menu bar ---
    // Runs the command whose identifier is Tool ("ID_Open", "ID_About..." and
    // so on); any other text, a menu title among them, runs nothing.
    void stbMain_ToolClick(const QString& Tool);
    QMenuBar* stbMain() const;

    // --- controls other parts of the program use ---
    imaging::ImagingControl* LEADV(int Index) const { return LEADV_[Index]; }
    imaging::ImagingControl* LEAD2() const { return LEAD2_; }
    study::StudyModule& Module() const { return module_; }
    ui::UiServices& Ui() const { return ui_; }
    // The window's outer size in twips, as the layout measures it.
    qint64 WindowWidthTwips() const;
    qint64 WindowHeightTwips() const;
    double TwipsPerPixelX() const;
    double TwipsPerPixelY() const;
    // The loading progress bar's value, 0 to 100, with its fractions.
    double LoadProgressValue() const;
    // Stops the load under way (the Cancel button and Esc do the same); the
    // window is left without a study. Nothing happens when nothing loads.
    void CancelLoad();

signals:
    // A frame was put on display by playback.
    void PlaybackFrameShown(int frame);
    // Playback has ended, after the last frame's delay or a stop.
    void PlaybackEnded();
    // The loading progress bar moved.
    void LoadProgressChanged(double value);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // frmDSFViewer.cpp: the controls.
    void CreateControls();
    QGroupBox* CreateSiteFrame();
    QGroupBox* CreateViewFrame();
    QGroupBox* CreateDisplayFrame();
    QGroupBox* CreatePlaybackFrame();
    QWidget* CreatePanelTab(int index);
    void ConnectHandlers();
    // _Menu
    void CreateMenu();

    // _Loading
    void EnsureLoaded();
    void SetLoadProgress(double value);
    // Lets the window paint and take a cancel while a load works.
    void PumpDuringLoad();
    // Throws LoadCancelled once a cancel has been asked for.
    void ThrowIfCancelled() const;
    // The state a cancelled study load leaves: no study, empty panels.
    void ShowNoStudy();
    // The line at the foot of the window; "" hides it.
    void ShowStatus(const QString& text);

    // _Panels
    class LoadingScope;
    PanelChoice PanelChoiceOf(int Index) const;
    // What each of the six panel-setting handlers does.
    void MarkPanelChanged(int Index);

    // _Playback
    // Reloads flagged panels and takes the focus; false when there is no frame.
    bool CommonStart();
    // Puts CurrentFrame's date in cbxDate, then refreshes the frame display.
    void ShowCurrentFrame();

    // One pass of playback: check Stop, show the next frame, start its wait.
    void PlaybackStep();
    // Ends the wait once the delay has fully passed.
    void PlaybackWaitCheck();
    void FinishPlayback();
    void SchedulePlayback(int milliseconds);

    // _Layout
    void ShowPlaceholder();
    QRect TwipsToClient(const TwipRect& rect) const;
    PanelLayoutInput LayoutInput() const;

    study::StudyModule& module_;
    ui::UiServices& ui_;
    ViewerOptions options_;

    // Controls, named as the program's code names them.
    std::array<imaging::ImagingControl*, kPanelCount> LEADV_{};
    imaging::ImagingControl* LEAD2_ = nullptr;
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
    QTextEdit* rtfSiteName_ = nullptr;
    QLineEdit* txtSiteLatitude_ = nullptr;
    QLineEdit* txtSiteLongitude_ = nullptr;
    QLineEdit* txtSiteCompass_ = nullptr;
    QLineEdit* txtFocus_ = nullptr;
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

    bool loaded_ = false;     // Form_Load has run
    double loadProgress_ = 0;
    int loading_ = 0;         // a panel load is decoding; layout and playback wait for it
    bool layoutPending_ = false; // the window was resized during a load
    std::unique_ptr<LoadInputGate> loadGate_; // while loading_: only Cancel and Esc are taken
    bool cancelRequested_ = false;  // Cancel or Esc during the load under way
    bool loadCancelled_ = false;    // the last study load ended by a cancel
    // The study folder as the load under way found it; each folder is listed
    // at most once per load.
    study::StudyFolderIndex* loadFiles_ = nullptr;

    struct Playback {
        bool active = false;
        qint32 next = 0;     // the frame the loop shows next
        qint32 last = 0;     // the frame it ends with, read once
        double delay = 0;    // seconds, read once
        double waitStart = 0;
        bool waiting = false;
    } playback_;
    QTimer* playbackTimer_ = nullptr;
};

} // namespace viewer
