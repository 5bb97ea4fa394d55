// The helpers of cabinet reading: name splitting, folder creation, time
// stamps, error texts and XML pieces.
#include "viewer/cabreader/CabFileTime.h"
#include "viewer/cabreader/CabFilesCallback.h"
#include "viewer/cabreader/CabXml.h"
#include "viewer/cabreader/Win32ErrorText.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace cabreader;
using CabFilesCallback::MakePath;
using CabFilesCallback::SplitCabPath;
namespace fs = std::filesystem;

TEST(SplitCabPathTest, SplitsAtTheLastSeparatorKeepingItWithTheFolder)
{
    QString folder = QStringLiteral("stale"), name;
    SplitCabPath(QStringLiteral("images\\day 1\\v1_001.jpg"), folder, name);
    EXPECT_EQ(folder, QStringLiteral("images\\day 1\\"));
    EXPECT_EQ(name, QStringLiteral("v1_001.jpg"));

    SplitCabPath(QStringLiteral("study.dvf"), folder, name);
    EXPECT_EQ(folder, QString());
    EXPECT_EQ(name, QStringLiteral("study.dvf"));

    SplitCabPath(QStringLiteral("a\\b/c.txt"), folder, name);
    EXPECT_EQ(folder, QStringLiteral("a\\b/"));
    EXPECT_EQ(name, QStringLiteral("c.txt"));

    SplitCabPath(QStringLiteral("folder\\"), folder, name);
    EXPECT_EQ(folder, QStringLiteral("folder\\"));
    EXPECT_EQ(name, QString());
}

TEST(MakePathTest, CreatesEveryMissingLevelAndAcceptsExistingFolders)
{
    testsupport::TempDir dir;
    const QString root = QString::fromStdString(dir.path().string());

    EXPECT_TRUE(MakePath(root + QStringLiteral("\\one\\two/three\\")));
    EXPECT_TRUE(fs::is_directory(dir / "one/two/three"));
    EXPECT_TRUE(MakePath(root + QStringLiteral("/one/two")));
    EXPECT_TRUE(MakePath(root));
    EXPECT_TRUE(MakePath(root + QStringLiteral("//doubled//separators")));
    EXPECT_TRUE(fs::is_directory(dir / "doubled/separators"));
    EXPECT_TRUE(MakePath(QStringLiteral("/")));

    EXPECT_FALSE(MakePath(QString()));
    dir.Write("plain-file", "x");
    EXPECT_FALSE(MakePath(root + QStringLiteral("/plain-file")));
    EXPECT_FALSE(MakePath(root + QStringLiteral("/plain-file/below")));
    EXPECT_FALSE(fs::exists(dir / "plain-file/below"));
}

TEST(MakePathTest, RelativeFoldersAreCreatedBelowTheWorkingFolder)
{
    testsupport::TempDir dir;
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const bool made = MakePath(QStringLiteral("rel\\deeper\\"));
    fs::current_path(previous);
    EXPECT_TRUE(made);
    EXPECT_TRUE(fs::is_directory(dir / "rel/deeper"));
}

TEST(ToCabFileTimeTest, TakesTheStampAsItStandsOrGivesTheZeroDateTime)
{
    // 2025-03-30 02:30:58 falls in a daylight-saving gap in many zones.
    const QDateTime stamp = ToCabFileTime((45 << 9) | (3 << 5) | 30, (2 << 11) | (30 << 5) | 29);
    EXPECT_EQ(stamp.date(), QDate(2025, 3, 30));
    EXPECT_EQ(stamp.time(), QTime(2, 30, 58));
    EXPECT_EQ(ToCabFileTime(0xFF9F, 0xBF7D), QDateTime(QDate(2107, 12, 31), QTime(23, 59, 58), Qt::UTC));

    const QDateTime zero(QDate(1899, 12, 30), QTime(0, 0, 0), Qt::UTC);
    EXPECT_EQ(ToCabFileTime(0, 0), zero);                         // month and day 0
    EXPECT_EQ(ToCabFileTime((45 << 9) | (2 << 5) | 30, 0), zero); // 30 February
    EXPECT_EQ(ToCabFileTime(0x5A21, 24 << 11), zero);             // hour 24
    EXPECT_EQ(ToCabFileTime(0x5A21, 30), zero);                   // second 60
    EXPECT_EQ(CabDateText(zero), QStringLiteral("12/30/1899"));
}

TEST(CabDateTextTest, ShortDateAndLongTimeWithTheTimeLeftOutAtMidnight)
{
    EXPECT_EQ(CabDateText(ToCabFileTime(0x5A21, 0x6000)), QStringLiteral("01/01/2025 12:00:00"));
    EXPECT_EQ(CabDateText(ToCabFileTime(0x5A21, 0)), QStringLiteral("01/01/2025"));
    EXPECT_EQ(CabDateText(ToCabFileTime(0x5A21, 1)), QStringLiteral("01/01/2025 00:00:02"));
    EXPECT_EQ(CabDateText(ToCabFileTime((37 << 9) | (11 << 5) | 9, (7 << 11) | (5 << 5) | 4)),
              QStringLiteral("11/09/2017 07:05:08"));
}

TEST(Win32ErrorTextTest, TheCodesAWalkEndsWithAndUnknownForTheRest)
{
    EXPECT_EQ(Win32ErrorText(2), QStringLiteral("The system cannot find the file specified."));
    EXPECT_EQ(Win32ErrorText(3), QStringLiteral("The system cannot find the path specified."));
    EXPECT_EQ(Win32ErrorText(5), QStringLiteral("Access is denied."));
    EXPECT_EQ(Win32ErrorText(13), QStringLiteral("Invalid data."));
    EXPECT_EQ(Win32ErrorText(29), QStringLiteral("The system cannot write to the specified device."));
    EXPECT_EQ(Win32ErrorText(30), QStringLiteral("The system cannot read from the specified device."));
    EXPECT_EQ(Win32ErrorText(33), QStringLiteral("The process cannot access the file because another process has "
                                                 "locked a portion of the file."));
    EXPECT_EQ(Win32ErrorText(39), QStringLiteral("The disk is full."));
    EXPECT_EQ(Win32ErrorText(111), QStringLiteral("The file name is too long."));
    EXPECT_EQ(Win32ErrorText(112), QStringLiteral("There is not enough space on the disk."));
    for (const qint64 code : {0LL, 1LL, 6LL, 87LL, 1223LL, -2147219548LL, 4294967295LL})
        EXPECT_EQ(Win32ErrorText(code), QStringLiteral("Unknown error.")) << code;
}

TEST(XmlTest, EscapingCoversMarkupAndCharactersXmlCannotCarry)
{
    EXPECT_EQ(XmlEscape(QStringLiteral("Tom & Jerry's <\"best\"> view")),
              QStringLiteral("Tom &amp; Jerry&apos;s &lt;&quot;best&quot;&gt; view"));
    EXPECT_EQ(XmlEscape(QStringLiteral("plain\\name \u00e9\u4e2d.jpg")), QStringLiteral("plain\\name \u00e9\u4e2d.jpg"));
    EXPECT_EQ(XmlEscape(QString::fromUtf8("a\x01" "b\tc\xF0\x9F\x8C\x9E")),
              QString::fromUtf8("a\xEF\xBF\xBD" "b\tc\xF0\x9F\x8C\x9E"));
    QString lone = QStringLiteral("x");
    lone += QChar(0xD800);
    EXPECT_EQ(XmlEscape(lone), QStringLiteral("x\uFFFD"));
}

} // namespace
