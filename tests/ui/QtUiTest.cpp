// The Qt implementation, driven through real message boxes and file dialogs on
// the offscreen platform: what the user would see and what comes back.
#include "platform/ui/QtUi.h"

#include "TestPaths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTime>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace ui;

namespace {

// Calls `act` with the first visible top-level widget of type T once it shows
// up; gives up (rejecting every dialog) after five seconds so a test cannot hang.
template <class T>
void WhenShown(std::function<void(T*)> act, bool* found)
{
    auto* timer = new QTimer;
    auto started = std::make_shared<QTime>(QTime::currentTime());
    QObject::connect(timer, &QTimer::timeout, [=] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) {
                timer->stop();
                timer->deleteLater();
                *found = true;
                act(t);
                return;
            }
        }
        if (started->msecsTo(QTime::currentTime()) > 5000) {
            timer->stop();
            timer->deleteLater();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible())
                    d->reject();
        }
    });
    timer->start(10);
}

} // namespace

TEST(ConvertFileFilter, TurnsDescriptionPatternPairsIntoQtFiltersMatchingAnyCase)
{
    EXPECT_EQ(ConvertFileFilter("Daylight Viewer And Package Files (*.dvf,*.dvp)|*.dvf;*.dvp"),
              QStringList{"Daylight Viewer And Package Files (*.dvf,*.dvp) (*.[dD][vV][fF] *.[dD][vV][pP])"});
    EXPECT_EQ(ConvertFileFilter("Daylight Package Files (*.dvp)|*.dvp|All Files|*.*"),
              (QStringList{"Daylight Package Files (*.dvp) (*.[dD][vV][pP])", "All Files (*.*)"}));
    EXPECT_EQ(ConvertFileFilter(""), QStringList{});
    EXPECT_EQ(ConvertFileFilter("Lonely description"), QStringList{}) << "a description without patterns is dropped";
    EXPECT_EQ(ConvertFileFilter("Anything| ; "), QStringList{"Anything (*)"});
}

TEST(QtUi, MessageBoxShowsTextTitleIconAndButtonsAndReturnsTheButtonPressed)
{
    QtUi services;
    bool found = false;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool onTop = false;
    Qt::WindowModality modality = Qt::NonModal;
    WhenShown<QMessageBox>(
        [&](QMessageBox* box) {
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            buttons = box->standardButtons();
            onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            modality = box->windowModality();
            box->button(QMessageBox::No)->click();
        },
        &found);
    const MessageAnswer answer = services.Message("File already exists, would you like to overwrite?",
                                                  "Package Daylight Study", MessageButtons::YesNo,
                                                  MessageIcon::Exclamation, true);
    ASSERT_TRUE(found);
    EXPECT_EQ(answer, MessageAnswer::No);
    EXPECT_EQ(text, "File already exists, would you like to overwrite?");
    EXPECT_EQ(title, "Package Daylight Study");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(onTop) << "system-modal boxes stay above every window";
    EXPECT_EQ(modality, Qt::ApplicationModal);
}

TEST(QtUi, MessageBoxClosedWithoutAButtonAnswersAsItsCancelButton)
{
    QtUi services;
    bool found = false;
    WhenShown<QMessageBox>([](QMessageBox* box) { box->reject(); }, &found);
    EXPECT_EQ(services.Message("Continue?", "Daystrand", MessageButtons::OkCancel, MessageIcon::Question),
              MessageAnswer::Cancel);
    ASSERT_TRUE(found);

    found = false;
    bool onTop = true;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenShown<QMessageBox>(
        [&](QMessageBox* box) {
            onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        },
        &found);
    EXPECT_EQ(services.Message("Loaded.", "Daystrand", MessageButtons::Ok, MessageIcon::Information),
              MessageAnswer::Ok);
    ASSERT_TRUE(found);
    EXPECT_FALSE(onTop);
    EXPECT_EQ(icon, QMessageBox::Information);
}

TEST(QtUi, OpenDialogIsQtsOwnStartsInTheFolderAndReturnsTheChosenPath)
{
    testsupport::TempDir dir;
    const auto study = dir.Write("Sunlit Room.DVF", "[HEADER]\r\n");
    dir.Write("notes.txt", "x");
    QtUi services;
    bool found = false;
    bool nonNative = false, mustExist = false;
    QString directory, title;
    QStringList filters;
    WhenShown<QFileDialog>(
        [&](QFileDialog* dialog) {
            nonNative = dialog->testOption(QFileDialog::DontUseNativeDialog);
            mustExist = dialog->fileMode() == QFileDialog::ExistingFile;
            directory = dialog->directory().absolutePath();
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            dialog->selectFile(QString::fromStdString(study.string()));
            static_cast<QDialog*>(dialog)->accept();
        },
        &found);
    const auto chosen = services.GetOpenFileName(
        {QString::fromStdString(dir.path().string()) + "/", "Select HALVEX Daylight Study File",
         "Daylight Viewer And Package Files (*.dvf,*.dvp)|*.dvf;*.dvp", "", "",
         fileflags::kFileMustExist | fileflags::kHideReadOnly, nullptr});
    ASSERT_TRUE(found);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, QString::fromStdString(study.string()));
    EXPECT_TRUE(nonNative);
    EXPECT_TRUE(mustExist);
    EXPECT_EQ(directory, QString::fromStdString(dir.path().string()));
    EXPECT_EQ(title, "Select HALVEX Daylight Study File");
    EXPECT_EQ(filters, QStringList{"Daylight Viewer And Package Files (*.dvf,*.dvp) (*.[dD][vV][fF] *.[dD][vV][pP])"});
}

