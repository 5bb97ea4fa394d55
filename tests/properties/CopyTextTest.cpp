// The tab-delimited copy text, byte for byte.
#include "PropertyStudies.h"

#include "viewer/properties/CopyText.h"

#include <gtest/gtest.h>

using namespace properties;
using namespace proptest;

namespace {

QString CopyTextOf(const std::string& studyFile)
{
    const study::StudyRecord study = ReadStudy(studyFile);
    return PropertiesCopyText(study.StudyName, BuildPropertyTable(study, [](const QString&) { return 0.0; }));
}

} // namespace

TEST(CopyText, EmptyNamesAndDaylightSavingByteForByte)
{
    EXPECT_EQ(CopyTextOf(EmptyNamesAndDaylightSaving()).toStdString(), std::string(kEmptyNamesCopyText));
}

TEST(CopyText, OneViewOfTwoSamplesIsFiveLinesWithFixedTabs)
{
    const QString text = CopyTextOf(Crlf({"[HEADER]", "", "", "0", "0", "0", "1", "1", "1", "[VIEW]", "Hall",
                                          "[ENDVIEW]", "[SAMPLE]", "1", "1", "Jan 1", "10:00", "False", "h.hvx",
                                          "[SAMPLE]", "2", "2", "Jan 1", "11:00", "False", "h.hvx"}));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines.takeLast(), QString()); // the text ends with CR LF
    EXPECT_EQ(lines[0], QStringLiteral("Daylight Study Properties: ")); // an empty name keeps its blank
    EXPECT_EQ(lines[1].count(QLatin1Char('\t')), 7);
    EXPECT_FALSE(lines[1].endsWith(QLatin1Char('\t')));
    for (int k = 2; k < 5; ++k) {
        EXPECT_EQ(lines[k].count(QLatin1Char('\t')), 8) << k;
        EXPECT_TRUE(lines[k].endsWith(QLatin1Char('\t'))) << k;
    }
    EXPECT_EQ(lines[2], QStringLiteral("Hall\tClear\tOn\tN.A.\tN.A.\tJan 1\t10:00\th.hvx\t"));
    EXPECT_EQ(lines[4], QStringLiteral("\t\t\t\t\t\t\t\t"));
    EXPECT_FALSE(text.contains(QLatin1Char('\n') + QString(QLatin1Char('\n'))));
    EXPECT_EQ(text.count(QLatin1Char('\n')), text.count(QLatin1Char('\r')));
}

TEST(CopyText, CellTextsGoInWithoutQuoting)
{
    const QString text = CopyTextOf(Crlf({"[HEADER]", "Caf\xE9 \"Nord\"", "", "0", "0", "0", "1", "1", "1",
                                          "[VIEW]", "Room, \"A\"", "[ENDVIEW]", "[SAMPLE]", "1", "1",
                                          "\"Jun 21\"", "9:00", "False", ""}));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Daylight Study Properties: Caf\u00E9 \"Nord\"\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nRoom, \"A\"\tClear\tOn\tN.A.\tN.A.\t\"Jun 21\"\t9:00\t\t\r\n")));
}
