// The window's side of a long export: the panels as shown make the scene, and
// the runner reports on the window's thread, stops on Cancel and never leaves
// its thread running.
#include "ExportStudy.h"

#include "viewer/export/ExportRunner.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QThread>

#include <atomic>

using namespace exporting;
using exporttest::ExportStudy;

namespace {

TEST(SceneAsShown, KeepsThePanelsPlacesAndZoomAtTheChosenScale)
{
    const ExportStudy study;
    const viewer::PanelChoice choice = DefaultChoice(study.Record());
    // Two panels stacked as the window stacks them, the second 4 pixels over the first.
    const std::vector<ShownPanel> shown{{{1, choice}, QRect(250, 4, 160, 100), 0},
                                        {{2, choice}, QRect(250, 100, 160, 100), 150}};
    const ExportScene screen = SceneAsShown(study.Record(), study.Folder(), shown, 1.0, true);
    EXPECT_EQ(screen.Layout.Size, QSize(160, 196));
    EXPECT_EQ(screen.Layout.Cells[0].Cell, QRect(0, 0, 160, 100));
    EXPECT_EQ(screen.Layout.Cells[1].Cell, QRect(0, 96, 160, 100));
    EXPECT_EQ(screen.Layout.Cells[1].ZoomPercent, 150);
    EXPECT_TRUE(screen.Captions);
    EXPECT_EQ(screen.FrameCount(), 6);

    const ExportScene twice = SceneAsShown(study.Record(), study.Folder(), shown, 2.0, false);
    EXPECT_EQ(twice.Layout.Size, QSize(320, 392));
    EXPECT_EQ(twice.Layout.Cells[1].Cell, QRect(0, 192, 320, 200));
    EXPECT_EQ(twice.Layout.Scale, 2.0);
    // A zoomed panel shows its image at twice the size too: 64 x 40 at 150%, doubled.
    EXPECT_EQ(ImageRectInCell(twice.Layout.Cells[1], QSize(64, 40), twice.Layout.Scale).size(), QSizeF(192, 120));
}

TEST(ExportRunner, ReportsOnItsOwnersThreadAndStopsOnCancel)
{
    ExportRunner runner;
    QSignalSpy progress(&runner, &ExportRunner::Progress);
    QSignalSpy finished(&runner, &ExportRunner::Finished);
    std::atomic<bool> jobOnOwnThread{true};
    const QThread* owner = QThread::currentThread();
    ASSERT_TRUE(runner.Start([&](const ExportProgress& report) {
        jobOnOwnThread.store(QThread::currentThread() != owner);
        ExportOutcome outcome;
        for (int done = 1; done <= 1000000; ++done) {
            if (!report(done, 1000000)) {
                outcome.Cancelled = true;
                return outcome;
            }
            QThread::usleep(100);
        }
        return outcome;
    }));
    EXPECT_TRUE(runner.Running());
    EXPECT_FALSE(runner.Start([](const ExportProgress&) { return ExportOutcome(); })) << "one export at a time";
    ASSERT_TRUE(progress.wait(10000));
    EXPECT_GE(progress.front().at(0).toInt(), 1);
    runner.Cancel();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(finished.front().at(0).value<ExportOutcome>().Cancelled);
    EXPECT_FALSE(runner.Running());
    EXPECT_TRUE(jobOnOwnThread.load());

    // A job that throws ends as a failure with its text.
    ASSERT_TRUE(runner.Start([](const ExportProgress&) -> ExportOutcome { throw std::runtime_error("disk on fire"); }));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.back().at(0).value<ExportOutcome>().Error, QStringLiteral("disk on fire"));
}

TEST(ExportRunner, GoingAwayWhileAnExportRunsCancelsItAndWaits)
{
    std::atomic<bool> stopped{false};
    {
        ExportRunner runner;
        runner.Start([&](const ExportProgress& report) {
            while (report(0, 1))
                QThread::usleep(100);
            stopped.store(true);
            return ExportOutcome();
        });
    }
    EXPECT_TRUE(stopped.load());
}

} // namespace
