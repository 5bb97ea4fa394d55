// The image files the imaging tests read: good ones, and damaged ones kept one
// per defect and named for it.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <thread>

namespace imagingtest {

inline QString DataFile(const char* name)
{
    return QStringLiteral(HALVEX_SOURCE_DIR "/tests/imaging/data/") + QString::fromLatin1(name);
}

// Channels within `tolerance` of the expected colour (JPEG is lossy).
inline bool Near(QRgb actual, QColor expected, int tolerance = 12)
{
    return std::abs(qRed(actual) - expected.red()) <= tolerance &&
           std::abs(qGreen(actual) - expected.green()) <= tolerance &&
           std::abs(qBlue(actual) - expected.blue()) <= tolerance;
}

inline QImage Solid(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

// Runs `work` on a thread of its own and waits at most ten seconds for it, so a
// read that blocks fails the test instead of hanging the suite. A thread that
// never returns is left behind; the test process ends with it.
template <typename Result, typename Work>
std::optional<Result> Within10Seconds(Work work)
{
    auto promise = std::make_shared<std::promise<Result>>();
    std::future<Result> future = promise->get_future();
    std::thread([promise, work] { promise->set_value(work()); }).detach();
    if (future.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
        return std::nullopt;
    return future.get();
}

} // namespace imagingtest
