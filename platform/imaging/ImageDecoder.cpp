#include "platform/imaging/ImageDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <turbojpeg.h>

#include <memory>
#include <new>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace imaging {

namespace {

// A decoded image larger than this (805 MB at 3 bytes a pixel) is refused
// before any memory is asked for: a damaged header can claim any size.
constexpr qint64 kMaxPixels = qint64(1) << 28;

DecodedImage Failure(const QString& text)
{
    return {QImage(), text};
}

QString Damaged(const QString& name, const QString& reason)
{
    return QStringLiteral("Image file is damaged or not a valid JPEG image: %1 (%2)").arg(name, reason);
}

// One decompressor per thread, kept for the thread's life: creating one per
// file costs more than a small frame's decode.
struct Decompressor {
    tjhandle handle = tjInitDecompress();
    ~Decompressor()
    {
        if (handle)
            tjDestroy(handle);
    }
};

tjhandle ThreadDecompressor()
{
    thread_local Decompressor decompressor;
    return decompressor.handle;
}

bool LooksLikeJpeg(const uchar* data, qint64 size)
{
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool HasJpegExtension(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == u"jpg" || suffix == u"jpeg" || suffix == u"jpe" || suffix == u"jfif";
}

QString TooLarge(const QString& name, qint64 width, qint64 height)
{
    return QStringLiteral("Image file is too large to decode: %1 (%2 x %3 pixels)")
        .arg(name)
        .arg(width)
        .arg(height);
}

// Decodes through Qt's readers: every format but JPEG, and the JPEG colour
// spaces TurboJPEG cannot turn into RGB (CMYK, YCCK).
DecodedImage DecodeWithQt(const QByteArray& bytes, const QString& name, bool expectJpeg)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    if (!reader.canRead()) {
        if (expectJpeg)
            return Failure(Damaged(name, QStringLiteral("not a JPEG file")));
        return Failure(QStringLiteral("Image file is not in a supported image format: %1 (%2)")
                           .arg(name, reader.errorString()));
    }
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPixels)
        return Failure(TooLarge(name, size.width(), size.height()));
    QImage image = reader.read();
    if (image.isNull()) {
        const QString format = QString::fromLatin1(reader.format()).toUpper();
        return Failure(QStringLiteral("Image file is damaged or not a valid %1 image: %2 (%3)")
                           .arg(format.isEmpty() ? QStringLiteral("image") : format, name,
                                reader.errorString()));
    }
    if (image.format() != QImage::Format_RGB888)
        image = image.convertToFormat(QImage::Format_RGB888);
    if (image.isNull())
        return Failure(QStringLiteral("Not enough memory to decode the image file: %1").arg(name));
    return {image, QString()};
}

#ifdef MAP_POPULATE
struct FrameMapping {
    void* address;
    std::size_t length;
};

void ReleaseFrame(void* info)
{
    auto* mapping = static_cast<FrameMapping*>(info);
    munmap(mapping->address, mapping->length);
    delete mapping;
}
#endif

