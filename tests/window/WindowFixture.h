// A viewer window over a scratch folder, a recording user interface and a
// clock the test moves, with small studies whose frames carry their number in
// their colour so a test can tell which image a panel shows.
#pragma once

#include "TestPaths.h"

#include "platform/imaging/ImagingControl.h"
#include "platform/ui/FakeUi.h"
#include "viewer/study/StudyModule.h"
#include "viewer/window/frmDSFViewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace windowtest {

struct Sample {
    qint32 sky = 1;
    int electric = 2;
    std::string date = "June 21";
    std::string time = "12:00 PM";
    bool dst = false;
    std::vector<std::string> rgb;    // one name per view; "" writes an empty line
    std::vector<std::string> pseudo; // left out of the file when empty
};

struct Study {
    std::string name = "Test Study";
    std::string site = "Test Site";
    std::string latitude = "42.5";
    std::string longitude = "-71.25";
    std::string north = "0";
    qint32 skyMask = 1;
    int colorMask = 3;
    int electricMask = 2;
    std::vector<std::string> views{"View A"};
    std::vector<Sample> samples;
};

// The study file's text, with CR LF line ends as the HALVEX product writes it.
std::string DvfText(const Study& study);

// Image file names "v<view>_<sample>_<kind>.jpg"; the colour of each frame
// encodes its sample number, view and kind.
std::string FrameName(int view, int sample, bool pseudo = false);
QColor FrameColor(int view, int sample, bool pseudo = false);

// The sample number an image's colour encodes (0 when none).
int SampleOf(const QImage& image);

// `count` samples for `views` views, every one with both image kinds named.
Study SimpleStudy(int views, int count);

class WindowTest : public ::testing::Test {
protected:
    WindowTest();
    ~WindowTest() override;

    QString Folder() const { return QString::fromStdString(temp_.path().string()); }
    QString PathOf(const std::string& name) const { return Folder() + "/" + QString::fromStdString(name); }

    // Writes the study file and, unless skipped, every image it names.
    QString WriteStudy(const Study& study, const std::string& fileName = "study.dvf", bool images = true);
    void WriteFrame(const std::string& name, const QColor& color);

    // Opens a study the way the Open command does (the dialog answers with it).
    void Open(const QString& path);
    // Creates the window again (after changing options).
    void Recreate();

    // Runs the event loop until done() or a few seconds have passed.
    bool PumpUntil(const std::function<bool()>& done, int milliseconds = 10000);

    // A key pressed and released where the keyboard focus is, as the user does.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    // Sample number shown by panel i (0 when it shows none), and its picture,
    // once its decode has landed.
    int Shown(int panel);
    QImage ShownImage(int panel);

    template <typename T>
    T* Find(const QString& name) const
    {
        T* child = window_->findChild<T*>(name);
        if (!child)
            ADD_FAILURE() << "no control " << name.toStdString();
        return child;
    }
    imaging::ImagingControl* Panel(int i) const { return window_->LEADV(i); }
    QComboBox* Combo(const char* name) const { return Find<QComboBox>(QString::fromLatin1(name)); }
    QLineEdit* Box(const char* name) const { return Find<QLineEdit>(QString::fromLatin1(name)); }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(QString::fromLatin1(name)); }
    QCheckBox* Display(int i) const { return Find<QCheckBox>(QStringLiteral("chkDisplay(%1)").arg(i)); }
    QRadioButton* Option(const char* name, int i) const
    {
        return Find<QRadioButton>(QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i));
    }
    QComboBox* Views(int i) const { return Find<QComboBox>(QStringLiteral("cbxViewName(%1)").arg(i)); }
    QComboBox* Skies(int i) const { return Find<QComboBox>(QStringLiteral("cbxSkyConditions(%1)").arg(i)); }
    // Chooses an item as the user does, raising the list's click.
    void Choose(QComboBox* combo, const QString& text);

    testsupport::TempDir temp_;
    study::StudyModule module_;
    ui::FakeUi ui_;
    viewer::ViewerOptions options_;
    std::unique_ptr<viewer::frmDSFViewer> window_;
};

} // namespace windowtest
