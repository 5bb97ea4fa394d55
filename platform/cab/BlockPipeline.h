// Cuts the data of a folder into 32 KiB blocks and encodes them on a pool of
// threads, handing the finished records back strictly in block order.
#pragma once

#include "platform/cab/CabError.h"
#include "platform/cab/CabWriter.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace cab::detail {

class BlockPipeline {
public:
    // Receives each encoded CFDATA record, in order, with the raw size it holds.
    using Sink = std::function<CabError(const std::vector<std::uint8_t>& record, std::uint32_t rawSize)>;

    // `threads` 1 encodes on the calling thread; more start a pool.
    BlockPipeline(unsigned threads, int level, Sink sink);
    ~BlockPipeline();
    BlockPipeline(const BlockPipeline&) = delete;
    BlockPipeline& operator=(const BlockPipeline&) = delete;

    // Begins a folder: the first block refers to no history.
    void StartFolder(Compression compression);

    // Where the next raw bytes go, and how many fit before the block is full.
    std::uint8_t* FillPointer();
    std::size_t FillRoom() const;
    // Takes `count` bytes written at FillPointer; a full block goes to the encoders.
    CabError Filled(std::size_t count);

    // Sends the last, possibly short, block of the folder and waits for every
    // record of it to reach the sink.
    CabError EndFolder();

    // Drops all queued work; records not yet delivered are lost.
    void Discard();

    // Uncompressed bytes of the current folder taken so far.
    std::uint64_t FolderBytes() const { return folderBytes_; }

private:
    struct Job;
    CabError Submit();
    CabError DeliverFront();
    void Work();

    unsigned threads_;
    int level_;
    Sink sink_;
    Compression compression_ = Compression::MsZip;
    std::shared_ptr<std::vector<std::uint8_t>> filling_;
    std::size_t filled_ = 0;
    std::shared_ptr<const std::vector<std::uint8_t>> history_;
    std::uint64_t folderBytes_ = 0;

    std::deque<std::shared_ptr<Job>> inFlight_; // submission order
    std::deque<std::shared_ptr<Job>> queue_;    // waiting for a worker
    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable jobDone_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace cab::detail
