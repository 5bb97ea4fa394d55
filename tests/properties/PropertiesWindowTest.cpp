// The properties window as a user meets it: its controls, the grid's rows and
// column widths, Copy with its self-closing notice, Help and Close.
#include "PropertyStudies.h"
#include "TestPaths.h"

#include "platform/ui/FakeUi.h"
#include "viewer/properties/PropertyModel.h"
#include "viewer/properties/frmDSFProperties.h"
#include "viewer/properties/frmPropertiesCopied.h"
#include "viewer/settings/HelpTopics.h"
#include "viewer/study/StudyModule.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace properties;
using namespace proptest;

namespace {

struct HelpRecorder : settings::HelpPresenter {
    std::vector<std::pair<QString, qint32>> opened;
    bool OpenHelp(const QString& helpFile, qint32 topicId) override
    {
        opened.emplace_back(helpFile, topicId);
        return true;
    }
    void ShowMessage(const QString&, const QString&) override {}
};

study::StudyModule LoadedModule(const std::string& studyFile)
{
    study::StudyModule module;
    module.Study = ReadStudy(studyFile);
    module.TotalFrames = 3;
    return module;
}

template <class T>
T* Find(const QWidget& window, const char* name)
{
    T* child = window.findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

} // namespace

TEST(PropertiesWindow, ControlsCarryTheirNamesAndCaptions)
{
    study::StudyModule module = LoadedModule(TwoViewsThreeSamples());
    ui::FakeUi fake;
    frmDSFProperties form(module, fake);
    EXPECT_EQ(form.objectName(), QStringLiteral("frmDSFProperties"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Daylight Study Properties"));
    EXPECT_EQ(Find<QGroupBox>(form, "Frame1")->title(), QStringLiteral("Daylight Study Properties"));
    EXPECT_EQ(Find<QPushButton>(form, "cmdCopy")->text(), QStringLiteral("Copy..."));
    EXPECT_EQ(Find<QPushButton>(form, "cmdHelp")->text(), QStringLiteral("Help"));
    EXPECT_EQ(Find<QPushButton>(form, "cmdClose")->text(), QStringLiteral("Close"));
    QTableView* grid = Find<QTableView>(form, "TDBGrid1");
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->model()->columnCount(), 8);
    QStringList headers;
    for (int c = 0; c < 8; ++c)
        headers << grid->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers.join(QLatin1Char('|')),
              QStringLiteral("View Name|Sky|Electric|RGB File|Pseudo File|Date|Time|HALVEX File"));
    // Building the table shows the hourglass and puts the pointer back.
    ASSERT_EQ(fake.cursorChanges.size(), 2u);
    EXPECT_EQ(fake.cursorChanges[0], ui::CursorShape::Hourglass);
    EXPECT_EQ(fake.cursorChanges[1], ui::CursorShape::Default);
}

TEST(PropertiesWindow, GridServesEveryCellAsTheBookmarkProceduresDo)
{
    study::StudyModule module = LoadedModule(TwoViewsThreeSamples());
    ui::FakeUi fake;
    frmDSFProperties form(module, fake);
    QAbstractItemModel* model = Find<QTableView>(form, "TDBGrid1")->model();
    ASSERT_EQ(model->rowCount(), 8);
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(model->data(model->index(r, c)), form.Model().CellRequest(BookmarkFromRow(r), c)) << r << c;
    }
    EXPECT_EQ(model->data(model->index(4, 0)).toString(), QStringLiteral("South"));
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(form.Model().CellRequest(QStringLiteral(" 0"), 8).isNull());

    qint32 position = 42;
    EXPECT_EQ(form.Model().RelativeRowRequest(QStringLiteral(" 5"), 2, position), QVariant(QStringLiteral(" 7")));
    EXPECT_EQ(position, 7);
    EXPECT_TRUE(form.Model().RelativeRowRequest(QStringLiteral(" 5"), 3, position).isNull());
    EXPECT_EQ(position, 7); // left as it was
}

TEST(PropertiesWindow, ColumnsAreAsWideAsTheirWidestTextPlusThePad)
{
    study::StudyModule module = LoadedModule(EmptyNamesAndDaylightSaving());
    ui::FakeUi fake;
    frmDSFProperties form(module, fake);
    QTableView* grid = Find<QTableView>(form, "TDBGrid1");
    const QFontMetricsF metrics(grid->font());
    const double dpi = grid->logicalDpiX();
    const auto twips = [&](const char* text) {
        return std::nearbyint(metrics.horizontalAdvance(QString::fromUtf8(text)) * 1440.0 / dpi);
    };
    EXPECT_EQ(grid->columnWidth(1), TwipsToPixels(twips("Unknown (262144)") + 120, dpi));
    EXPECT_EQ(grid->columnWidth(2), TwipsToPixels(twips("Electric") + 120, dpi));
    EXPECT_EQ(grid->columnWidth(7), TwipsToPixels(std::max(twips("HALVEX File"), twips("atrium.hvx")) + 120, dpi));
    EXPECT_GT(grid->columnWidth(1), grid->columnWidth(2));
}

