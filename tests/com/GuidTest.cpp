#include "platform/com/ComError.h"
#include "platform/com/Guid.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

constexpr com::Guid kSample = com::Guid::Parse("{8E17FFF3-C5BA-11D1-8D8A-0060088F38C8}");
static_assert(kSample.data1 == 0x8E17FFF3u && kSample.data2 == 0xC5BA && kSample.data3 == 0x11D1);
static_assert(kSample.data4[0] == 0x8D && kSample.data4[7] == 0xC8);

TEST(Guid, ParsesBracedAndBareTextInEitherCaseAndPrintsUpperCaseBraced)
{
    EXPECT_EQ(kSample.ToString(), "{8E17FFF3-C5BA-11D1-8D8A-0060088F38C8}");
    auto bare = com::Guid::TryParse("8e17fff3-c5ba-11d1-8d8a-0060088f38c8");
    ASSERT_TRUE(bare);
    EXPECT_EQ(*bare, kSample);
    EXPECT_NE(com::kIidIUnknown, com::kIidIClassFactory);
    EXPECT_EQ(com::kIidIClassFactory.ToString(), "{00000001-0000-0000-C000-000000000046}");
}

TEST(Guid, RefusesMalformedText)
{
    for (const char* text : {"", "{}", "{8E17FFF3-C5BA-11D1-8D8A-0060088F38C}", "{8E17FFF3-C5BA-11D1-8D8A-0060088F38C8",
                             "{8E17FFF3C-5BA-11D1-8D8A-0060088F38C8}", "{8E17FFF3-C5BA-11D1-8D8A-0060088F38CG}",
                             "{8E17FFF3 C5BA 11D1 8D8A 0060088F38C8}"})
        EXPECT_FALSE(com::Guid::TryParse(text)) << text;
}

TEST(ComError, CarriesNumberSourceAndDescriptionAndConvertsOtherExceptions)
{
    const com::ComError error(static_cast<com::HRESULT>(0x80040065u), "Lib", "Failed Opening File");
    EXPECT_EQ(error.Number(), -2147221403);
    EXPECT_EQ(error.Source(), "Lib");
    EXPECT_EQ(error.Description(), "Failed Opening File");
    EXPECT_STREQ(error.what(), "Failed Opening File");

    auto convert = [](auto thrower) {
        try {
            thrower();
        } catch (...) {
            return com::ErrorFromCurrentException("Fallback");
        }
        return com::ComError(0, "", "");
    };
    auto same = convert([&] { throw error; });
    EXPECT_EQ(same.Number(), error.Number());
    EXPECT_EQ(same.Source(), "Lib");
    auto memory = convert([] { throw std::bad_alloc(); });
    EXPECT_EQ(memory.Number(), com::kEOutOfMemory);
    EXPECT_EQ(memory.Source(), "Fallback");
    auto other = convert([] { throw std::runtime_error("disk on fire"); });
    EXPECT_EQ(other.Number(), com::kEFail);
    EXPECT_EQ(other.Description(), "disk on fire");
    auto unknown = convert([] { throw 42; });
    EXPECT_EQ(unknown.Number(), com::kEFail);
}

} // namespace
