// The properties table built from real study files: row order with separator
// rows, cell texts, and column widths from the measured texts.
#include "PropertyStudies.h"

#include "viewer/properties/CopyText.h"
#include "viewer/properties/PropertyTable.h"

#include <gtest/gtest.h>

using namespace properties;
using namespace proptest;

namespace {

double NoWidth(const QString&)
{
    return 0.0;
}

QStringList Row(const PropertyTable& table, qint32 row)
{
    QStringList cells;
    for (qint32 c = 0; c < kPropertyColumns; ++c)
        cells << table.PropertyData.Cell(c, row);
    return cells;
}

QStringList Cells(std::initializer_list<const char*> texts)
{
    QStringList cells;
    for (const char* text : texts)
        cells << QString::fromUtf8(text);
    return cells;
}

} // namespace

TEST(PropertyTable, TwoViewsOfThreeSamplesGiveEightRows)
{
    const study::StudyRecord study = ReadStudy(TwoViewsThreeSamples());
    ASSERT_EQ(study.ViewCount(), 2);
    const PropertyTable table = BuildPropertyTable(study, NoWidth);

    EXPECT_EQ(table.PropertyRowCount, 8);
    EXPECT_EQ(table.PropertyColumnCount, 8);
    EXPECT_EQ(table.PropertyData.Rows(), 8);
    EXPECT_EQ(Row(table, 0), Cells({"North", "Cloudy", "On", "n_001.jpg", "n_001p.jpg", "Jun 21", "9:00", "office.hvx"}));
    // Daylight saving is not shown in the time.
    EXPECT_EQ(Row(table, 1), Cells({"North", "Cloudy", "On", "n_002.jpg", "n_002p.jpg", "Jun 21", "12:00", "office.hvx"}));
    EXPECT_EQ(Row(table, 2)[3], QStringLiteral("n_003.jpg"));
    EXPECT_EQ(Row(table, 3), Cells({"", "", "", "", "", "", "", ""}));
    EXPECT_EQ(Row(table, 4), Cells({"South", "Cloudy", "On", "s_001.jpg", "s_001p.jpg", "Jun 21", "9:00", "office.hvx"}));
    EXPECT_EQ(Row(table, 6)[6], QStringLiteral("15:00"));
    EXPECT_EQ(Row(table, 7), Cells({"", "", "", "", "", "", "", ""}));
}

TEST(PropertyTable, EmptyNamesUnnamedCodesAndFolders)
{
    const PropertyTable table = BuildPropertyTable(ReadStudy(EmptyNamesAndDaylightSaving()), NoWidth);
    ASSERT_EQ(table.PropertyRowCount, 6);
    // "N.A." for a missing image; the HALVEX column stays empty instead.
    EXPECT_EQ(Row(table, 0), Cells({"East", "Clear", "Off", "e_001.jpg", "N.A.", "Mar 21", "8:00", "atrium.hvx"}));
    EXPECT_EQ(Row(table, 1),
              Cells({"East", "Unknown (262144)", "On", "e_002.jpg", "N.A.", "Jun 21", "12:00", ""}));
    EXPECT_EQ(Row(table, 3), Cells({"", "Clear", "Off", "N.A.", "w_001p.jpg", "Mar 21", "8:00", "atrium.hvx"}));
}

TEST(PropertyTable, StudiesWithoutViewsOrSamples)
{
    EXPECT_EQ(BuildPropertyTable(ReadStudy(Crlf({"[HEADER]", "Empty", "", "0", "0", "0", "0", "0", "0"})), NoWidth)
                  .PropertyRowCount,
              0);
    // Views without samples still end with their separator row.
    const PropertyTable table =
        BuildPropertyTable(ReadStudy(Crlf({"[VIEW]", "A", "B", "[ENDVIEW]"})), NoWidth);
    EXPECT_EQ(table.PropertyRowCount, 2);
    EXPECT_EQ(Row(table, 0), Cells({"", "", "", "", "", "", "", ""}));
}