TEST(PropertiesWindow, CopyReplacesTheClipboardAndShowsTheNotice)
{
    study::StudyModule module = LoadedModule(EmptyNamesAndDaylightSaving());
    ui::FakeUi fake;
    frmDSFProperties form(module, fake);
    QGuiApplication::clipboard()->setText(QStringLiteral("something else entirely"));

    QString noticeText;
    int timerInterval = 0;
    bool timerWaitedForShow = false;
    int noticeResult = -1;
    bool stayedOnTop = false;
    fake.onModal = [&](QDialog& dialog) {
        noticeText = dialog.findChild<QLabel*>(QStringLiteral("labCopied"))->text();
        stayedOnTop = dialog.windowFlags() & Qt::WindowStaysOnTopHint;
        QTimer* timer = dialog.findChild<QTimer*>(QStringLiteral("tmrCopied"));
        timerInterval = timer->interval();
        timerWaitedForShow = !timer->isActive();
        dialog.show();
        EXPECT_TRUE(timer->isActive());
        // Fire the notice's own timer now rather than wait two seconds.
        timer->start(0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 5000));
        noticeResult = dialog.result();
        return dialog.result();
    };
    Find<QPushButton>(form, "cmdCopy")->click();

    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), std::string(kEmptyNamesCopyText));
    ASSERT_EQ(fake.modals.size(), 1u);
    EXPECT_EQ(fake.modals[0].objectName, QStringLiteral("frmPropertiesCopied"));
    EXPECT_EQ(noticeText, QStringLiteral("Tab Delimited Text Copied To Clipboard"));
    EXPECT_EQ(timerInterval, 2000);
    EXPECT_TRUE(timerWaitedForShow);
    EXPECT_TRUE(stayedOnTop);
    EXPECT_EQ(noticeResult, QDialog::Accepted);

    // A second copy replaces the first entirely.
    module.Study.StudyName = QStringLiteral("Renamed");
    fake.onModal = nullptr;
    Find<QPushButton>(form, "cmdCopy")->click();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("Daylight Study Properties: Renamed\r\n")));
}

TEST(PropertiesWindow, HelpOpensTopic105AndCloseCloses)
{
    testsupport::TempDir dir;
    study::StudyModule module = LoadedModule(TwoViewsThreeSamples());
    module.HelpFile = QString::fromStdString(dir.Write("HALVEX-Daystrand.chm", "help").string());
    HelpRecorder help;
    settings::SetHelpPresenter(&help);
    ui::FakeUi fake;
    frmDSFProperties form(module, fake);
    form.show();
    Find<QPushButton>(form, "cmdHelp")->click();
    settings::SetHelpPresenter(nullptr);
    ASSERT_EQ(help.opened.size(), 1u);
    EXPECT_EQ(help.opened[0].first, module.HelpFile);
    EXPECT_EQ(help.opened[0].second, 105);

    EXPECT_TRUE(form.isVisible());
    Find<QPushButton>(form, "cmdClose")->click();
    EXPECT_FALSE(form.isVisible());
}

TEST(PropertiesWindow, TheCommandNeedsFrames)
{
    study::StudyModule module = LoadedModule(TwoViewsThreeSamples());
    ui::FakeUi fake;
    module.TotalFrames = 0;
    ShowStudyProperties(module, fake, nullptr);
    EXPECT_TRUE(fake.modals.empty());
    EXPECT_TRUE(fake.messages.empty());

    module.TotalFrames = 1;
    int rows = -1;
    fake.onModal = [&](QDialog& dialog) {
        rows = dialog.findChild<QTableView*>(QStringLiteral("TDBGrid1"))->model()->rowCount();
        return int(QDialog::Rejected);
    };
    ShowStudyProperties(module, fake, nullptr);
    ASSERT_EQ(fake.modals.size(), 1u);
    EXPECT_EQ(fake.modals[0].objectName, QStringLiteral("frmDSFProperties"));
    EXPECT_EQ(fake.modals[0].windowTitle, QStringLiteral("Daylight Study Properties"));
    EXPECT_EQ(rows, 8);
}
