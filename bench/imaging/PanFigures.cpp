// Panning four linked, zoomed panels: the pointer drags panel 1 round a small
// circle, the other panels take its view as the window links them, and all
// four are painted and put on the screen after each move. Measured at a zoom where a
// smooth copy of the whole frame is kept and at zooms where only the visible
// part is drawn, against Qt drawing those visible parts straight from the
// frames (the least any panel could do).
#include "bench/imaging/BenchFigures.h"

#include "platform/imaging/ImageDecoder.h"
#include "platform/imaging/ImagingControl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace bench {

namespace {

constexpr int kPanels = 4;
// The circle the pointer drags round, and how far it moves between events.
constexpr double kRadius = 40;
constexpr double kMoveLength = 5;

double ProcessCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    return values[std::size_t(q * (values.size() - 1))];
}

void SendMouse(QWidget& widget, QEvent::Type type, QPointF at, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// Lets every queued paint and timer (the view coming to rest) run.
void Settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The pointer positions of `moves` steps round the circle about `centre`.
std::vector<QPointF> CirclePath(QPointF centre, int moves)
{
    std::vector<QPointF> path;
    const double step = kMoveLength / kRadius;
    for (int i = 0; i <= moves; ++i)
        path.push_back(centre + QPointF(kRadius * std::cos(i * step), kRadius * std::sin(i * step)));
    return path;
}

struct PanTimes {
    std::vector<double> moving; // ms from the pointer's move to four panels on the screen
    std::vector<double> cpu;    // processor ms of the same (painting may use Qt's helper threads)
    std::vector<double> bare;   // ms for Qt to draw the same visible parts
    double resting = 0;         // median ms of a repaint of all four at rest
};

PanTimes PanAt(std::vector<imaging::ImagingControl*>& panels, const std::vector<QImage>& rgb32, double scale,
               int moves)
{
    imaging::ImagingControl& lead = *panels[0];
    const QSizeF full(lead.ShownFrameSize());
    for (auto* panel : panels)
        panel->SetView(imaging::ViewState{false, scale, {0.5, 0.5}});
    Settle(50);
    for (auto* panel : panels)
        panel->Repaint();
    Settle(50); // smooth copies made where they are kept

    PanTimes times;
    const std::vector<QPointF> path = CirclePath(QPointF(lead.width(), lead.height()) / 2, moves);
    SendMouse(lead, QEvent::MouseButtonPress, path[0], Qt::LeftButton);
    // Past the drag distance first, so that every measured move pans.
    SendMouse(lead, QEvent::MouseMove, path[0] + QPointF(20, 0), Qt::LeftButton);
    SendMouse(lead, QEvent::MouseMove, path[0], Qt::LeftButton);
    QImage canvas(lead.size(), QImage::Format_RGB32);
    for (std::size_t i = 1; i < path.size(); ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = ProcessCpuMs();
        SendMouse(lead, QEvent::MouseMove, path[i], Qt::LeftButton);
        const imaging::ViewState view = lead.View();
        for (std::size_t p = 1; p < panels.size(); ++p) {
            const QSizeF own(panels[p]->ShownFrameSize());
            panels[p]->SetView(
                imaging::Clamped(imaging::LinkedView(view, full, own), QSizeF(panels[p]->size()), own), true);
        }
        // Painted as the event loop paints them: the four panels together,
        // shown on the screen in one go.
        QApplication::sendPostedEvents(panels[0]->window(), QEvent::UpdateRequest);
        times.moving.push_back(timer.nsecsElapsed() / 1e6);
        times.cpu.push_back(ProcessCpuMs() - cpuStart);

        // The bare drawing of the same visible parts, nearest pixels.
        timer.restart();
        for (std::size_t p = 0; p < panels.size(); ++p) {
            const QRectF target = panels[p]->ImageRect();
            const QRectF visible = target.intersected(QRectF(canvas.rect()));
            const double s = rgb32[p].width() / target.width();
            const QRectF source((visible.left() - target.left()) * s, (visible.top() - target.top()) * s,
                                visible.width() * s, visible.height() * s);
            QPainter painter(&canvas);
            painter.drawImage(visible, rgb32[p], source);
        }
        times.bare.push_back(timer.nsecsElapsed() / 1e6);
        QApplication::processEvents(); // what the event loop would do between moves
    }
    SendMouse(lead, QEvent::MouseButtonRelease, path.back(), Qt::NoButton);

    Settle(300); // the view rests and is drawn smoothly
    std::vector<double> resting;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        for (auto* panel : panels)
            panel->update();
        QApplication::sendPostedEvents(lead.window(), QEvent::UpdateRequest);
        resting.push_back(timer.nsecsElapsed() / 1e6);
    }
    times.resting = Quantile(resting, 0.5);
    return times;
}

} // namespace

