#include "viewer/export/CanvasPool.h"

#include <cstdlib>

namespace exporting {

// What an image lent from the pool carries to give its memory back.
struct CanvasLease {
    std::shared_ptr<CanvasPool> pool;
    uchar* data;
    qsizetype bytes;

    static void Return(void* info)
    {
        auto* lease = static_cast<CanvasLease*>(info);
        lease->pool->Give(lease->data, lease->bytes);
        delete lease;
    }
};

CanvasPool::~CanvasPool()
{
    for (const Buffer& buffer : free_)
        std::free(buffer.data);
}

QImage CanvasPool::Take(QSize size, QImage::Format format)
{
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    if (size.isEmpty() || depth <= 0)
        return {};
    const qsizetype bytesPerLine = (qsizetype(size.width()) * depth + 31) / 32 * 4;
    const qsizetype bytes = bytesPerLine * size.height();
    uchar* data = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = free_.begin(); it != free_.end(); ++it) {
            if (it->bytes == bytes) {
                data = it->data;
                free_.erase(it);
                break;
            }
        }
    }
    if (!data)
        data = static_cast<uchar*>(std::malloc(static_cast<std::size_t>(bytes)));
    if (!data)
        return {};
    auto* lease = new CanvasLease{shared_from_this(), data, bytes};
    return QImage(data, size.width(), size.height(), bytesPerLine, format, &CanvasLease::Return, lease);
}

void CanvasPool::Give(uchar* data, qsizetype bytes)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (free_.size() < kKept) {
            free_.push_back({data, bytes});
            return;
        }
    }
    std::free(data);
}

} // namespace exporting
