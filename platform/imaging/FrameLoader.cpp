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

// What the workers and the waiting caller share for one load. `Result` is a
// decoded image or a header; `Work` turns a path into one and never throws.
template <typename Result, typename Work>
struct LoadState {
    LoadState(const QStringList& p, Work w) : paths(p), work(std::move(w)), results(p.size()), firstFailure(p.size()) {}

    const QStringList& paths;
    Work work;
    std::mutex mutex;
    std::condition_variable ready;
    std::vector<std::optional<Result>> results;
    std::atomic<int> next{0};
    // No index after the first failing one is needed; workers stop taking them.
    std::atomic<qsizetype> firstFailure;
    std::atomic<bool> stop{false};

    void Run()
    {
        for (;;) {
            const int index = next.fetch_add(1);
            if (stop.load() || index >= paths.size() || index > firstFailure.load())
                return;
            Result result = work(paths[index]);
            if (!result.ok()) {
                qsizetype seen = firstFailure.load();
                while (index < seen && !firstFailure.compare_exchange_weak(seen, index)) {
                }
            }
            {
                std::lock_guard<std::mutex> lock(mutex);
                results[index] = std::move(result);
            }
            ready.notify_all();
        }
    }
};

// Stops and joins the workers on every way out, a throwing sink included.
template <typename State>
class WorkerGroup {
public:
    explicit WorkerGroup(State& state) : state_(state) {}
    ~WorkerGroup()
    {
        state_.stop.store(true);
        for (auto& t : threads_)
            t.join();
    }
    void Start(int count)
    {
        for (int i = 0; i < count; ++i)
            threads_.emplace_back([this] { state_.Run(); });
    }

private:
    State& state_;
    std::vector<std::thread> threads_;
};

template <typename Result, typename Work, typename Deliver>
FrameLoadOutcome LoadInOrder(const QStringList& paths, int workers, Work work, const Deliver& deliver,
                             const FrameLoader::WaitTick& tick)
{
    FrameLoadOutcome outcome;
    const int count = static_cast<int>(paths.size());
    const auto take = [&](int i, Result result) {
        if (!result.ok()) {
            outcome.failedIndex = i;
            outcome.error = result.error;
            return false;
        }
        deliver(i, result);
        ++outcome.delivered;
        return true;
    };

    if (workers == 1 || count <= 1) {
        for (int i = 0; i < count; ++i) {
            if (!take(i, work(paths[i])))
                break;
        }
        return outcome;
    }

    LoadState<Result, Work> state(paths, std::move(work));
    WorkerGroup<LoadState<Result, Work>> group(state);
    group.Start(std::min(workers, count));

    for (int i = 0; i < count; ++i) {
        Result result;
        {
            std::unique_lock<std::mutex> lock(state.mutex);
            while (!state.results[i].has_value()) {
                if (state.ready.wait_for(lock, kTickInterval) == std::cv_status::timeout && tick) {
                    lock.unlock();
                    tick();
                    lock.lock();
                }
            }
            result = std::move(*state.results[i]);
            state.results[i].reset();
        }
        if (!take(i, std::move(result)))
            break;
    }
    return outcome;
}

} // namespace

FrameLoader::FrameLoader(int workerCount) : workers_(workerCount)
{
    if (workers_ <= 0)
        workers_ = std::max(1u, std::thread::hardware_concurrency());
}

FrameLoadOutcome FrameLoader::Load(const QStringList& paths, const FrameSink& sink,
                                   const WaitTick& tick) const
{
    // The decoder never throws: a failure is the frame's error.
    return LoadInOrder<DecodedImage>(
        paths, workers_, [](const QString& path) { return DecodeImageFile(path); },
        [&sink](int i, const DecodedImage& d) {
            if (sink)
                sink(i, d.image);
        },
        tick);
}

FrameLoadOutcome FrameLoader::LoadSources(const QStringList& paths, const SourceSink& sink,
                                          const WaitTick& tick) const
{
    return LoadInOrder<ImageHeader>(
        paths, workers_, [](const QString& path) { return ReadImageHeader(path); },
        [&](int i, const ImageHeader& header) {
            if (sink)
                sink(i, FrameSource::FromHeader(paths[i], header));
        },
        tick);
}

} // namespace imaging