void RunPanFigures(const QStringList& paths, int steps)
{
    if (paths.size() < kPanels)
        return;
    QWidget window;
    window.resize(1600, 1000);
    std::vector<imaging::ImagingControl*> panels;
    std::vector<QImage> rgb32;
    for (int p = 0; p < kPanels; ++p) {
        const auto decoded = imaging::DecodeImageFile(paths[p]);
        if (!decoded.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(decoded.error));
            return;
        }
        auto* panel = new imaging::ImagingControl(&window);
        panel->setGeometry(FourPanelSlot(p));
        panel->SetInteractive(true);
        panel->InsertImage(0, decoded.image);
        panel->SetShownPosition(0);
        panels.push_back(panel);
        rgb32.push_back(decoded.image.convertToFormat(QImage::Format_RGB32));
    }
    window.show();
    Settle(50);

    const QSize frame = panels[0]->ShownFrameSize();
    const double fit = imaging::FitScale(QSizeF(panels[0]->size()), QSizeF(frame));
    std::printf("panel size                              %dx%d, frames %dx%d, fitted at %.0f%%\n",
                panels[0]->width(), panels[0]->height(), frame.width(), frame.height(), fit * 100);
    std::printf("moves of %.0f px per zoom                   %d\n", kMoveLength, steps);
    std::vector<double> all;
    std::vector<double> allCpu;
    std::vector<double> allBare;
    for (const double scale : {fit * 1.5, 1.0, 2.0, 8.0}) {
        const PanTimes t = PanAt(panels, rgb32, scale, steps);
        std::printf("zoom %4.0f%%: pan repaint, four panels   median %.2f ms, p99 %.2f ms (processor median %.2f,"
                    " p99 %.2f); at rest %.2f ms; bare Qt median %.2f ms, ratio %.2f\n",
                    scale * 100, Quantile(t.moving, 0.5), Quantile(t.moving, 0.99), Quantile(t.cpu, 0.5),
                    Quantile(t.cpu, 0.99), t.resting, Quantile(t.bare, 0.5),
                    Quantile(t.moving, 0.5) / std::max(1e-6, Quantile(t.bare, 0.5)));
        all.insert(all.end(), t.moving.begin(), t.moving.end());
        allCpu.insert(allCpu.end(), t.cpu.begin(), t.cpu.end());
        allBare.insert(allBare.end(), t.bare.begin(), t.bare.end());
    }
    std::printf("all zooms: pan repaint, four panels     median %.2f ms, p99 %.2f ms"
                "  (target median <= 8 ms, p99 <= 16 ms)\n",
                Quantile(all, 0.5), Quantile(all, 0.99));
    // What the moves cost on a machine that others are not loading.
    std::printf("all zooms: processor time               median %.2f ms, p99 %.2f ms\n", Quantile(allCpu, 0.5),
                Quantile(allCpu, 0.99));
    std::printf("pan repaint / bare Qt drawing           %.2f (medians)\n",
                Quantile(all, 0.5) / std::max(1e-6, Quantile(allBare, 0.5)));
}

} // namespace bench
