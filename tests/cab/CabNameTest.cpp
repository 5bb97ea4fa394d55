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