TEST(QtUi, OpenDialogInAStudyFolderNotMadeYetOffersNoFileName)
{
    // The default study folder is ".../Documents/HALVEX", which need not exist.
    testsupport::TempDir dir;
    QtUi services;
    bool found = false;
    QString directory;
    QString offered = "not read";
    WhenShown<QFileDialog>(
        [&](QFileDialog* dialog) {
            directory = dialog->directory().absolutePath();
            if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
                offered = name->text();
            dialog->reject();
        },
        &found);
    services.GetOpenFileName({QString::fromStdString((dir / "HALVEX").string()), "Open", "", "", "", 0, nullptr});
    ASSERT_TRUE(found);
    EXPECT_EQ(directory, QString::fromStdString(dir.path().string()));
    EXPECT_EQ(offered, "");
}

TEST(QtUi, CancelledDialogIsDistinctFromAnyPath)
{
    QtUi services;
    bool found = false;
    WhenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); }, &found);
    EXPECT_EQ(services.GetOpenFileName({"", "Open", "", "", "", 0, nullptr}), std::nullopt);
    ASSERT_TRUE(found);
}

TEST(QtUi, SaveDialogOffersTheNameAddsTheExtensionAndDoesNotAskAboutOverwritingUnlessTold)
{
    testsupport::TempDir dir;
    dir.Write("Old.dvp", "old");
    const QString folder = QString::fromStdString(dir.path().string());
    QtUi services;
    bool found = false;
    bool confirmsOverwrite = true;
    QString suffix;
    QStringList offered;
    WhenShown<QFileDialog>(
        [&](QFileDialog* dialog) {
            confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            suffix = dialog->defaultSuffix();
            offered = dialog->selectedFiles();
            dialog->selectFile(folder + "/Old");
            static_cast<QDialog*>(dialog)->accept();
        },
        &found);
    const auto chosen = services.GetSaveFileName({folder, "Save As", "Daylight Package Files (*.dvp)|*.dvp",
                                                  "Sunlit Room.dvp", "dvp", 0x8804, nullptr});
    ASSERT_TRUE(found);
    EXPECT_FALSE(confirmsOverwrite);
    EXPECT_EQ(suffix, "dvp");
    ASSERT_FALSE(offered.isEmpty());
    EXPECT_EQ(offered.first(), folder + "/Sunlit Room.dvp");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, folder + "/Old.dvp") << "the default extension is added to a typed name";

    found = false;
    WhenShown<QFileDialog>(
        [&](QFileDialog* dialog) {
            confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            dialog->reject();
        },
        &found);
    services.GetSaveFileName({folder, "Save As", "", "", "", fileflags::kOverwritePrompt, nullptr});
    ASSERT_TRUE(found);
    EXPECT_TRUE(confirmsOverwrite);
}

TEST(QtUi, BusyPointersReplaceEachOtherAndDefaultRemovesThem)
{
    QtUi services;
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        CursorGuard playing(services, CursorShape::ArrowHourglass);
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
        {
            CursorGuard loading(services, CursorShape::Hourglass);
            EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "no override left stacked";
    services.SetCursor(CursorShape::Default);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "Default twice does not pop someone else's override";
}

TEST(QtUi, ShowModalReturnsTheDialogsResultAfterItCloses)
{
    QtUi services;
    QDialog notice;
    notice.setObjectName("frmPropertiesCopied");
    QTimer::singleShot(20, &notice, [&notice] { notice.done(QDialog::Accepted); });
    EXPECT_EQ(services.ShowModal(notice), QDialog::Accepted);
    EXPECT_FALSE(notice.isVisible());
}

TEST(QtUi, TimeOfDayIsSecondsSinceMidnight)
{
    QtUi services;
    const double before = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    const double now = services.TimeOfDaySeconds();
    const double after = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    ASSERT_GE(now, 0.0);
    ASSERT_LT(now, 86400.0);
    if (after >= before) { // not across midnight
        EXPECT_GE(now, before);
        EXPECT_LE(now, after);
    }
}
