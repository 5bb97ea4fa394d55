// The Package Study dialog: where to write the package and which optional file
// kinds of the study's folder go in, then the package written on Ok.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace study {
class StudyModule;
}
namespace ui {
class UiServices;
}

namespace packaging {

inline constexpr char kMsgNoStudy[] =
    "Study must be opened and loaded to package. Please open Study using the File-Open command and try again.";
inline constexpr char kTitleNoStudy[] = "Package Study";
inline constexpr char kMsgOverwrite[] = "File already exists, would you like to overwrite?";
inline constexpr char kTitleOverwrite[] = "Package Daylight Study";
inline constexpr char kMsgInvalidName[] = "Invalid filename, please change and try again.";
inline constexpr char kTitleCreate[] = "Create Daylight Study Package File";
inline constexpr char kMsgNothingToPack[] =
    "The study's folder holds no study file and no images, so there is nothing to package.";
inline constexpr char kMsgWriteFailed[] = "The package could not be written.";
inline constexpr char kMsgOldPackageKept[] = "The file that was already there has been left as it was.";

// Packages at least this large show a progress bar while they are written.
inline constexpr quint64 kProgressThresholdBytes = 4u << 20;

class frmDSFPackage : public QDialog {
    Q_OBJECT

public:
    // Reads the study's folder to set up the check boxes; module and ui must
    // outlive the dialog.
    frmDSFPackage(const study::StudyModule& module, ui::UiServices& ui, QWidget* parent = nullptr);

    // True when the study's folder holds a radiosity solution file.
    bool RsfPresent() const { return rsfPresent_; }

    void chkHALVEX_Click();
    void cmdChange_Click();
    void cmdOk_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void ShowProgress(quint64 done, quint64 total);
    void Warn(const QString& text, const QString& title);

    const study::StudyModule& module_;
    ui::UiServices& ui_;
    bool rsfPresent_ = false;
    bool writing_ = false;
    QCheckBox* chkHALVEX_;
    QCheckBox* chkRSFFiles_;
    QLineEdit* txtFilename_;
    QProgressBar* pgbPackage_;
};

// The Package Study command: tells the user to open a study first when none is
// loaded (no study name, or no study file on display), otherwise shows the
// dialog modally over parent.
void msbPackageFile(const study::StudyModule& module, ui::UiServices& ui, QWidget* parent);

} // namespace packaging
