#include "platform/imaging/ImageDecoder.h"

#include "platform/imaging/FrameMemory.h"
#include "platform/imaging/ImageFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

#include <turbojpeg.h>

#include <exception>
#include <new>

namespace imaging {

namespace {

// A header lies within the first bytes of a file unless large metadata comes
// first; then the whole file is read after all.
constexpr qint64 kHeaderPrefix = 8 * 1024;

DecodedImage Failure(const QString& text)
{
    DecodedImage out;
    out.error = text;
    return out;
}

QString Damaged(const QString& name, const QString& reason)
{
    return QStringLiteral("Image file is damaged or not a valid JPEG image: %1 (%2)").arg(name, reason);
}

QString OutOfMemory(const QString& name)
{
    return QStringLiteral("Not enough memory to decode the image file: %1").arg(name);
}

QString TooLarge(const QString& name, qint64 width, qint64 height)
{
    return QStringLiteral("Image file is too large to decode: %1 (%2 x %3 pixels)")
        .arg(name)
        .arg(width)
        .arg(height);
}

// The checks every decode passes before it reserves memory. `fileBytes` is the
// whole file's size, `scaled` the size the decode would produce.
QString CheckDeclaredSize(const QString& name, QSize full, bool jpeg, qint64 fileBytes, QSize scaled,
                          qint64 maxBytes)
{
    const qint64 pixels = qint64(full.width()) * full.height();
    if (pixels > kMaxImagePixels)
        return TooLarge(name, full.width(), full.height());
    if (jpeg && pixels > std::max(kPlausiblePixelsAnyFile, fileBytes * kMaxJpegPixelsPerByte))
        return QStringLiteral("Image file claims more pixels than it holds: %1 (%2 x %3 pixels in %4 bytes)")
            .arg(name)
            .arg(full.width())
            .arg(full.height())
            .arg(fileBytes);
    if (DecodedBytes(scaled) > maxBytes)
        return TooLarge(name, scaled.width(), scaled.height());
    return {};
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

QByteArray Borrowed(const uchar* data, qint64 size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), size);
}

QString Unsupported(const QString& name, const QString& reason)
{
    return QStringLiteral("Image file is not in a supported image format: %1 (%2)").arg(name, reason);
}

// Decodes through Qt's readers: every format but JPEG, and the JPEG colour
// spaces TurboJPEG cannot turn into RGB (CMYK, YCCK). Always at full size.
DecodedImage DecodeWithQt(const QByteArray& bytes, const QString& name, bool expectJpeg, qint64 maxBytes)
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
        return Failure(Unsupported(name, reader.errorString()));
    }
    const QSize size = reader.size();
    if (size.isValid()) {
        const QString refused = CheckDeclaredSize(name, size, false, bytes.size(), size, maxBytes);
        if (!refused.isEmpty())
            return Failure(refused);
    }
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
        return Failure(OutOfMemory(name));
    DecodedImage out;
    out.image = image;
    return out;
}

struct JpegHeader {
    QSize size;
    int colourspace = 0;
    QString error;
};

JpegHeader ReadJpegHeader(const uchar* data, qint64 size, const QString& name)
{
    JpegHeader out;
    tjhandle tj = ThreadDecompressor();
    if (!tj) {
        out.error = OutOfMemory(name);
        return out;
    }
    int width = 0, height = 0, subsampling = 0;
    if (tjDecompressHeader3(tj, data, static_cast<unsigned long>(size), &width, &height, &subsampling,
                            &out.colourspace) != 0) {
        out.error = Damaged(name, QString::fromLocal8Bit(tjGetErrorStr2(tj)));
        return out;
    }
    if (width <= 0 || height <= 0)
        out.error = Damaged(name, QStringLiteral("no image size"));
    out.size = QSize(width, height);
    return out;
}

bool NeedsQtReader(int colourspace)
{
    return colourspace == TJCS_CMYK || colourspace == TJCS_YCCK;
}

