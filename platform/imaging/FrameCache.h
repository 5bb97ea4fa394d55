// The window-wide cache of decoded frames: bounded by a memory budget, least
// recently used out first, never dropping a frame that is on screen, filled by
// worker threads from a list of wanted frames that the caller replaces whenever
// the play head moves (which is how stale read-ahead is cancelled).
//
// Each cached frame moves through explicit states:
//
//   Absent --(a worker takes it from the wanted list)--> Decoding
//   Decoding --(decoded)--> Ready        Decoding --(failed)--> Failed
//   Ready --(wanted at a larger scale)--> Decoding   (the smaller image stays on show meanwhile)
//   Ready, Failed --(evicted: least recently used, unpinned, not wanted)--> Absent
//   any --(Clear)--> Absent                           (results still in flight are discarded)
//
// Thread-safe. Other users decode through it as the panels do: export asks for
// frames at its output size (FrameSource::ScaleFor with the output size), a
// zoom that needs more pixels asks for the larger scale and the cache decodes
// the frame again.
#pragma once

#include "platform/imaging/ImageDecoder.h"

#include <QImage>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace imaging {

enum class FrameState { Absent, Decoding, Ready, Failed };

struct FrameRequest {
    QString path;
    DecodeScale scale = DecodeScale::Full;
    qint64 bytes = 0;   // what the frame takes decoded at `scale`
    bool shown = false; // on screen now: decoded even when the budget is spent
};

struct CachedFrame {
    FrameState state = FrameState::Absent;
    QImage image; // null unless held; smaller than wanted while a larger decode runs
    DecodeScale scale = DecodeScale::Full;
    QString error; // the decoder's text when Failed
};

// The default budget: a quarter of physical memory, at most 2 GiB.
qint64 DefaultFrameBudget();

class FrameCache {
public:
    // `workers` decode threads at a lower priority than the caller's (0: one
    // per core; -1: none, and the owner calls RunOneJob itself, as tests do).
    explicit FrameCache(qint64 budgetBytes, int workers = 0);
    // Stops the workers; a decode in progress finishes first.
    ~FrameCache();
    FrameCache(const FrameCache&) = delete;
    FrameCache& operator=(const FrameCache&) = delete;

    void SetBudget(qint64 bytes); // evicts at once what no longer fits
    qint64 Budget() const;
    qint64 HeldBytes() const; // decoded frames held
    int WorkerCount() const { return static_cast<int>(threads_.size()); }

    // What is held for `path`, marking it used.
    CachedFrame Find(const QString& path);

    // A pinned frame is on screen and is never evicted. Pins count: a frame two
    // panels show is pinned twice.
    void Pin(const QString& path);
    void Unpin(const QString& path);

    // The frames wanted, most urgent first (see ReadAheadPlan.h). Replaces the
    // previous list: wanted frames not yet started are dropped from the queue,
    // frames being decoded finish and are kept. Wanted frames are not evicted
    // to make room for other wanted frames; a request that does not fit waits
    // until the list changes, unless it is shown.
    void SetWanted(std::vector<FrameRequest> wanted);
    // True while a wanted frame is still to be decoded.
    bool ReadAheadPending() const;

    // Drops everything not pinned and the wanted list at once, and discards the
    // results of decodes still running (another study is being opened).
    void Clear();

    // Called on a worker thread after a frame is stored or has failed. Must not
    // call back into the cache synchronously (post it to your own thread).
    void SetListener(std::function<void(const QString& path)> listener);

    // Decodes the next runnable wanted frame on the calling thread; false when
    // there is none. For owners without workers.
    bool RunOneJob();

private:
    struct Entry {
        FrameState state = FrameState::Absent;
        QImage image;
        DecodeScale scale = DecodeScale::Full;
        QString error;
        qint64 bytes = 0;    // of image
        qint64 reserved = 0; // while Decoding: bytes set aside for the result
        int pins = 0;
        quint64 lastUse = 0;
    };
    struct Job {
        FrameRequest request;
        quint64 generation = 0;
    };

    std::optional<Job> TakeJobLocked();
    void Finish(const Job& job, DecodedImage result);
    bool MakeRoomLocked(qint64 bytes);
    void DropLocked(std::unordered_map<QString, Entry>::iterator it);
    void WorkerLoop();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::unordered_map<QString, Entry> entries_;
    std::vector<FrameRequest> wanted_;
    std::unordered_set<QString> wantedPaths_;
    std::size_t cursor_ = 0; // wanted frames before it are taken or held
    qint64 budget_;
    qint64 held_ = 0;
    qint64 reserved_ = 0;
    quint64 clock_ = 0;
    quint64 generation_ = 0;
    bool stopping_ = false;
    std::function<void(const QString&)> listener_;
    std::vector<std::thread> threads_;
};

} // namespace imaging
