// Decoding one file: JPEG through TurboJPEG into the image's own padded rows,
// other formats through Qt, and a clear text for every file that fails.
#include "platform/imaging/ImageDecoder.h"

#include "ImagingTestData.h"
#include "TestPaths.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using imaging::DecodeImageBytes;
using imaging::DecodeImageFile;
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