DecodedImage DecodeJpeg(const uchar* data, qint64 size, const QString& name, const DecodeOptions& options)
{
    if (size > 0xFFFFFFFFLL)
        return Failure(TooLarge(name, 0, 0));
    const JpegHeader header = ReadJpegHeader(data, size, name);
    if (!header.error.isEmpty())
        return Failure(header.error);
    if (NeedsQtReader(header.colourspace))
        return DecodeWithQt(Borrowed(data, size), name, true, options.maxBytes);
    const QSize scaled = ScaledSize(header.size, options.scale);
    const QString refused = CheckDeclaredSize(name, header.size, true, size, scaled, options.maxBytes);
    if (!refused.isEmpty())
        return Failure(refused);
    QImage image = NewFrameImage(scaled.width(), scaled.height());
    if (image.isNull())
        return Failure(OutOfMemory(name));
    // QImage pads each row to 4 bytes; TurboJPEG writes at that pitch. Asked for
    // exactly the scaled size, it picks exactly that scaling factor.
    tjhandle tj = ThreadDecompressor();
    const int rc = tjDecompress2(tj, data, static_cast<unsigned long>(size), image.bits(), scaled.width(),
                                 static_cast<int>(image.bytesPerLine()), scaled.height(), TJPF_RGB,
                                 TJFLAG_STOPONWARNING);
    // A warning (a truncated file, corrupt entropy data) counts as a failure: the
    // decoder would otherwise hand back a frame with grey or garbled rows.
    if (rc != 0)
        return Failure(Damaged(name, QString::fromLocal8Bit(tjGetErrorStr2(tj))));
    DecodedImage out;
    out.image = image;
    out.scale = options.scale;
    return out;
}

DecodedImage DecodeData(const uchar* data, qint64 size, const QString& name, const DecodeOptions& options)
{
    if (LooksLikeJpeg(data, size))
        return DecodeJpeg(data, size, name, options);
    return DecodeWithQt(Borrowed(data, size), name, HasJpegExtension(name), options.maxBytes);
}

// Whatever escapes a decode (memory running out inside Qt or the decoder)
// becomes the file's error: a decode runs on worker threads, where an escaping
// exception would end the program.
template <typename Result, typename Work>
Result Guarded(const QString& name, Work&& work)
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        Result out;
        out.error = OutOfMemory(name);
        return out;
    } catch (const std::exception& e) {
        Result out;
        out.error = QStringLiteral("Image file could not be read: %1 (%2)").arg(name, QString::fromLocal8Bit(e.what()));
        return out;
    } catch (...) {
        Result out;
        out.error = OutOfMemory(name);
        return out;
    }
}

ImageHeader HeaderOf(const uchar* data, qint64 size, qint64 fileBytes, const QString& path)
{
    ImageHeader out;
    if (LooksLikeJpeg(data, size)) {
        const JpegHeader header = ReadJpegHeader(data, size, path);
        out.error = header.error;
        out.size = header.size;
        out.jpeg = !NeedsQtReader(header.colourspace);
        if (out.error.isEmpty())
            out.error = CheckDeclaredSize(path, out.size, true, fileBytes, out.size, kMaxImagePixels * 3);
        return out;
    }
    QByteArray bytes = Borrowed(data, size);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead()) {
        out.error = HasJpegExtension(path) ? Damaged(path, QStringLiteral("not a JPEG file"))
                                           : Unsupported(path, reader.errorString());
        return out;
    }
    out.size = reader.size();
    if (!out.size.isValid())
        out.error = QStringLiteral("Image file is damaged or not a valid %1 image: %2 (no image size)")
                        .arg(QString::fromLatin1(reader.format()).toUpper(), path);
    else
        out.error = CheckDeclaredSize(path, out.size, false, fileBytes, out.size, kMaxImagePixels * 3);
    return out;
}

} // namespace

qint64 DecodedBytes(QSize size)
{
    return (qint64(size.width()) * 3 + 3) / 4 * 4 * size.height();
}

DecodedImage DecodeImageBytes(const QByteArray& bytes, const QString& name, const DecodeOptions& options)
{
    return Guarded<DecodedImage>(name, [&] {
        return DecodeData(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size(), name, options);
    });
}

DecodedImage DecodeImageFile(const QString& path, const DecodeOptions& options)
{
    return Guarded<DecodedImage>(path, [&] {
        const ImageFileBytes file = ReadImageFile(path);
        if (!file.ok())
            return Failure(file.error);
        DecodedImage result = DecodeData(file.data, file.size, path, options);
        TrimImageFileBuffer();
        return result;
    });
}

ImageHeader ReadImageHeader(const QString& path)
{
    return Guarded<ImageHeader>(path, [&] {
        ImageFileBytes file = ReadImageFile(path, kHeaderPrefix);
        ImageHeader header;
        if (!file.ok()) {
            header.error = file.error;
            return header;
        }
        header = HeaderOf(file.data, file.size, file.sizeOnDisk, path);
        if (!header.ok() && file.size < file.sizeOnDisk) {
            file = ReadImageFile(path);
            header = file.ok() ? HeaderOf(file.data, file.size, file.sizeOnDisk, path) : ImageHeader{{}, false, file.error};
            TrimImageFileBuffer();
        }
        return header;
    });
}

} // namespace imaging
