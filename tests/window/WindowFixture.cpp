#include "WindowFixture.h"

#include "platform/imaging/FrameScheduler.h"

#include <QApplication>
#include <QKeyEvent>
#include <QThread>

#include <cmath>

namespace windowtest {

std::string DvfText(const Study& study)
{
    std::string text;
    const auto line = [&text](const std::string& s) { text += s + "\r\n"; };
    line("[HEADER]");
    line(study.name);
    line(study.site);
    line(study.latitude);
    line(study.longitude);
    line(study.north);
    line(std::to_string(study.skyMask));
    line(std::to_string(study.colorMask));
    line(std::to_string(study.electricMask));
    line("[VIEW]");
    for (const auto& view : study.views)
        line(view);
    line("[ENDVIEW]");
    for (const Sample& s : study.samples) {
        line("[SAMPLE]");
        line(std::to_string(s.sky));
        line(std::to_string(s.electric));
        line(s.date);
        line(s.time);
        line(s.dst ? "True" : "False");
        line("project.hvx");
        line("[RGB]");
        for (const auto& name : s.rgb)
            line(name);
        if (!s.pseudo.empty()) {
            line("[PSEUDO]");
            for (const auto& name : s.pseudo)
                line(name);
        }
    }
    return text;
}

std::string FrameName(int view, int sample, bool pseudo)
{
    return "v" + std::to_string(view) + "_" + std::to_string(sample) + (pseudo ? "_pse.jpg" : "_rgb.jpg");
}

QColor FrameColor(int view, int sample, bool pseudo)
{
    return QColor(sample * 10, view * 40, pseudo ? 200 : 40);
}

int SampleOf(const QImage& image)
{
    if (image.isNull())
        return 0;
    const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    return static_cast<int>(std::lround(c.red() / 10.0));
}

Study SimpleStudy(int views, int count)
{
    Study study;
    study.views.clear();
    for (int v = 1; v <= views; ++v)
        study.views.push_back("View " + std::string(1, static_cast<char>('A' + v - 1)));
    for (int k = 1; k <= count; ++k) {
        Sample s;
        s.date = "June " + std::to_string(20 + (k - 1) / 3);
        s.time = std::to_string(8 + k) + ":00";
        for (int v = 1; v <= views; ++v) {
            s.rgb.push_back(FrameName(v, k));
            s.pseudo.push_back(FrameName(v, k, true));
        }
        study.samples.push_back(s);
    }
    return study;
}

WindowTest::WindowTest()
{
    QApplication::setQuitOnLastWindowClosed(false);
    options_.DataFolders = {Folder() + "/program"};
    options_.DecodeWorkers = 2;
    options_.WaitPollMilliseconds = 1;
    ui_.stepPerRead = 0.25;
    options_.PreferencesFile = Folder() + "/preferences.ini";
    module_.CurrentFolder = Folder() + "/";
    Recreate();
}

WindowTest::~WindowTest()
{
    window_.reset();
}

void WindowTest::Recreate()
{
    window_.reset();
    window_ = std::make_unique<viewer::frmDSFViewer>(module_, ui_, options_);
    window_->resize(800, 600);
    window_->show();
    // Shortcuts act in the active window only.
    window_->activateWindow();
    QApplication::setActiveWindow(window_.get());
    QCoreApplication::processEvents();
}

QString WindowTest::WriteStudy(const Study& study, const std::string& fileName, bool images)
{
    const auto path = temp_.Write(fileName, DvfText(study));
    if (images) {
        for (std::size_t k = 0; k < study.samples.size(); ++k) {
            const Sample& s = study.samples[k];
            for (std::size_t v = 0; v < s.rgb.size(); ++v) {
                if (!s.rgb[v].empty())
                    WriteFrame(s.rgb[v], FrameColor(int(v) + 1, int(k) + 1));
            }
            for (std::size_t v = 0; v < s.pseudo.size(); ++v) {
                if (!s.pseudo[v].empty())
                    WriteFrame(s.pseudo[v], FrameColor(int(v) + 1, int(k) + 1, true));
            }
        }
    }
    return QString::fromStdString(path.string());
}

void WindowTest::WriteFrame(const std::string& name, const QColor& color)
{
    QImage image(32, 20, QImage::Format_RGB888);
    image.fill(color);
    ASSERT_TRUE(image.save(PathOf(name), "JPG", 95)) << name;
}

void WindowTest::Open(const QString& path)
{
    ui_.fileAnswers.push_back(path);
    window_->OpenStudy();
}

bool WindowTest::PumpUntil(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

void WindowTest::Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window_.get();
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(target, &release);
}

int WindowTest::Shown(int panel)
{
    return SampleOf(ShownImage(panel));
}

QImage WindowTest::ShownImage(int panel)
{
    // Frames are decoded on the window's workers. A visible panel's frame
    // lands soon, at a smaller scale first when the panel has just grown:
    // once read-ahead settles it is the one the panel keeps.
    if (Panel(panel)->isVisible()) {
        EXPECT_TRUE(PumpUntil([this, panel] {
            return Panel(panel)->ShownFrameReady() && !window_->Frames().ReadAheadPending();
        })) << "panel " << panel << " never showed its frame";
    }
    return Panel(panel)->CurrentImage();
}

void WindowTest::Choose(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace windowtest
