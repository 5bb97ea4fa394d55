// Loading a study: files that are no study, and a load cancelled part way
// through, by its button or by Esc, while other input waits.
#include "WindowFixture.h"

#include "Watchdog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>

#include <sys/stat.h>

namespace windowtest {
namespace {

class LoadingTest : public WindowTest {
protected:
    // Runs `act` once, when the load of the first panel is part way through.
    void DuringFirstPanel(std::function<void()> act)
    {
        auto done = std::make_shared<bool>(false);
        QObject::connect(window_.get(), &viewer::frmDSFViewer::LoadProgressChanged, window_.get(),
                         [done, act](double value) {
                             if (!*done && value > 0 && value < 25) {
                                 *done = true;
                                 act();
                             }
                         });
    }

    void SendKey(QWidget* target, Qt::Key key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
    }

    void ExpectNoStudy()
    {
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(Panel(i)->isHidden()) << i;
            EXPECT_EQ(Panel(i)->ImageCount(), 0) << i;
        }
        EXPECT_EQ(module_.TotalFrames, 0);
        EXPECT_EQ(module_.LoadedStudyFile, "");
        EXPECT_EQ(window_->windowTitle(), "HALVEX Daystrand - Study Name:");
        EXPECT_EQ(Combo("cbxDate")->count(), 0);
        EXPECT_EQ(Box("txtSiteLatitude")->text(), "");
        EXPECT_TRUE(Find<QGroupBox>("fraLoad")->isHidden());
        EXPECT_EQ(Find<QLabel>("labStatus")->text(), "Loading was cancelled; no study is on display.");
        EXPECT_FALSE(window_->statusBar()->isHidden());
    }
};

TEST_F(LoadingTest, APipeOrADeviceAsTheStudyIsRefusedByName)
{
    const std::string fifo = PathOf("pipe.dvf").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    testsupport::Watchdog watchdog("opening a pipe as a study", std::chrono::seconds(20));
    for (const QString& path : {QString::fromStdString(fifo), QStringLiteral("/dev/zero")}) {
        ui_.messages.clear();
        Open(path);
        ASSERT_EQ(ui_.messages.size(), 1u);
        EXPECT_TRUE(ui_.messages[0].text.contains("): Not a study file but a device, pipe or socket: " + path))
            << ui_.messages[0].text.toStdString();
    }
}

TEST_F(LoadingTest, CancelLeavesNoStudyAndTheNextOpenWorks)
{
    Open(WriteStudy(SimpleStudy(2, 4), "first.dvf"));
    ASSERT_EQ(module_.TotalFrames, 4);
    DuringFirstPanel([this] { Button("cmdCancelLoad")->click(); });
    Open(WriteStudy(SimpleStudy(2, 6), "second.dvf"));
    ExpectNoStudy();
    EXPECT_EQ(Button("cmdCancelLoad")->text(), "Cancel");

    // Nothing half loaded answers the panel commands, and Package Study has no study to pack.
    Button("cmdRefresh(0)")->click();
    EXPECT_EQ(Panel(0)->ImageCount(), 0);
    window_->stbMain_ToolClick("ID_PackageStudy");
    EXPECT_EQ(ui_.messages.back().title, "Package Study");
    EXPECT_TRUE(ui_.modals.empty());

    Open(PathOf("second.dvf"));
    EXPECT_EQ(module_.TotalFrames, 6);
    EXPECT_EQ(Panel(1)->ImageCount(), 6);
    EXPECT_TRUE(window_->statusBar()->isHidden());
}

TEST_F(LoadingTest, EscCancelsWhileOtherKeysAndClicksWait)
{
    Open(WriteStudy(SimpleStudy(1, 3), "first.dvf"));
    bool pressed = true;
    int viewIndex = -1;
    DuringFirstPanel([&] {
        // A click and a frame key are no commands during a load; Esc is its cancel.
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(Button("cmdNext"), &press);
        pressed = Button("cmdNext")->isDown();
        SendKey(Views(0), Qt::Key_Up);
        viewIndex = Views(0)->currentIndex();
        SendKey(window_.get(), Qt::Key_Escape);
    });
    Open(WriteStudy(SimpleStudy(1, 5), "second.dvf"));
    ExpectNoStudy();
    EXPECT_FALSE(pressed);
    EXPECT_EQ(viewIndex, 1);
    EXPECT_EQ(Views(0)->count(), 1); // only "<Select View>" is left
    EXPECT_FALSE(module_.PlaybackRunning);
}

} // namespace
} // namespace windowtest