TEST(PropertyTable, SkyAndElectricTexts)
{
    EXPECT_EQ(PropertySkyName(1), QStringLiteral("Clear"));
    EXPECT_EQ(PropertySkyName(2), QStringLiteral("Partly Cloudy"));
    EXPECT_EQ(PropertySkyName(4), QStringLiteral("Cloudy"));
    EXPECT_EQ(PropertySkyName(8), QStringLiteral("General Sky - Type 1"));
    EXPECT_EQ(PropertySkyName(131072), QStringLiteral("General Sky - Type 15"));
    EXPECT_EQ(PropertySkyName(262144), QStringLiteral("Unknown (262144)"));
    EXPECT_EQ(PropertySkyName(3), QStringLiteral("Unknown (3)"));
    EXPECT_EQ(PropertySkyName(0), QStringLiteral("Unknown (0)"));
    EXPECT_EQ(PropertySkyName(-2147483647 - 1), QStringLiteral("Unknown (-2147483648)"));
    EXPECT_EQ(ElectricText(1), QStringLiteral("On"));
    EXPECT_EQ(ElectricText(2), QStringLiteral("Off"));
    EXPECT_EQ(ElectricText(0), QStringLiteral("Unknown (0)"));
    EXPECT_EQ(ElectricText(-5), QStringLiteral("Unknown (-5)"));
}

TEST(PropertyTable, FileCellsDropTheFolderAsThePathRulesSplitIt)
{
    const QString na = QStringLiteral("N.A.");
    EXPECT_EQ(FileCellText(QStringLiteral("images\\v1_001.jpg"), na), QStringLiteral("v1_001.jpg"));
    EXPECT_EQ(FileCellText(QStringLiteral("images/v1_001.jpg"), na), QStringLiteral("v1_001.jpg"));
    EXPECT_EQ(FileCellText(QStringLiteral("v1.north.jpg"), na), QStringLiteral("v1.north.jpg"));
    EXPECT_EQ(FileCellText(QStringLiteral("noext"), na), QStringLiteral("noext"));
    EXPECT_EQ(FileCellText(QStringLiteral("images\\"), na), QString());
    EXPECT_EQ(FileCellText(QString(), na), na);
    EXPECT_EQ(FileCellText(QString(), QString()), QString());
}

TEST(PropertyTable, ColumnWidthIsTheWidestTextRoundedHalfToEven)
{
    // Two and a half twips per character makes every odd length a half.
    const auto measure = [](const QString& text) { return 2.5 * text.size(); };
    const PropertyTable table = BuildPropertyTable(ReadStudy(EmptyNamesAndDaylightSaving()), measure);
    EXPECT_EQ(table.TextWidths[0], 22);  // "View Name": 22.5
    EXPECT_EQ(table.TextWidths[1], 40);  // "Unknown (262144)": 40
    EXPECT_EQ(table.TextWidths[2], 20);  // "Electric": 20
    EXPECT_EQ(table.TextWidths[3], 22);  // "e_001.jpg": 22.5
    EXPECT_EQ(table.TextWidths[4], 28);  // "Pseudo File": 27.5, above "w_001p.jpg": 25
    EXPECT_EQ(table.TextWidths[5], 15);  // "Mar 21": 15, above "Date": 10
    EXPECT_EQ(table.TextWidths[6], 12);  // "12:00": 12.5
    EXPECT_EQ(table.TextWidths[7], 28);  // "HALVEX File": 27.5
}

TEST(PropertyTable, WidthsInPixelsAtTheScreenResolution)
{
    EXPECT_EQ(TwipsToPixels(120, 96), 8);
    EXPECT_EQ(TwipsToPixels(1500 + kColumnPadTwips, 96), 108);
    EXPECT_EQ(TwipsToPixels(1500 + kColumnPadTwips, 144), 162);
    EXPECT_EQ(TwipsToPixels(7.5, 96), 0); // half a pixel rounds to even
    EXPECT_EQ(TwipsToPixels(22.5, 96), 2);
}
