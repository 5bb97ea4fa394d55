#include "viewer/window/frmDSFViewer.h"

#include "platform/imaging/FrameScheduler.h"
#include "platform/imaging/ImagingControl.h"
#include "platform/ui/UiServices.h"
#include "viewer/export/ExportController.h"
#include "viewer/settings/DataFolders.h"
#include "viewer/settings/ViewerPreferences.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/FramePlayer.h"
#include "viewer/window/LoadInputGate.h"
#include "viewer/window/PanelCaption.h"
#include "viewer/window/UpDownSpinner.h"
#include "viewer/window/frmAbout.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace viewer {

namespace {

// The design size of the window, in twips.
constexpr qint64 kDesignWidth = 16800;
constexpr qint64 kDesignHeight = 11400;

QString Indexed(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QLineEdit* ReadOnlyBox(const QString& name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    // Grey like every box the user cannot type into.
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    box->setPalette(palette);
    // Never focused: a box holding the focus would take the frame keys.
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

// Tight margins: the column has to fit beside the panels on a laptop screen.
template <typename Layout>
Layout* Compact(Layout* layout)
{
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    return layout;
}

QGroupBox* Frame(const QString& name, const QString& caption, QWidget* parent)
{
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    return frame;
}

} // namespace

frmDSFViewer::frmDSFViewer(study::StudyModule& module, ui::UiServices& ui, ViewerOptions options,
                           QWidget* parent)
    : QMainWindow(parent), module_(module), ui_(ui), options_(std::move(options)),
      preferences_(std::make_unique<settings::ViewerPreferences>(options_.PreferencesFile))
{
    setObjectName(QStringLiteral("frmDSFViewer"));
    setWindowTitle(QLatin1String(kDesignCaption));
    if (options_.DataFolders.isEmpty())
        options_.DataFolders = settings::DataFolders();
    captionsShown_ = preferences_->ShowCaptions();
    linkPanels_ = preferences_->LinkPanels();

    setWindowIcon(ProgramIcon());
    player_ = new FramePlayer(ui_, options_.WaitPollMilliseconds, this);
    setAcceptDrops(true);
    frames_ = std::make_unique<imaging::FrameScheduler>(FrameCacheBudget(options_, *preferences_),
                                                        options_.FrameWorkers);
    CreateControls();
    labStatus_ = new QLabel(this);
    labStatus_->setObjectName(QStringLiteral("labStatus"));
    statusBar()->addWidget(labStatus_, 1);
    statusBar()->hide();
    CreateMenu();
    CreateRecentStudiesMenu();
    export_ = new exporting::ExportController(ui_, this);
    connect(export_, &exporting::ExportController::Status, this, [this](const QString& text) { ShowStatus(text); });
    ConnectHandlers();
    ConnectPlayer();
    connect(this, &frmDSFViewer::StudyOpened, this, &frmDSFViewer::RememberStudy);
    ConnectFrames();

    // Small enough for a laptop screen; the column scrolls below its full height.
    setMinimumSize(TwipsToPixels(static_cast<qint64>(kDesignColumnWidth) + 4000, logicalDpiX()),
                   TwipsToPixels(5400, logicalDpiY()));
    resize(TwipsToPixels(kDesignWidth, logicalDpiX()), TwipsToPixels(kDesignHeight, logicalDpiY()));
    RestoreWindow();
}

frmDSFViewer::~frmDSFViewer()
{
    // The panels go with the window's widgets, after the frame cache: they
    // must hold nothing of it by then.
    for (imaging::ImagingControl* panel : LEADV_)
        panel->SetFrameScheduler(nullptr);
}

void frmDSFViewer::CreateControls()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(central);

    // The column keeps its width; in a window lower than its frames it
    // scrolls, its scroll bar taking room from the frames, not from the panels.
    const int columnPixels = TwipsToPixels(static_cast<qint64>(kDesignColumnWidth), logicalDpiX());
    columnScroll_ = new QScrollArea(central);
    columnScroll_->setObjectName(QStringLiteral("columnScroll"));
    columnScroll_->setFrameShape(QFrame::NoFrame);
    columnScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    columnScroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    columnScroll_->setWidgetResizable(true);
    columnScroll_->setFixedWidth(columnPixels);
    column_ = new QWidget;
    column_->setObjectName(QStringLiteral("column"));
    // As wide as the scroll area lets it be, whatever its frames would like;
    // as tall as its frames, scrolled when the window is lower.
    column_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    auto* columnLayout = new QVBoxLayout(column_);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(4);
    columnLayout->addWidget(CreateSiteFrame());
    columnLayout->addWidget(CreateViewFrame());
    columnLayout->addWidget(CreateDisplayFrame());
    columnLayout->addWidget(CreatePlaybackFrame());
    columnLayout->addStretch(1);
    columnScroll_->setWidget(column_);
    columnScroll_->move(TwipsToPixels(kTopMargin, logicalDpiX()), TwipsToPixels(kTopMargin, logicalDpiY()));

    for (int i = 0; i < kPanelCount; ++i) {
        LEADV_[i] = new imaging::ImagingControl(central);
        LEADV_[i]->setObjectName(Indexed("LEADV", i));
        LEADV_[i]->SetInteractive(true);
        LEADV_[i]->hide();
        captions_[i] = new PanelCaption(LEADV_[i]);
        captions_[i]->setObjectName(Indexed("labCaption", i));
    }
    LEAD2_ = new imaging::ImagingControl(central);
    LEAD2_->setObjectName(QStringLiteral("LEAD2"));
    LEAD2_->hide();

    // The pixel readout lies over the foot of the panel area while the pointer
    // is over a panel: a line at the foot of the window would take its height
    // from the panels and move them whenever it came and went.
    labReadout_ = new QLabel(central);
    labReadout_->setObjectName(QStringLiteral("labReadout"));
    labReadout_->setAttribute(Qt::WA_TransparentForMouseEvents);
    labReadout_->setStyleSheet(
        QStringLiteral("QLabel { background: rgba(0, 0, 0, 180); color: white; padding: 2px 6px; }"));
    labReadout_->hide();

    fraLoad_ = CreateLoadFrame(central);
}

QGroupBox* frmDSFViewer::CreateLoadFrame(QWidget* parent)
{
    QGroupBox* frame = Frame(QStringLiteral("fraLoad"), QStringLiteral("Loading Study - Please wait..."), parent);
    // It sits over the pictures: its own background keeps its title whole.
    frame->setAutoFillBackground(true);
    auto* layout = Compact(new QGridLayout(frame));
    pgbLoad_ = new QProgressBar(frame);
    pgbLoad_->setObjectName(QStringLiteral("pgbLoad"));
    // Hundredths, so a quarter split over a panel's frames moves smoothly.
    pgbLoad_->setRange(0, 10000);
    pgbLoad_->setTextVisible(false);
    labLoadStatus_ = new QLabel(frame);
    labLoadStatus_->setObjectName(QStringLiteral("labLoadStatus"));
    cmdCancelLoad_ = new QPushButton(QStringLiteral("Cancel"), frame);
    cmdCancelLoad_->setObjectName(QStringLiteral("cmdCancelLoad"));
    cmdCancelLoad_->setToolTip(QStringLiteral("Stop loading (Esc)"));
    layout->addWidget(pgbLoad_, 0, 0);
    layout->addWidget(cmdCancelLoad_, 0, 1);
    layout->addWidget(labLoadStatus_, 1, 0, 1, 2);
    frame->setMinimumWidth(TwipsToPixels(4800, logicalDpiX()));
    frame->move(TwipsToPixels(static_cast<qint64>(kDesignColumnWidth) + kLeftGap + 600, logicalDpiX()),
                TwipsToPixels(1200, logicalDpiY()));
    frame->hide();
    return frame;
}

QGroupBox* frmDSFViewer::CreateSiteFrame()
{
    QGroupBox* frame = Frame(Indexed("fraHALVEX", 1), QStringLiteral("Site Information"), column_);
    fraHALVEX_[1] = frame;
    auto* grid = Compact(new QGridLayout(frame));
    rtfSiteName_ = new QTextEdit(frame);
    rtfSiteName_->setObjectName(QStringLiteral("rtfSiteName"));
    rtfSiteName_->setReadOnly(true);
    rtfSiteName_->setFocusPolicy(Qt::NoFocus);
    rtfSiteName_->setFixedHeight(rtfSiteName_->fontMetrics().lineSpacing() * 2 + 10);
    grid->addWidget(rtfSiteName_, 0, 0, 1, 3);
    const struct {
        const char* label;
        QLineEdit** box;
        const char* name;
    } rows[] = {{"Latitude", &txtSiteLatitude_, "txtSiteLatitude"},
                {"Longitude", &txtSiteLongitude_, "txtSiteLongitude"},
                {"Compass North", &txtSiteCompass_, "txtSiteCompass"}};
    int row = 1;
    for (const auto& r : rows) {
        *r.box = ReadOnlyBox(QLatin1String(r.name), frame);
        grid->addWidget(new QLabel(QLatin1String(r.label), frame), row, 0);
        grid->addWidget(*r.box, row, 1);
        grid->addWidget(new QLabel(QStringLiteral("Degrees"), frame), row, 2);
        ++row;
    }
    return frame;
}

QWidget* frmDSFViewer::CreatePanelTab(int i)
{
    auto* page = new QWidget;
    auto* layout = Compact(new QVBoxLayout(page));
    layout->addWidget(new QLabel(QStringLiteral("View Name"), page));
    cbxViewName_[i] = new QComboBox(page);
    cbxViewName_[i]->setObjectName(Indexed("cbxViewName", i));
    cbxViewName_[i]->addItem(QStringLiteral("<Select View>"));
    layout->addWidget(cbxViewName_[i]);

    // The sky frame of the second tab is the one the program counts among its frames.
    QGroupBox* sky = Frame(i == 1 ? Indexed("fraHALVEX", 2) : Indexed("fraSkyConditions", i),
                           QStringLiteral("Sky Conditions"), page);
    if (i == 1)
        fraHALVEX_[2] = sky;
    auto* skyLayout = Compact(new QVBoxLayout(sky));
    cbxSkyConditions_[i] = new QComboBox(sky);
    cbxSkyConditions_[i]->setObjectName(Indexed("cbxSkyConditions", i));
    skyLayout->addWidget(cbxSkyConditions_[i]);
    layout->addWidget(sky);

    auto* options = new QHBoxLayout;
    options->setSpacing(4);
    QGroupBox* electric = Frame(Indexed("fraElectric", i), QStringLiteral("Electric Lighting"), page);
    auto* electricLayout = Compact(new QVBoxLayout(electric));
    optElectricOn_[i] = new QRadioButton(QStringLiteral("On"), electric);
    optElectricOn_[i]->setObjectName(Indexed("optElectricOn", i));
    optElectricOff_[i] = new QRadioButton(QStringLiteral("Off"), electric);
    optElectricOff_[i]->setObjectName(Indexed("optElectricOff", i));
    electricLayout->addWidget(optElectricOn_[i]);
    electricLayout->addWidget(optElectricOff_[i]);
    options->addWidget(electric);

    QGroupBox* color = Frame(Indexed("fraColor", i), QStringLiteral("Color"), page);
    auto* colorLayout = Compact(new QVBoxLayout(color));
    optRGB_[i] = new QRadioButton(QStringLiteral("RGB"), color);
    optRGB_[i]->setObjectName(Indexed("optRGB", i));
    optPseudo_[i] = new QRadioButton(QStringLiteral("Pseudo"), color);
    optPseudo_[i]->setObjectName(Indexed("optPseudo", i));
    colorLayout->addWidget(optRGB_[i]);
    colorLayout->addWidget(optPseudo_[i]);
    options->addWidget(color);
    layout->addLayout(options);

    cmdRefresh_[i] = new QPushButton(QStringLiteral("Refresh"), page);
    cmdRefresh_[i]->setObjectName(Indexed("cmdRefresh", i));
    layout->addWidget(cmdRefresh_[i], 0, Qt::AlignRight);
    return page;
}

QGroupBox* frmDSFViewer::CreateViewFrame()
{
    QGroupBox* frame = Frame(Indexed("fraHALVEX", 5), QStringLiteral("View Information"), column_);
    fraHALVEX_[5] = frame;
    auto* layout = Compact(new QVBoxLayout(frame));
    sstViews_ = new QTabWidget(frame);
    sstViews_->setObjectName(QStringLiteral("sstViews"));
    for (int i = 0; i < kPanelCount; ++i)
        sstViews_->addTab(CreatePanelTab(i), QString::number(i + 1));
    layout->addWidget(sstViews_);
    return frame;
}

QGroupBox* frmDSFViewer::CreateDisplayFrame()
{
    QGroupBox* frame = Frame(Indexed("fraHALVEX", 3), QStringLiteral("Current Display"), column_);
    fraHALVEX_[3] = frame;
    auto* grid = Compact(new QGridLayout(frame));
    cbxDate_ = new QComboBox(frame);
    cbxDate_->setObjectName(QStringLiteral("cbxDate"));
    txtTime_ = ReadOnlyBox(QStringLiteral("txtTime"), frame);
    grid->addWidget(new QLabel(QStringLiteral("Date"), frame), 0, 0);
    grid->addWidget(cbxDate_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Time"), frame), 1, 0);
    grid->addWidget(txtTime_, 1, 1);

    auto* displayRow = new QHBoxLayout;
    const SlotCaptions captions = DefaultCaptions();
    for (int i = 0; i < kPanelCount; ++i) {
        chkDisplay_[i] = new QCheckBox(captions[i], frame);
        chkDisplay_[i]->setObjectName(Indexed("chkDisplay", i));
        displayRow->addWidget(chkDisplay_[i]);
    }
    grid->addWidget(new QLabel(QStringLiteral("Display"), frame), 2, 0);
    grid->addLayout(displayRow, 2, 1);
    cmdReset_ = new QPushButton(QStringLiteral("Reset"), frame);
    cmdReset_->setObjectName(QStringLiteral("cmdReset"));
    grid->addWidget(cmdReset_, 3, 1, Qt::AlignRight);
    return frame;
}

QGroupBox* frmDSFViewer::CreatePlaybackFrame()
{
    QGroupBox* frame = Frame(Indexed("fraHALVEX", 4), QStringLiteral("Study Playback"), column_);
    fraHALVEX_[4] = frame;
    auto* layout = Compact(new QVBoxLayout(frame));

    auto* buttons = new QHBoxLayout;
    const struct {
        QPushButton** button;
        const char* name;
        const char* tip;
        QStyle::StandardPixmap picture;
    } commands[] = {
        {&cmdFirst_, "cmdFirst", "First Frame", QStyle::SP_MediaSkipBackward},
        {&cmdPrevious_, "cmdPrevious", "Previous Frame", QStyle::SP_MediaSeekBackward},
        {&cmdPlay_, "cmdPlay", "Start Playback", QStyle::SP_MediaPlay},
        {&cmdStop_, "cmdStop", "Stop Playback", QStyle::SP_MediaStop},
        {&cmdNext_, "cmdNext", "Next Frame", QStyle::SP_MediaSeekForward},
        {&cmdLast_, "cmdLast", "Last Frame", QStyle::SP_MediaSkipForward},
    };
    for (const auto& c : commands) {
        auto* button = new QPushButton(frame);
        button->setObjectName(QLatin1String(c.name));
        button->setToolTip(QLatin1String(c.tip));
        button->setIcon(style()->standardIcon(c.picture));
        *c.button = button;
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);

    auto* frames = new QHBoxLayout;
    txtCurrentFrame_ = ReadOnlyBox(QStringLiteral("txtCurrentFrame"), frame);
    txtTotalFrames_ = ReadOnlyBox(QStringLiteral("txtTotalFrames"), frame);
    frames->addWidget(new QLabel(QStringLiteral("Frame"), frame));
    frames->addWidget(txtCurrentFrame_);
    frames->addWidget(new QLabel(QStringLiteral("Of"), frame));
    frames->addWidget(txtTotalFrames_);
    layout->addLayout(frames);

    auto* delay = new QHBoxLayout;
    txtDelay_ = ReadOnlyBox(QStringLiteral("txtDelay"), frame);
    txtDelay_->setText(QStringLiteral(" 1"));
    spnDelay_ = new UpDownSpinner(1, 50, 10, frame);
    spnDelay_->setObjectName(QStringLiteral("spnDelay"));
    spnDelay_->setFixedHeight(txtDelay_->sizeHint().height());
    delay->addWidget(new QLabel(QStringLiteral("Playback Delay (Sec.)"), frame));
    delay->addWidget(txtDelay_);
    delay->addWidget(spnDelay_);
    layout->addLayout(delay);

    return frame;
}

void frmDSFViewer::ConnectHandlers()
{
    for (int i = 0; i < kPanelCount; ++i) {
        connect(cbxViewName_[i], &QComboBox::activated, this, [this, i] { cbxViewName_Click(i); });
        connect(cbxSkyConditions_[i], &QComboBox::activated, this, [this, i] { cbxSkyConditions_Click(i); });
        connect(optElectricOn_[i], &QRadioButton::clicked, this, [this, i] { optElectricOn_Click(i); });
        connect(optElectricOff_[i], &QRadioButton::clicked, this, [this, i] { optElectricOff_Click(i); });
        connect(optRGB_[i], &QRadioButton::clicked, this, [this, i] { optRGB_Click(i); });
        connect(optPseudo_[i], &QRadioButton::clicked, this, [this, i] { optPseudo_Click(i); });
        connect(cmdRefresh_[i], &QPushButton::clicked, this, [this, i] { cmdRefresh_Click(i); });
        connect(chkDisplay_[i], &QCheckBox::clicked, this, [this, i] { chkDisplay_Click(i); });
        ConnectPanelViews(i);
    }
    connect(cmdReset_, &QPushButton::clicked, this, &frmDSFViewer::cmdReset_Click);
    connect(cbxDate_, &QComboBox::activated, this, &frmDSFViewer::cbxDate_Click);
    connect(cmdFirst_, &QPushButton::clicked, this, &frmDSFViewer::cmdFirst_Click);
    connect(cmdPrevious_, &QPushButton::clicked, this, &frmDSFViewer::cmdPrevious_Click);
    connect(cmdPlay_, &QPushButton::clicked, this, &frmDSFViewer::cmdPlay_Click);
    connect(cmdStop_, &QPushButton::clicked, this, &frmDSFViewer::cmdStop_Click);
    connect(cmdNext_, &QPushButton::clicked, this, &frmDSFViewer::cmdNext_Click);
    connect(cmdLast_, &QPushButton::clicked, this, &frmDSFViewer::cmdLast_Click);
    connect(spnDelay_, &UpDownSpinner::UpClick, this, &frmDSFViewer::spnDelay_UpClick);
    connect(spnDelay_, &UpDownSpinner::DownClick, this, &frmDSFViewer::spnDelay_DownClick);
    connect(cmdCancelLoad_, &QPushButton::clicked, this, &frmDSFViewer::CancelLoad);
}

} // namespace viewer
