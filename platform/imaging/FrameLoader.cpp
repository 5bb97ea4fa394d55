#include "platform/imaging/FrameLoader.h"

#include "platform/imaging/ImageDecoder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace imaging {

namespace {

constexpr auto kTickInterval = std::chrono::milliseconds(50);

// What the workers and the waiting caller share for one load.
struct LoadState {
    explicit LoadState(const QStringList& p) : paths(p), results(p.size()), firstFailure(p.size()) {}

    const QStringList& paths;
    std::mutex mutex;
    std::condition_variable ready;
    std::vector<std::optional<DecodedImage>> results;
    std::atomic<int> next{0};
    // No index after the first failing one is needed; workers stop taking them.
    std::atomic<qsizetype> firstFailure;
    std::atomic<bool> stop{false};

    void Work()
    {
        for (;;) {
            const int index = next.fetch_add(1);
            if (stop.load() || index >= paths.size() || index > firstFailure.load())
                return;
            // The decoder never throws; a result that cannot be stored ends this
            // frame with an error rather than the program.
            DecodedImage decoded;
            try {
                decoded = DecodeImageFile(paths[index]);
            } catch (...) {
                decoded.error = QStringLiteral("Not enough memory to decode the image file: %1").arg(paths[index]);
            }
            if (!decoded.ok()) {
                qsizetype seen = firstFailure.load();
                while (index < seen && !firstFailure.compare_exchange_weak(seen, index)) {
                }
            }
            {
                std::lock_guard<std::mutex> lock(mutex);
                results[index] = std::move(decoded);
            }
            ready.notify_all();
        }
    }
};

// Stops and joins the workers on every way out, a throwing sink included.
class WorkerGroup {
public:
    explicit WorkerGroup(LoadState& state) : state_(state) {}
    ~WorkerGroup()
    {
        state_.stop.store(true);
        for (auto& t : threads_)
            t.join();
    }
    void Start(int count)
    {
        for (int i = 0; i < count; ++i)
            threads_.emplace_back([this] { state_.Work(); });
    }

private:
    LoadState& state_;
    std::vector<std::thread> threads_;
};

} // namespace

FrameLoader::FrameLoader(int workerCount) : workers_(workerCount)
{
    if (workers_ <= 0)
        workers_ = std::max(1u, std::thread::hardware_concurrency());
}

FrameLoadOutcome FrameLoader::Load(const QStringList& paths, const FrameSink& sink,
                                   const WaitTick& tick) const
{
    FrameLoadOutcome outcome;
    const int count = static_cast<int>(paths.size());

    if (workers_ == 1 || count <= 1) {
        for (int i = 0; i < count; ++i) {
            DecodedImage decoded = DecodeImageFile(paths[i]);
            if (!decoded.ok()) {
                outcome.failedIndex = i;
                outcome.error = decoded.error;
                return outcome;
            }
            if (sink)
                sink(i, decoded.image);
            ++outcome.delivered;
        }
        return outcome;
    }

    LoadState state(paths);
    WorkerGroup group(state);
    group.Start(std::min(workers_, count));

    for (int i = 0; i < count; ++i) {
        DecodedImage decoded;
        {
            std::unique_lock<std::mutex> lock(state.mutex);
            while (!state.results[i].has_value()) {
                if (state.ready.wait_for(lock, kTickInterval) == std::cv_status::timeout && tick) {
                    lock.unlock();
                    tick();
                    lock.lock();
                }
            }
            decoded = std::move(*state.results[i]);
            state.results[i].reset();
        }
        if (!decoded.ok()) {
            outcome.failedIndex = i;
            outcome.error = decoded.error;
            return outcome;
        }
        if (sink)
            sink(i, decoded.image);
        ++outcome.delivered;
    }
    return outcome;
}

} // namespace imaging
