// Entry names: where SafeTargetPath lets them land, and how their text is decoded.
#include "platform/cab/CabReader.h"
#include "platform/cab/CabText.h"

#include <gtest/gtest.h>

TEST(SafeTargetPath, KeepsNamesInsideTheFolder)
{
    EXPECT_EQ(cab::SafeTargetPath("/out", "a.txt"), "/out/a.txt");
    EXPECT_EQ(cab::SafeTargetPath("/out/", "images\\v1_001.jpg"), "/out/images/v1_001.jpg");
    EXPECT_EQ(cab::SafeTargetPath("/out", "a/b\\c.txt"), "/out/a/b/c.txt");
    EXPECT_EQ(cab::SafeTargetPath("", "a\\b"), "a/b");
    EXPECT_EQ(cab::SafeTargetPath("/out", "..dots..\\...\\x..y"), "/out/..dots../.../x..y");
    EXPECT_EQ(cab::SafeTargetPath("/out", "日本\\ü.txt"), "/out/日本/ü.txt");

    for (const std::string bad : {"", "\\abs", "/abs", "C:\\x", "c:x", "..", "..\\x", "a\\..\\..\\x", "a/../x",
                                  "a\\..", ".", ".\\x", "a\\\\b", "a\\", "a/", "\\", "///",
                                  "a\xC0\xAF..\xC0\xAFx", "\xE0\x80\xAFx", "\xC1\x9C", "bad\xFF"}) {
        EXPECT_EQ(cab::SafeTargetPath("/out", bad), "") << bad;
    }
    EXPECT_EQ(cab::SafeTargetPath("/out", std::string("a\0b", 3)), "");
}

TEST(CabText, DecodesWindows1252AndRepairsUtf8)
{
    EXPECT_EQ(cab::Windows1252ToUtf8("plain"), "plain");
    EXPECT_EQ(cab::Windows1252ToUtf8("\x80\x81\x8A\x9F\xA0\xE9\xFF"), "€\u0081Š\u0178\u00A0éÿ");
    EXPECT_TRUE(cab::IsValidUtf8("Ünï 日本 \U0001F600"));
    for (const std::string bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\x80"})
        EXPECT_FALSE(cab::IsValidUtf8(bad)) << bad;
    EXPECT_EQ(cab::SanitizeUtf8("ok\xC0\xAFok\xE2\x82"), "ok\uFFFD\uFFFDok\uFFFD\uFFFD");
    EXPECT_TRUE(cab::IsAscii("abc"));
    EXPECT_FALSE(cab::IsAscii("é"));
}

TEST(CabText, UnmarkedNamesAreReadAsTheChosenCharset)
{
    struct Case {
        std::string stored;
        bool marked;
        cab::NameCharset charset;
        std::string name;
    };
    const std::string cp1252 = "caf\xE9 \x80.txt";
    const std::string utf8 = "caf\xC3\xA9.txt";
    const Case cases[] = {
        {cp1252, false, cab::NameCharset::Auto, "café €.txt"},
        {utf8, false, cab::NameCharset::Auto, "café.txt"},
        {cp1252, false, cab::NameCharset::Windows1252, "café €.txt"},
        {utf8, false, cab::NameCharset::Windows1252, "cafÃ©.txt"},
        {cp1252, false, cab::NameCharset::Utf8, "caf\uFFFD \uFFFD.txt"},
        {utf8, false, cab::NameCharset::Utf8, "café.txt"},
        // A marked name is UTF-8 whatever was chosen for the unmarked ones.
        {utf8, true, cab::NameCharset::Windows1252, "café.txt"},
        {cp1252, true, cab::NameCharset::Auto, "caf\uFFFD \uFFFD.txt"},
        {"plain.txt", false, cab::NameCharset::Windows1252, "plain.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cab::DecodeEntryName(c.stored, c.marked, c.charset), c.name) << c.stored << " " << int(c.charset);

    EXPECT_EQ(cab::ParseNameCharset("auto"), cab::NameCharset::Auto);
    EXPECT_EQ(cab::ParseNameCharset("UTF-8"), cab::NameCharset::Utf8);
    EXPECT_EQ(cab::ParseNameCharset("utf8"), cab::NameCharset::Utf8);
    EXPECT_EQ(cab::ParseNameCharset("cp1252"), cab::NameCharset::Windows1252);
    EXPECT_EQ(cab::ParseNameCharset("Windows-1252"), cab::NameCharset::Windows1252);
    for (const char* unknown : {"", "latin1", "utf-16", "cp12520"})
        EXPECT_FALSE(cab::ParseNameCharset(unknown)) << unknown;
}
