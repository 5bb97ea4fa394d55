#include "platform/imaging/FrameMemory.h"

#include <mutex>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace imaging {

#ifdef MAP_POPULATE
namespace {

struct Block {
    void* address;
    std::size_t length;
};

// Lives to the end of the process: an image released during static
// destruction still finds it.
struct KeptBlocks {
    std::mutex mutex;
    std::vector<Block> blocks;
    std::size_t bytes = 0;
};

KeptBlocks& Kept()
{
    static KeptBlocks* kept = new KeptBlocks;
    return *kept;
}

void* TakeBlock(std::size_t length)
{
    {
        KeptBlocks& kept = Kept();
        const std::lock_guard<std::mutex> lock(kept.mutex);
        for (auto it = kept.blocks.rbegin(); it != kept.blocks.rend(); ++it) {
            if (it->length == length) {
                void* address = it->address;
                kept.bytes -= length;
                kept.blocks.erase(std::next(it).base());
                return address;
            }
        }
    }
    void* address = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    return address == MAP_FAILED ? nullptr : address;
}

void GiveBlock(Block block)
{
    {
        KeptBlocks& kept = Kept();
        const std::lock_guard<std::mutex> lock(kept.mutex);
        if (kept.bytes + block.length <= std::size_t(kKeptFrameBytes)) {
            kept.blocks.push_back(block);
            kept.bytes += block.length;
            return;
        }
    }
    munmap(block.address, block.length);
}

void ReleaseFrame(void* info)
{
    auto* block = static_cast<Block*>(info);
    GiveBlock(*block);
    delete block;
}

} // namespace

QImage NewFrameImage(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    const qsizetype bytesPerLine = (qsizetype(width) * 3 + 3) / 4 * 4;
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t length = (std::size_t(bytesPerLine) * std::size_t(height) + page - 1) / page * page;
    void* address = TakeBlock(length);
    if (!address)
        return QImage(width, height, QImage::Format_RGB888);
    auto* block = new Block{address, length};
    QImage image(static_cast<uchar*>(address), width, height, bytesPerLine, QImage::Format_RGB888, ReleaseFrame,
                 block);
    if (image.isNull())
        ReleaseFrame(block);
    return image;
}

qint64 KeptFrameBytes()
{
    KeptBlocks& kept = Kept();
    const std::lock_guard<std::mutex> lock(kept.mutex);
    return qint64(kept.bytes);
}

#else

// Without a way to commit memory in one request, QImage's own allocation.
QImage NewFrameImage(int width, int height)
{
    return QImage(width, height, QImage::Format_RGB888);
}

qint64 KeptFrameBytes()
{
    return 0;
}

#endif

} // namespace imaging
