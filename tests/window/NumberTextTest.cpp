// The space-signed number form and reading a leading number back.
#include "viewer/window/NumberText.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

using viewer::LeadingNumber;
using viewer::SpaceSigned;

TEST(SpaceSigned, NonNegativeNumbersGetOneLeadingBlank)
{
    EXPECT_EQ(SpaceSigned(12), " 12");
    EXPECT_EQ(SpaceSigned(5), " 5");
    EXPECT_EQ(SpaceSigned(0), " 0");
    EXPECT_EQ(SpaceSigned(-0.0), " 0");
    EXPECT_EQ(SpaceSigned(32767), " 32767");
    EXPECT_EQ(SpaceSigned(-3), "-3");
}

TEST(SpaceSigned, FractionsHaveNoLeadingZeroNorTrailingZeros)
{
    EXPECT_EQ(SpaceSigned(0.5), " .5");
    EXPECT_EQ(SpaceSigned(2.5), " 2.5");
    EXPECT_EQ(SpaceSigned(11 / 10.0), " 1.1");
    EXPECT_EQ(SpaceSigned(4 / 10.0), " .4");
    EXPECT_EQ(SpaceSigned(1 / 10.0), " .1");
    EXPECT_EQ(SpaceSigned(50 / 10.0), " 5");
    EXPECT_EQ(SpaceSigned(42.5), " 42.5");
    EXPECT_EQ(SpaceSigned(-0.25), "-.25");
    EXPECT_EQ(SpaceSigned(-71.0589), "-71.0589");
}

TEST(SpaceSigned, FifteenSignificantDigitsAndAPointWhateverTheLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(SpaceSigned(1.0 / 3.0), " .333333333333333");
    EXPECT_EQ(SpaceSigned(123456.789), " 123456.789");
    EXPECT_EQ(SpaceSigned(1e20), " 1E+20");
    QLocale::setDefault(saved);
}

TEST(LeadingNumber, ReadsBlanksDigitsAndOnePoint)
{
    EXPECT_DOUBLE_EQ(LeadingNumber(" 1"), 1);
    EXPECT_DOUBLE_EQ(LeadingNumber(" 2.5"), 2.5);
    EXPECT_DOUBLE_EQ(LeadingNumber(" .1"), 0.1);
    EXPECT_DOUBLE_EQ(LeadingNumber("\t3"), 3);
    EXPECT_DOUBLE_EQ(LeadingNumber("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(LeadingNumber("4 seconds"), 4);
    EXPECT_DOUBLE_EQ(LeadingNumber("7."), 7);
    EXPECT_DOUBLE_EQ(LeadingNumber("1 2"), 1);
}

TEST(LeadingNumber, NoNumberReadsAsZero)
{
    EXPECT_DOUBLE_EQ(LeadingNumber(""), 0);
    EXPECT_DOUBLE_EQ(LeadingNumber("   "), 0);
    EXPECT_DOUBLE_EQ(LeadingNumber("."), 0);
    EXPECT_DOUBLE_EQ(LeadingNumber("fast"), 0);
    EXPECT_DOUBLE_EQ(LeadingNumber("-1"), 0);
    EXPECT_DOUBLE_EQ(LeadingNumber("2,5"), 2);
}

TEST(LeadingNumber, WhatSpaceSignedWritesReadsBack)
{
    for (int tenths = 0; tenths <= 50; ++tenths)
        EXPECT_DOUBLE_EQ(LeadingNumber(SpaceSigned(tenths / 10.0)), tenths / 10.0) << tenths;
}

} // namespace
