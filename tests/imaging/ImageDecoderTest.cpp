// Decoding one file: JPEG through TurboJPEG into the image's own padded rows,
// other formats through Qt, and a clear text for every file that fails.
#include "platform/imaging/ImageDecoder.h"
#include "platform/imaging/ImageFile.h"

#include "ImagingTestData.h"
#include "TestPaths.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

using imaging::DecodeImageBytes;
using imaging::DecodeImageFile;
using imaging::DecodeOptions;
using imaging::DecodeScale;
using imaging::ReadImageHeader;
using imagingtest::DataFile;
using imagingtest::Near;

namespace {

// The decoder's own reason in parentheses varies with the library version;
// everything around it is fixed.
void ExpectDamagedJpeg(const imaging::DecodedImage& decoded, const QString& path)
{
    EXPECT_TRUE(decoded.image.isNull());
    const QString prefix = "Image file is damaged or not a valid JPEG image: " + path + " (";
    EXPECT_TRUE(decoded.error.startsWith(prefix)) << decoded.error.toStdString();
    EXPECT_TRUE(decoded.error.endsWith(u')')) << decoded.error.toStdString();
    EXPECT_GT(decoded.error.size(), prefix.size() + 1) << "a reason is given";
}

} // namespace

TEST(ImageDecoder, JpegDecodesTo24BitRowsWithTheImagesOwnPadding)
{
    // 33 pixels make 99 bytes a row, which the image pads to 100: a decoder that
    // ignored the padding would slant every row after the first.
    const auto decoded = DecodeImageFile(DataFile("good_33x17.jpg"));
    ASSERT_TRUE(decoded.ok()) << decoded.error.toStdString();
    const QImage& image = decoded.image;
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_EQ(image.size(), QSize(33, 17));
    EXPECT_EQ(image.bytesPerLine(), 100);
    EXPECT_TRUE(Near(image.pixel(2, 2), QColor(230, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(16, 5), QColor(0, 200, 0)));
    EXPECT_TRUE(Near(image.pixel(30, 10), QColor(0, 0, 220)));
    EXPECT_TRUE(Near(image.pixel(32, 16), QColor(250, 250, 250)));
    EXPECT_TRUE(Near(image.pixel(0, 16), QColor(250, 250, 250)));
}

TEST(ImageDecoder, MissingAndUnreadablePathsAreNamedInTheText)
{
    testsupport::TempDir dir;
    const QString missing = QString::fromStdString((dir / "v1_007.jpg").string());
    const auto gone = DecodeImageFile(missing);
    EXPECT_EQ(gone.error, "Image file not found: " + missing);
    EXPECT_TRUE(gone.image.isNull());

    const QString folder = QString::fromStdString(dir.path().string());
    const auto notAFile = DecodeImageFile(folder);
    EXPECT_TRUE(notAFile.error.startsWith("Image file could not be read: " + folder + " ("))
        << notAFile.error.toStdString();
}

TEST(ImageDecoder, DamagedJpegFilesFailEachWithTheDamageText)
{
    for (const char* name : {"truncated_in_scan.jpg", "corrupt_entropy_data.jpg"}) {
        SCOPED_TRACE(name);
        ExpectDamagedJpeg(DecodeImageFile(DataFile(name)), DataFile(name));
    }
    // An empty file with a JPEG name is a damaged JPEG, not an unknown format.
    EXPECT_EQ(DecodeImageFile(DataFile("empty.jpg")).error,
              "Image file is damaged or not a valid JPEG image: " + DataFile("empty.jpg") +
                  " (not a JPEG file)");
}

TEST(ImageDecoder, HeaderClaimingAHugeImageIsRefusedBeforeAnyMemoryIsTaken)
{
    const QString path = DataFile("huge_dimensions_in_header.jpg");
    EXPECT_EQ(DecodeImageFile(path).error,
              "Image file is too large to decode: " + path + " (65500 x 65500 pixels)");
}

TEST(ImageDecoder, OtherFormatsLoadThroughQtAs24Bit)
{
    const auto png = DecodeImageFile(DataFile("good_rgba_5x3.png"));
    ASSERT_TRUE(png.ok()) << png.error.toStdString();
    EXPECT_EQ(png.image.format(), QImage::Format_RGB888);
    EXPECT_EQ(png.image.size(), QSize(5, 3));
    EXPECT_EQ(png.image.pixel(4, 2), qRgb(200, 200, 200));
    EXPECT_EQ(png.image.pixel(2, 1), qRgb(100, 100, 200));

    const auto bmp = DecodeImageFile(DataFile("good_7x5.bmp"));
    ASSERT_TRUE(bmp.ok()) << bmp.error.toStdString();
    EXPECT_EQ(bmp.image.format(), QImage::Format_RGB888);
    EXPECT_EQ(bmp.image.pixel(6, 4), qRgb(180, 240, 90));
}

TEST(ImageDecoder, CmykJpegFallsBackToQtsReader)
{
    const auto decoded = DecodeImageFile(DataFile("cmyk_16x16.jpg"));
    ASSERT_TRUE(decoded.ok()) << decoded.error.toStdString();
    EXPECT_EQ(decoded.image.format(), QImage::Format_RGB888);
    EXPECT_EQ(decoded.image.size(), QSize(16, 16));
}

TEST(ImageDecoder, UnknownContentIsReportedAsAnUnsupportedFormat)
{
    const QString path = DataFile("text_named_png.png");
    const auto decoded = DecodeImageFile(path);
    EXPECT_TRUE(decoded.image.isNull());
    EXPECT_TRUE(decoded.error.startsWith("Image file is not in a supported image format: " + path + " ("))
        << decoded.error.toStdString();
}

TEST(ImageDecoder, ContentDecidesTheFormatNotTheName)
{
    testsupport::TempDir dir;
    const auto pngNamedJpg = dir.Write("frame.jpg", testsupport::ReadAll(DataFile("good_7x5.bmp").toStdString()));
    const auto decoded = DecodeImageFile(QString::fromStdString(pngNamedJpg.string()));
    ASSERT_TRUE(decoded.ok()) << decoded.error.toStdString();
    EXPECT_EQ(decoded.image.size(), QSize(7, 5));
}

TEST(ImageDecoder, BytesInMemoryDecodeLikeTheFile)
{
    QFile file(DataFile("good_33x17.jpg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto fromBytes = DecodeImageBytes(file.readAll(), "memory");
    const auto fromFile = DecodeImageFile(DataFile("good_33x17.jpg"));
    ASSERT_TRUE(fromBytes.ok());
    EXPECT_EQ(fromBytes.image, fromFile.image);
    ExpectDamagedJpeg(DecodeImageBytes(QByteArray("\xFF\xD8\xFF\xE0", 4), "memory"), "memory");
}

TEST(ImageDecoder, DevicesFifosAndLinksToThemAreRefusedAtOnceNamingTheFile)
{
    testsupport::TempDir dir;
    const std::string fifo = (dir / "v1_001.jpg").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto zeroLink = dir / "v1_002.jpg";
    std::filesystem::create_symlink("/dev/zero", zeroLink);
    const auto fifoLink = dir / "v1_003.jpg";
    std::filesystem::create_symlink(fifo, fifoLink);

    for (const std::string& path :
         {fifo, std::string("/dev/zero"), std::string("/dev/urandom"), zeroLink.string(), fifoLink.string()}) {
        SCOPED_TRACE(path);
        const QString name = QString::fromStdString(path);
        const QString expected = "Image file could not be read: " + name + " (not a regular file)";
        const auto decoded = imagingtest::Within10Seconds<imaging::DecodedImage>([name] { return DecodeImageFile(name); });
        ASSERT_TRUE(decoded.has_value()) << "the decode blocked";
        EXPECT_EQ(decoded->error, expected);
        const auto header = imagingtest::Within10Seconds<imaging::ImageHeader>([name] { return ReadImageHeader(name); });
        ASSERT_TRUE(header.has_value()) << "the header read blocked";
        EXPECT_EQ(header->error, expected);
    }
}

TEST(ImageDecoder, AFileOfImplausibleSizeIsRefusedUnread)
{
    testsupport::TempDir dir;
    const auto path = dir.Write("v1_001.jpg", testsupport::ReadAll(DataFile("good_33x17.jpg").toStdString()));
    // Sparse: the refusal must come from the size on disk, not from reading it.
    std::filesystem::resize_file(path, imaging::kMaxImageFileBytes + 1);
    const QString name = QString::fromStdString(path.string());
    const QString expected = QStringLiteral("Image file is too large to read: %1 (%2 bytes)")
                                 .arg(name)
                                 .arg(imaging::kMaxImageFileBytes + 1);
    EXPECT_EQ(DecodeImageFile(name).error, expected);
    EXPECT_EQ(ReadImageHeader(name).error, expected);
}

TEST(ImageDecoder, HeaderClaimingMorePixelsThanItsBytesHoldIsRefusedFromTheHeader)
{
    // 3,284 bytes that claim 16000 x 16000: a decode would reserve 768 MB.
    const QString path = DataFile("header_claims_16000x16000.jpg");
    const QString expected =
        "Image file claims more pixels than it holds: " + path + " (16000 x 16000 pixels in 3284 bytes)";
    EXPECT_EQ(DecodeImageFile(path).error, expected);
    EXPECT_EQ(DecodeImageFile(path, {DecodeScale::Eighth}).error, expected)
        << "a small scale does not excuse a lying header";
    EXPECT_EQ(ReadImageHeader(path).error, expected);
}

TEST(ImageDecoder, DecodeLargerThanTheCallersBudgetIsRefusedBeforeReserving)
{
    const QString path = DataFile("good_64x64_noise.jpg");
    DecodeOptions options;
    options.maxBytes = imaging::DecodedBytes(QSize(64, 64)) - 1;
    EXPECT_EQ(DecodeImageFile(path, options).error,
              "Image file is too large to decode: " + path + " (64 x 64 pixels)");
    // The same budget holds the frame at half size.
    options.scale = DecodeScale::Half;
    const auto half = DecodeImageFile(path, options);
    ASSERT_TRUE(half.ok()) << half.error.toStdString();
    EXPECT_EQ(half.image.size(), QSize(32, 32));
    EXPECT_EQ(half.scale, DecodeScale::Half);
}

TEST(ImageDecoder, ScaledDecodeKeepsTheFramesContent)
{
    const auto full = DecodeImageFile(DataFile("good_33x17.jpg"));
    const auto eighth = DecodeImageFile(DataFile("good_33x17.jpg"), {DecodeScale::Eighth});
    ASSERT_TRUE(eighth.ok()) << eighth.error.toStdString();
    EXPECT_EQ(eighth.image.size(), QSize(5, 3)) << "sides rounded up, as the decoder rounds";
    EXPECT_EQ(eighth.image.size(), imaging::ScaledSize(full.image.size(), DecodeScale::Eighth));
    EXPECT_TRUE(Near(eighth.image.pixel(0, 0), QColor(230, 0, 0), 40));
    // Other formats have no cheaper scale: they come at full size, said so.
    const auto png = DecodeImageFile(DataFile("good_rgba_5x3.png"), {DecodeScale::Eighth});
    EXPECT_EQ(png.image.size(), QSize(5, 3));
    EXPECT_EQ(png.scale, DecodeScale::Full);
}

TEST(ImageDecoder, HeaderAloneGivesTheSizeAndTheDecodersVerdictOnTheFormat)
{
    const auto jpeg = ReadImageHeader(DataFile("good_33x17.jpg"));
    ASSERT_TRUE(jpeg.ok()) << jpeg.error.toStdString();
    EXPECT_EQ(jpeg.size, QSize(33, 17));
    EXPECT_TRUE(jpeg.jpeg);
    const auto png = ReadImageHeader(DataFile("good_rgba_5x3.png"));
    EXPECT_EQ(png.size, QSize(5, 3));
    EXPECT_FALSE(png.jpeg);
    EXPECT_FALSE(ReadImageHeader(DataFile("cmyk_16x16.jpg")).jpeg) << "CMYK goes through Qt, unscaled";
    EXPECT_EQ(ReadImageHeader(DataFile("empty.jpg")).error, DecodeImageFile(DataFile("empty.jpg")).error);
    EXPECT_EQ(ReadImageHeader(DataFile("text_named_png.png")).error,
              DecodeImageFile(DataFile("text_named_png.png")).error);
    EXPECT_EQ(ReadImageHeader(DataFile("huge_dimensions_in_header.jpg")).error,
              DecodeImageFile(DataFile("huge_dimensions_in_header.jpg")).error);

    // A header behind more metadata than the first read takes is still found.
    testsupport::TempDir dir;
    std::string bytes = testsupport::ReadAll(DataFile("good_33x17.jpg").toStdString());
    std::string comment;
    for (int i = 0; i < 3; ++i) // three 60 KB comment segments after the start marker
        comment += std::string("\xFF\xFE\xEA\x60", 4) + std::string(0xEA60 - 2, 'c');
    bytes.insert(2, comment);
    const auto late = dir.Write("late.jpg", bytes);
    const auto found = ReadImageHeader(QString::fromStdString(late.string()));
    ASSERT_TRUE(found.ok()) << found.error.toStdString();
    EXPECT_EQ(found.size, QSize(33, 17));
}

TEST(ImageDecoder, ScaleChosenIsTheSmallestThatCoversTheImageOnScreen)
{
    const QSize hd(1920, 1080);
    const struct {
        QSize needed;
        DecodeScale scale;
    } cases[] = {
        {{240, 135}, DecodeScale::Eighth},  // exactly 1/8
        {{241, 100}, DecodeScale::Quarter}, // one pixel wider
        {{800, 450}, DecodeScale::Half},    // the bench's panel
        {{480, 271}, DecodeScale::Half},    // taller than 1/4 by a pixel
        {{960, 540}, DecodeScale::Half},
        {{961, 540}, DecodeScale::Full},
        {{3840, 2160}, DecodeScale::Full}, // a zoom beyond full size cannot get more
        {{0, 0}, DecodeScale::Eighth},     // a panel not yet laid out
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.needed.width() << "x" << c.needed.height());
        EXPECT_EQ(imaging::ScaleToCover(hd, c.needed), c.scale);
    }
    EXPECT_EQ(imaging::ScaledSize(QSize(1921, 1081), DecodeScale::Eighth), QSize(241, 136));
    EXPECT_TRUE(imaging::ScaleServes(DecodeScale::Half, DecodeScale::Eighth));
    EXPECT_FALSE(imaging::ScaleServes(DecodeScale::Quarter, DecodeScale::Half));
}