// An RGB888 image whose pixel memory is committed in one request: touching a
// fresh multi-megabyte buffer page by page costs about a third of the decode
// itself, and many frames are decoded in a row. Falls back to QImage's own
// allocation where that request cannot be made.
QImage NewFrame(int width, int height)
{
#ifdef MAP_POPULATE
    const qsizetype bytesPerLine = (qsizetype(width) * 3 + 3) / 4 * 4;
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t length = (std::size_t(bytesPerLine) * height + page - 1) / page * page;
    void* address = mmap(nullptr, length, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (address != MAP_FAILED) {
        auto* mapping = new FrameMapping{address, length};
        QImage image(static_cast<uchar*>(address), width, height, bytesPerLine,
                     QImage::Format_RGB888, ReleaseFrame, mapping);
        if (!image.isNull())
            return image;
        ReleaseFrame(mapping);
    }
#endif
    return QImage(width, height, QImage::Format_RGB888);
}

// The compressed bytes of one file, in a buffer each thread reuses: a fresh
// buffer per file would pay for its pages every time.
std::vector<uchar>& ScratchBuffer()
{
    thread_local std::vector<uchar> buffer;
    return buffer;
}

// A thread keeps a scratch buffer up to this size between files.
constexpr std::size_t kScratchKept = std::size_t(16) << 20;

DecodedImage DecodeJpeg(const uchar* data, qint64 size, const QString& name, const QByteArray* owner)
{
    tjhandle tj = ThreadDecompressor();
    if (!tj)
        return Failure(QStringLiteral("Not enough memory to decode the image file: %1").arg(name));
    if (size > 0xFFFFFFFFLL)
        return Failure(TooLarge(name, 0, 0));
    const auto length = static_cast<unsigned long>(size);
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(tj, data, length, &width, &height, &subsampling, &colourspace) != 0)
        return Failure(Damaged(name, QString::fromLocal8Bit(tjGetErrorStr2(tj))));
    if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK) {
        const QByteArray bytes = owner ? *owner
                                       : QByteArray::fromRawData(reinterpret_cast<const char*>(data), size);
        return DecodeWithQt(bytes, name, true);
    }
    if (width <= 0 || height <= 0)
        return Failure(Damaged(name, QStringLiteral("no image size")));
    if (qint64(width) * height > kMaxPixels)
        return Failure(TooLarge(name, width, height));
    QImage image = NewFrame(width, height);
    if (image.isNull())
        return Failure(QStringLiteral("Not enough memory to decode the image file: %1").arg(name));
    // QImage pads each row to 4 bytes; TurboJPEG writes at that pitch.
    const int rc = tjDecompress2(tj, data, length, image.bits(), width,
                                 static_cast<int>(image.bytesPerLine()), height, TJPF_RGB,
                                 TJFLAG_STOPONWARNING);
    // A warning (a truncated file, corrupt entropy data) counts as a failure: the
    // decoder would otherwise hand back a frame with grey or garbled rows.
    if (rc != 0)
        return Failure(Damaged(name, QString::fromLocal8Bit(tjGetErrorStr2(tj))));
    return {image, QString()};
}

DecodedImage DecodeData(const uchar* data, qint64 size, const QString& name, const QByteArray* owner)
{
    if (LooksLikeJpeg(data, size))
        return DecodeJpeg(data, size, name, owner);
    const QByteArray bytes = owner ? *owner
                                   : QByteArray::fromRawData(reinterpret_cast<const char*>(data), size);
    return DecodeWithQt(bytes, name, HasJpegExtension(name));
}

} // namespace

DecodedImage DecodeImageBytes(const QByteArray& bytes, const QString& name)
{
    return DecodeData(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size(), name, &bytes);
}

DecodedImage DecodeImageFile(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return Failure(QStringLiteral("Image file not found: %1").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return Failure(QStringLiteral("Image file could not be read: %1 (%2)").arg(path, file.errorString()));
    const qint64 size = file.size();
    if (size > 0) {
        std::vector<uchar>& buffer = ScratchBuffer();
        try {
            if (buffer.size() < std::size_t(size))
                buffer.resize(std::size_t(size));
        } catch (const std::bad_alloc&) {
            std::vector<uchar>().swap(buffer);
            return Failure(QStringLiteral("Not enough memory to decode the image file: %1").arg(path));
        }
        qint64 got = 0;
        while (got < size) {
            const qint64 n = file.read(reinterpret_cast<char*>(buffer.data()) + got, size - got);
            if (n < 0)
                return Failure(QStringLiteral("Image file could not be read: %1 (%2)").arg(path, file.errorString()));
            if (n == 0)
                break; // the file shrank meanwhile; the decoder judges what is there
            got += n;
        }
        DecodedImage result = DecodeData(buffer.data(), got, path, nullptr);
        if (buffer.capacity() > kScratchKept)
            std::vector<uchar>().swap(buffer);
        return result;
    }
    // Pipes and other files without a size are read to their end.
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Failure(QStringLiteral("Image file could not be read: %1 (%2)").arg(path, file.errorString()));
    return DecodeImageBytes(bytes, path);
}

} // namespace imaging
