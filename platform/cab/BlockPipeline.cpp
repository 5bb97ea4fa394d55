#include "platform/cab/BlockPipeline.h"

#include "platform/cab/BlockEncoder.h"
#include "platform/cab/CabFormat.h"

namespace cab::detail {

struct BlockPipeline::Job {
    Compression compression;
    std::shared_ptr<const std::vector<std::uint8_t>> raw;
    std::shared_ptr<const std::vector<std::uint8_t>> history;
    std::vector<std::uint8_t> record;
    bool done = false;

    void Run(int level)
    {
        record = EncodeDataBlock(compression, raw->data(), raw->size(),
                                 history ? history->data() : nullptr, history ? history->size() : 0,
                                 level);
    }
};

BlockPipeline::BlockPipeline(unsigned threads, int level, Sink sink)
    : threads_(threads == 0 ? 1 : threads), level_(level), sink_(std::move(sink))
{
    if (threads_ > 1) {
        workers_.reserve(threads_);
        for (unsigned i = 0; i < threads_; ++i)
            workers_.emplace_back([this] { Work(); });
    }
}

BlockPipeline::~BlockPipeline()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    workReady_.notify_all();
    for (std::thread& t : workers_)
        t.join();
}

void BlockPipeline::Work()
{
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            workReady_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        job->Run(level_);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job->done = true;
        }
        jobDone_.notify_all();
    }
}

void BlockPipeline::StartFolder(Compression compression)
{
    compression_ = compression;
    history_.reset();
    filling_.reset();
    filled_ = 0;
    folderBytes_ = 0;
}

std::uint8_t* BlockPipeline::FillPointer()
{
    if (!filling_)
        filling_ = std::make_shared<std::vector<std::uint8_t>>(format::kBlockSize);
    return filling_->data() + filled_;
}

std::size_t BlockPipeline::FillRoom() const { return format::kBlockSize - filled_; }

CabError BlockPipeline::Filled(std::size_t count)
{
    filled_ += count;
    folderBytes_ += count;
    if (filled_ < format::kBlockSize)
        return CabError::Ok();
    return Submit();
}

CabError BlockPipeline::Submit()
{
    filling_->resize(filled_);
    auto job = std::make_shared<Job>();
    job->compression = compression_;
    job->raw = filling_;
    job->history = history_;
    history_ = std::move(filling_);
    filling_.reset();
    filled_ = 0;

    inFlight_.push_back(job);
    if (workers_.empty()) {
        job->Run(level_);
        job->done = true;
    } else {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(job);
        }
        workReady_.notify_one();
    }
    // Enough blocks ahead to keep every thread busy, without holding a whole folder in memory.
    while (inFlight_.size() > threads_ * 3) {
        if (CabError error = DeliverFront())
            return error;
    }
    return CabError::Ok();
}

CabError BlockPipeline::DeliverFront()
{
    std::shared_ptr<Job> job = std::move(inFlight_.front());
    inFlight_.pop_front();
    if (!workers_.empty()) {
        std::unique_lock<std::mutex> lock(mutex_);
        jobDone_.wait(lock, [&] { return job->done; });
    }
    return sink_(job->record, static_cast<std::uint32_t>(job->raw->size()));
}

CabError BlockPipeline::EndFolder()
{
    if (filled_ > 0) {
        if (CabError error = Submit())
            return error;
    }
    while (!inFlight_.empty()) {
        if (CabError error = DeliverFront())
            return error;
    }
    history_.reset();
    return CabError::Ok();
}

void BlockPipeline::Discard()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.clear();
    }
    inFlight_.clear();
    history_.reset();
    filling_.reset();
    filled_ = 0;
    folderBytes_ = 0;
}

} // namespace cab::detail
