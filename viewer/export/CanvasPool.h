// Memory for composed frames that goes back to a pool when the last copy of a
// frame is gone, whichever thread drops it. An export composes a fresh
// multi-megabyte frame for every frame it writes; taking that memory from the
// system each time costs a page fault and a page clearing for every page.
#pragma once

#include <QImage>
#include <QSize>

#include <memory>
#include <mutex>
#include <vector>

namespace exporting {

class CanvasPool : public std::enable_shared_from_this<CanvasPool> {
public:
    ~CanvasPool();

    // An image of `size` whose pixels are left as they were: the caller paints
    // every one. Null when there is no memory for it.
    QImage Take(QSize size, QImage::Format format);

    // Buffers kept for reuse at most; more are given back to the system.
    static constexpr std::size_t kKept = 16;

private:
    friend struct CanvasLease;
    void Give(uchar* data, qsizetype bytes);

    std::mutex mutex_;
    struct Buffer {
        uchar* data;
        qsizetype bytes;
    };
    std::vector<Buffer> free_;
};

} // namespace exporting
