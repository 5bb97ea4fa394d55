#include "platform/imaging/FrameCache.h"

#include <algorithm>
#include <utility>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace imaging {

namespace {

constexpr qint64 kMaxDefaultBudget = qint64(2) << 30;

// Read-ahead must never slow the window: its threads run at a lower priority.
void LowerThisThreadsPriority()
{
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    ::setpriority(PRIO_PROCESS, tid, 10);
}

} // namespace

qint64 DefaultFrameBudget()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return kMaxDefaultBudget / 4;
    return std::min(kMaxDefaultBudget, qint64(pages) * pageSize / 4);
}

FrameCache::FrameCache(qint64 budgetBytes, int workers) : budget_(std::max<qint64>(budgetBytes, 0))
{
    if (workers == 0)
        workers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (int i = 0; i < workers; ++i)
        threads_.emplace_back([this] { WorkerLoop(); });
}

FrameCache::~FrameCache()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto& t : threads_)
        t.join();
}

void FrameCache::SetBudget(qint64 bytes)
{
    std::lock_guard<std::mutex> lock(mutex_);
    budget_ = std::max<qint64>(bytes, 0);
    MakeRoomLocked(0);
    wake_.notify_all();
}

qint64 FrameCache::Budget() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return budget_;
}

qint64 FrameCache::HeldBytes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return held_;
}

CachedFrame FrameCache::Find(const QString& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = entries_.find(path);
    if (it == entries_.end())
        return {};
    Entry& e = it->second;
    e.lastUse = ++clock_;
    return {e.state, e.image, e.scale, e.error};
}

void FrameCache::Pin(const QString& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Entry& e = entries_[path];
    ++e.pins;
    e.lastUse = ++clock_;
}

void FrameCache::Unpin(const QString& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = entries_.find(path);
    if (it == entries_.end() || it->second.pins == 0)
        return;
    if (--it->second.pins == 0 && it->second.state == FrameState::Absent)
        entries_.erase(it);
    else
        MakeRoomLocked(0);
    wake_.notify_all(); // room a waiting read-ahead may use
}

void FrameCache::SetWanted(std::vector<FrameRequest> wanted)
{
    std::lock_guard<std::mutex> lock(mutex_);
    wanted_ = std::move(wanted);
    wantedPaths_.clear();
    cursor_ = 0;
    // Most urgent last, so that among frames that fall out of a later list the
    // ones that were nearest the play head are evicted last.
    for (auto it = wanted_.rbegin(); it != wanted_.rend(); ++it) {
        wantedPaths_.insert(it->path);
        const auto entry = entries_.find(it->path);
        if (entry != entries_.end())
            entry->second.lastUse = ++clock_;
    }
    wake_.notify_all();
}

bool FrameCache::ReadAheadPending() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t i = cursor_; i < wanted_.size(); ++i) {
        const auto it = entries_.find(wanted_[i].path);
        if (it == entries_.end())
            return true;
        const Entry& e = it->second;
        if (e.state == FrameState::Decoding || e.state == FrameState::Absent ||
            (e.state == FrameState::Ready && !ScaleServes(e.scale, wanted_[i].scale)))
            return true;
    }
    return false;
}

void FrameCache::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++generation_;
    wanted_.clear();
    wantedPaths_.clear();
    cursor_ = 0;
    reserved_ = 0;
    for (auto it = entries_.begin(); it != entries_.end();) {
        Entry& e = it->second;
        if (e.pins == 0) {
            held_ -= e.bytes;
            it = entries_.erase(it);
            continue;
        }
        if (e.state == FrameState::Decoding) {
            e.reserved = 0;
            e.state = e.image.isNull() ? FrameState::Absent : FrameState::Ready;
        }
        ++it;
    }
}

void FrameCache::SetListener(std::function<void(const QString&)> listener)
{
    std::lock_guard<std::mutex> lock(mutex_);
    listener_ = std::move(listener);
}

void FrameCache::DropLocked(std::unordered_map<QString, Entry>::iterator it)
{
    held_ -= it->second.bytes;
    entries_.erase(it);
}

bool FrameCache::MakeRoomLocked(qint64 bytes)
{
    while (held_ + reserved_ + bytes > budget_) {
        auto victim = entries_.end();
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            const Entry& e = it->second;
            if (e.pins > 0 || (e.state != FrameState::Ready && e.state != FrameState::Failed) ||
                wantedPaths_.count(it->first))
                continue;
            if (victim == entries_.end() || e.lastUse < victim->second.lastUse)
                victim = it;
        }
        if (victim == entries_.end())
            return false;
        DropLocked(victim);
    }
    return true;
}

std::optional<FrameCache::Job> FrameCache::TakeJobLocked()
{
    for (std::size_t i = cursor_; i < wanted_.size(); ++i) {
        const FrameRequest& request = wanted_[i];
        auto it = entries_.find(request.path);
        if (it != entries_.end()) {
            const Entry& e = it->second;
            const bool settled = e.state == FrameState::Decoding || e.state == FrameState::Failed ||
                                 (e.state == FrameState::Ready && ScaleServes(e.scale, request.scale));
            if (settled) {
                // Settled frames stay settled until the list changes (wanted
                // frames are not evicted), so the next look starts after them.
                if (i == cursor_)
                    cursor_ = i + 1;
                continue;
            }
        }
        if (!MakeRoomLocked(request.bytes) && !request.shown) {
            // Frames after this one are further from the play head: they wait too.
            return std::nullopt;
        }
        Entry& e = entries_[request.path];
        e.state = FrameState::Decoding;
        e.reserved = request.bytes;
        reserved_ += request.bytes;
        if (i == cursor_)
            cursor_ = i + 1;
        return Job{request, generation_};
    }
    return std::nullopt;
}

void FrameCache::Finish(const Job& job, DecodedImage result)
{
    std::function<void(const QString&)> listener;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = entries_.find(job.request.path);
        if (job.generation != generation_ || it == entries_.end() || it->second.state != FrameState::Decoding)
            return; // cleared meanwhile: the result belongs to a study no longer open
        Entry& e = it->second;
        reserved_ -= e.reserved;
        e.reserved = 0;
        held_ -= e.bytes;
        if (result.ok()) {
            e.state = FrameState::Ready;
            e.image = std::move(result.image);
            e.scale = result.scale;
            e.error.clear();
        } else {
            // A file removed or damaged since it was loaded: the panel says so
            // in place of the frame, rather than keep an older picture.
            e.state = FrameState::Failed;
            e.image = QImage();
            e.error = std::move(result.error);
        }
        e.bytes = e.image.sizeInBytes();
        held_ += e.bytes;
        e.lastUse = ++clock_;
        MakeRoomLocked(0);
        listener = listener_;
    }
    wake_.notify_all();
    if (listener)
        listener(job.request.path);
}

bool FrameCache::RunOneJob()
{
    std::optional<Job> job;
    qint64 budget = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job = TakeJobLocked();
        budget = budget_;
    }
    if (!job)
        return false;
    Finish(*job, DecodeImageFile(job->request.path, {job->request.scale, std::max(budget, job->request.bytes)}));
    return true;
}

void FrameCache::WorkerLoop()
{
    LowerThisThreadsPriority();
    for (;;) {
        std::optional<Job> job;
        qint64 budget = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] {
                if (stopping_)
                    return true;
                job = TakeJobLocked();
                return job.has_value();
            });
            if (stopping_)
                return;
            budget = budget_;
        }
        // The decoder never throws: a failure is the frame's error.
        Finish(*job, DecodeImageFile(job->request.path, {job->request.scale, std::max(budget, job->request.bytes)}));
    }
}

} // namespace imaging
