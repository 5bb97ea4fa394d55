#include "viewer/window/frmAbout.h"

#include "platform/ui/UiServices.h"
#include "viewer/window/NumberText.h"
#include "viewer/window/ProgramVersion.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace viewer {

VersionInfo ProgramVersionInfo()
{
    VersionInfo info;
    info.ProductName = QString::fromUtf8(kProductName);
    info.Major = kVersionMajor;
    info.Minor = kVersionMinor;
    info.Revision = kVersionRevision;
    info.FileDescription = QString::fromUtf8(kFileDescription);
    info.LegalCopyright = QString::fromUtf8(kLegalCopyright);
    return info;
}

QString VersionLine(const VersionInfo& info)
{
    return QStringLiteral("Version: %1.%2  Revision: %3")
        .arg(info.Major)
        .arg(info.Minor)
        .arg(SpaceSigned(info.Revision));
}

namespace {

// The application icon as the desktop shows it, built into the program.
QString IconFile(int size)
{
    return QStringLiteral(":/icons/hicolor/%1x%1/apps/" HALVEX_APP_ID ".png").arg(size);
}

QLabel* Label(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(IconFile(size), QSize(size, size));
    return icon;
}

frmAbout::frmAbout(QWidget* parent, VersionInfo info) : QDialog(parent), info_(std::move(info))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* fraAbout = new QGroupBox(QStringLiteral("Information"), this);
    fraAbout->setObjectName(QStringLiteral("fraAbout"));
    auto* imgLogo = new QLabel(fraAbout);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(QPixmap(IconFile(16)));
    imgLogo->setFixedSize(16, 16);

    labProductName_ = Label(QStringLiteral("labProductName"), fraAbout);
    QFont bold = labProductName_->font();
    bold.setBold(true);
    labProductName_->setFont(bold);
    labVersion_ = Label(QStringLiteral("labVersion"), fraAbout);
    labDescription_ = Label(QStringLiteral("labDescription"), fraAbout);
    labCopyright_ = Label(QStringLiteral("labCopyright"), fraAbout);
    auto* labAbout0 = Label(QStringLiteral("labAbout(0)"), fraAbout);
    labAbout0->setText(QStringLiteral("Frames are decoded with libjpeg-turbo; packages are read with "
                                      "libmspack and written with zlib."));
    auto* labAbout1 = Label(QStringLiteral("labAbout(1)"), fraAbout);
    labAbout1->setText(QStringLiteral("Built with the Qt toolkit."));
    for (QLabel* label : {labAbout0, labAbout1})
        label->setWordWrap(true);

    auto* title = new QHBoxLayout;
    title->addWidget(imgLogo, 0, Qt::AlignTop);
    title->addWidget(labProductName_, 1);
    auto* frameLayout = new QVBoxLayout(fraAbout);
    frameLayout->addLayout(title);
    for (QLabel* label : {labVersion_, labDescription_, labCopyright_, labAbout0, labAbout1})
        frameLayout->addWidget(label);

    auto* cmdOk = new QPushButton(QStringLiteral("Close"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    connect(cmdOk, &QPushButton::clicked, this, &frmAbout::cmdOk_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraAbout);
    layout->addWidget(cmdOk, 0, Qt::AlignRight);
    setMinimumWidth(380);

    Form_Load();
}

void frmAbout::Form_Load()
{
    // Above every ordinary window, where it was and as large as it was.
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowTitle(QStringLiteral("About ") + info_.ProductName);
    labProductName_->setText(info_.ProductName);
    labVersion_->setText(VersionLine(info_));
    labDescription_->setText(info_.FileDescription);
    labCopyright_->setText(info_.LegalCopyright);
}

void frmAbout::cmdOk_Click()
{
    accept();
}

void frmAbout::closeEvent(QCloseEvent* event)
{
    // The title bar's close button closes the box the way Close does.
    event->accept();
    cmdOk_Click();
}

void ShowAbout(ui::UiServices& ui, QWidget* parent)
{
    frmAbout about(parent);
    ui.ShowModal(about);
}

} // namespace viewer
