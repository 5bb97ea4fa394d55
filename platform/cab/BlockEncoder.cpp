#include "platform/cab/BlockEncoder.h"

#include "platform/cab/CabChecksum.h"
#include "platform/cab/CabFormat.h"

#include <cstring>
#include <memory>
#include <zlib.h>

namespace cab::detail {

namespace {

// One deflate state per thread, reset for every block: setting it up costs
// more than compressing a small block.
class Deflater {
public:
    explicit Deflater(int level) : level_(level)
    {
        ok_ = deflateInit2(&stream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater()
    {
        if (ok_)
            deflateEnd(&stream_);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    int Level() const { return level_; }

    // Deflates into `out` (room for `capacity` bytes); the count written, or
    // 0 when the stream did not fit.
    std::size_t Compress(const std::uint8_t* raw, std::size_t size, const std::uint8_t* history,
                         std::size_t historySize, std::uint8_t* out, std::size_t capacity)
    {
        if (!ok_ || deflateReset(&stream_) != Z_OK)
            return 0;
        if (historySize > 0
            && deflateSetDictionary(&stream_, history, static_cast<uInt>(historySize)) != Z_OK)
            return 0;
        stream_.next_in = const_cast<Bytef*>(raw);
        stream_.avail_in = static_cast<uInt>(size);
        stream_.next_out = out;
        stream_.avail_out = static_cast<uInt>(capacity);
        if (deflate(&stream_, Z_FINISH) != Z_STREAM_END)
            return 0;
        return capacity - stream_.avail_out;
    }

private:
    z_stream stream_ {};
    int level_;
    bool ok_ = false;
};

Deflater& ThreadDeflater(int level)
{
    thread_local std::unique_ptr<Deflater> deflater;
    if (!deflater || deflater->Level() != level)
        deflater = std::make_unique<Deflater>(level);
    return *deflater;
}

} // namespace

std::vector<std::uint8_t> EncodeDataBlock(Compression compression, const std::uint8_t* raw,
                                          std::size_t size, const std::uint8_t* history,
                                          std::size_t historySize, int level)
{
    using namespace format;
    // A stored deflate block: final-block bit, type 00, then LEN and NLEN.
    constexpr std::size_t kStoredOverhead = sizeof kMsZipSignature + 5;
    std::vector<std::uint8_t> record;
    std::size_t payload = 0;

    if (compression == Compression::MsZip) {
        // Anything bigger than the stored form is useless, so deflate is only
        // given room for that much.
        std::size_t limit = size + kStoredOverhead;
        record.resize(cfdata_SIZEOF + limit);
        std::uint8_t* out = record.data() + cfdata_SIZEOF;
        std::memcpy(out, kMsZipSignature, sizeof kMsZipSignature);
        std::size_t deflated = ThreadDeflater(level).Compress(raw, size, history, historySize,
                                                              out + sizeof kMsZipSignature,
                                                              limit - sizeof kMsZipSignature - 1);
        if (deflated > 0) {
            payload = sizeof kMsZipSignature + deflated;
        } else {
            std::uint8_t* p = out + sizeof kMsZipSignature;
            p[0] = 0x01;
            PutU16(p + 1, std::uint16_t(size));
            PutU16(p + 3, std::uint16_t(~size));
            std::memcpy(p + 5, raw, size);
            payload = kStoredOverhead + size;
        }
        record.resize(cfdata_SIZEOF + payload);
    } else {
        record.resize(cfdata_SIZEOF + size);
        std::memcpy(record.data() + cfdata_SIZEOF, raw, size);
        payload = size;
    }

    std::uint8_t* header = record.data();
    PutU16(header + cfdata_CompressedSize, std::uint16_t(payload));
    PutU16(header + cfdata_UncompressedSize, std::uint16_t(size));
    PutU32(header + cfdata_CheckSum,
           DataBlockChecksum(header + cfdata_SIZEOF, std::uint16_t(payload), std::uint16_t(size)));
    return record;
}

} // namespace cab::detail
