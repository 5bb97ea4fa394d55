#include "viewer/properties/frmDSFProperties.h"

#include "platform/ui/UiServices.h"
#include "viewer/properties/CopyText.h"
#include "viewer/properties/PropertyModel.h"
#include "viewer/properties/frmPropertiesCopied.h"
#include "viewer/settings/HelpTopics.h"
#include "viewer/study/StudyModule.h"

#include <QClipboard>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace properties {

namespace {

QPushButton* Button(const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmDSFProperties::frmDSFProperties(const study::StudyModule& module, ui::UiServices& ui, QWidget* parent)
    : QDialog(parent), module_(module), ui_(ui)
{
    setObjectName(QStringLiteral("frmDSFProperties"));
    setWindowTitle(QStringLiteral("Daylight Study Properties"));
    setSizeGripEnabled(true);

    auto* frame = new QGroupBox(QStringLiteral("Daylight Study Properties"));
    frame->setObjectName(QStringLiteral("Frame1"));
    grid_ = new QTableView;
    grid_->setObjectName(QStringLiteral("TDBGrid1"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setWordWrap(false);
    grid_->setTextElideMode(Qt::ElideNone);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Rows of one height let the view scroll a large study without measuring it.
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(grid_);

    auto* cmdCopy = Button("cmdCopy", QStringLiteral("Copy..."));
    auto* cmdHelp = Button("cmdHelp", QStringLiteral("Help"));
    auto* cmdClose = Button("cmdClose", QStringLiteral("Close"));
    connect(cmdCopy, &QPushButton::clicked, this, &frmDSFProperties::cmdCopy_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmDSFProperties::cmdHelp_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmDSFProperties::cmdClose_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCopy);
    buttons->addWidget(cmdHelp);
    buttons->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);

    msbLoadProperties();
}

frmDSFProperties::~frmDSFProperties() = default;

void frmDSFProperties::msbLoadProperties()
{
    ui::CursorGuard busy(ui_, ui::CursorShape::Hourglass);

    // Widths are kept in twips, as the table's layout rules are written, and
    // turned into pixels at the screen's logical resolution.
    const QFontMetricsF metrics(grid_->font());
    const double dpi = grid_->logicalDpiX();
    table_ = BuildPropertyTable(module_.Study, [&](const QString& text) {
        return metrics.horizontalAdvance(text) * 1440.0 / dpi;
    });

    model_ = new PropertyModel(table_, this);
    grid_->setModel(model_);
    for (qint32 c = 0; c < kPropertyColumns; ++c)
        grid_->setColumnWidth(c, TwipsToPixels(double(table_.TextWidths[c]) + kColumnPadTwips, dpi));
    SizeToTable();
}

void frmDSFProperties::SizeToTable()
{
    int tableWidth = 0;
    for (qint32 c = 0; c < kPropertyColumns; ++c)
        tableWidth += grid_->columnWidth(c);
    const int wanted = tableWidth + 2 * grid_->frameWidth() + grid_->verticalScrollBar()->sizeHint().width() + 48;
    const int rows = std::min<qint32>(table_.PropertyRowCount, 16);
    const int height = grid_->horizontalHeader()->sizeHint().height()
                       + std::max(rows, 4) * grid_->verticalHeader()->defaultSectionSize() + 120;
    QSize size(std::max(wanted, 520), height);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

void frmDSFProperties::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    raise();
}

void frmDSFProperties::cmdCopy_Click()
{
    const QString text = PropertiesCopyText(module_.Study.StudyName, table_);
    // One call, one text item: a paste never sees half of it.
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);

    frmPropertiesCopied notice(this);
    notice.SetMessage(QLatin1String(kNoticeCopied));
    ui_.ShowModal(notice);
}

void frmDSFProperties::cmdHelp_Click()
{
    settings::ShowHelpTopic(module_.HelpFile, settings::kTopicStudyProperties);
}

void frmDSFProperties::cmdClose_Click()
{
    close();
}

void ShowStudyProperties(const study::StudyModule& module, ui::UiServices& ui, QWidget* parent)
{
    if (module.TotalFrames <= 0)
        return;
    frmDSFProperties form(module, ui, parent);
    ui.ShowModal(form);
}

} // namespace properties
