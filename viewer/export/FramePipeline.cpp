#include "viewer/export/FramePipeline.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace exporting {

namespace {

constexpr auto kWaitTick = std::chrono::milliseconds(50);

// What the workers and the waiting caller share for one run.
struct Shared {
    Shared(const FramePipeline::Render& r, int n, int w) : render(r), count(n), window(w), results(n) {}

    const FramePipeline::Render& render;
    const int count;
    const int window; // items a worker may take: those below consumed + window
    std::mutex mutex;
    std::condition_variable ready; // a result arrived
    std::condition_variable room;  // the caller took a result, or the run stops
    std::vector<std::optional<RenderedFrame>> results;
    int next = 0;
    int consumed = 0;
    bool stop = false;

    void Work()
    {
        for (;;) {
            int index = 0;
            {
                std::unique_lock<std::mutex> lock(mutex);
                room.wait(lock, [this] { return stop || next >= count || next < consumed + window; });
                if (stop || next >= count)
                    return;
                index = next++;
            }
            RenderedFrame frame;
            try {
                frame = render(index);
            } catch (const std::exception& e) {
                frame = {QImage(), QString::fromLocal8Bit(e.what())};
            } catch (...) {
                frame = {QImage(), QStringLiteral("Rendering a frame failed")};
            }
            if (frame.ok() && frame.Image.isNull())
                frame.Error = QStringLiteral("Rendering a frame gave no picture");
            {
                std::lock_guard<std::mutex> lock(mutex);
                results[index] = std::move(frame);
            }
            ready.notify_all();
        }
    }
};

// Stops and joins the workers on every way out, a throwing sink included.
class WorkerGroup {
public:
    explicit WorkerGroup(Shared& shared) : shared_(shared) {}
    ~WorkerGroup()
    {
        {
            std::lock_guard<std::mutex> lock(shared_.mutex);
            shared_.stop = true;
        }
        shared_.room.notify_all();
        for (auto& t : threads_)
            t.join();
    }
    void Start(int count)
    {
        for (int i = 0; i < count; ++i)
            threads_.emplace_back([this] { shared_.Work(); });
    }

private:
    Shared& shared_;
    std::vector<std::thread> threads_;
};

} // namespace

FramePipeline::FramePipeline(int workers, int ahead) : workers_(workers), ahead_(ahead)
{
    if (workers_ <= 0)
        workers_ = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (ahead_ <= 0)
        ahead_ = 2 * workers_;
}

PipelineOutcome FramePipeline::Run(int count, const Render& render, const Sink& sink, const Wait& wait) const
{
    PipelineOutcome outcome;
    if (count <= 0)
        return outcome;
    Shared shared(render, count, ahead_ + 1);
    WorkerGroup group(shared);
    group.Start(std::min(workers_, count));

    for (int i = 0; i < count; ++i) {
        RenderedFrame frame;
        {
            std::unique_lock<std::mutex> lock(shared.mutex);
            while (!shared.results[i].has_value()) {
                if (shared.ready.wait_for(lock, kWaitTick) == std::cv_status::timeout && wait) {
                    lock.unlock();
                    const bool goOn = wait();
                    lock.lock();
                    if (!goOn) {
                        outcome.Stopped = true;
                        return outcome;
                    }
                }
            }
            frame = std::move(*shared.results[i]);
            shared.results[i].reset();
            shared.consumed = i + 1;
        }
        shared.room.notify_all();
        if (!frame.ok()) {
            outcome.Error = frame.Error;
            return outcome;
        }
        if (!sink(i, frame.Image)) {
            outcome.Stopped = true;
            return outcome;
        }
        ++outcome.Delivered;
    }
    return outcome;
}

} // namespace exporting
