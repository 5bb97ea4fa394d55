// The About box: which program this is and which version, taken from the
// version information the build compiled into it.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>

class QLabel;

namespace ui {
class UiServices;
}

namespace viewer {

// What the About box shows; the program's own comes from ProgramVersionInfo().
struct VersionInfo {
    QString ProductName;
    int Major = 0;
    int Minor = 0;
    int Revision = 0;
    QString FileDescription;
    QString LegalCopyright;
};

VersionInfo ProgramVersionInfo();

// "Version: 2.0  Revision:  0": major and minor bare, the revision space-signed.
QString VersionLine(const VersionInfo& info);

// The program's small icon: a sun over a window pane, drawn at any size.
QIcon ProgramIcon();

class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr, VersionInfo info = ProgramVersionInfo());

    void Form_Load();
    void cmdOk_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    VersionInfo info_;
    QLabel* labProductName_;
    QLabel* labVersion_;
    QLabel* labDescription_;
    QLabel* labCopyright_;
};

// Help, About: the About box shown modally over parent.
void ShowAbout(ui::UiServices& ui, QWidget* parent);

} // namespace viewer
