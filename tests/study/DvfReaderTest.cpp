// How ReadStudyFile fills the study record from well-formed and oddly ordered
// study files.
#include "StudyFiles.h"

#include "viewer/study/StudyModule.h"

#include <gtest/gtest.h>

#include <QLocale>

using namespace studytest;
using study::StudyRecord;

namespace {

// Two views, three samples, each with its image sections.
std::string TwoViewsThreeSamples()
{
    std::string text = Header() + Lines({"[VIEW]", "North office", "South office", "[ENDVIEW]"});
    const char* times[] = {"9:00 AM", "10:00 AM", "11:00 AM"};
    for (int s = 1; s <= 3; ++s) {
        const std::string n = std::to_string(s);
        text += Sample(s == 2 ? "4" : "1", "Jun 21", times[s - 1], s == 3 ? "True" : "False");
        text += "[RGB]\r\nn" + n + ".jpg\r\ns" + n + ".jpg\r\n";
        text += "[PSEUDO]\r\npn" + n + ".jpg\r\nps" + n + ".jpg\r\n";
    }
    return text;
}

} // namespace

TEST(DvfReader, FillsHeaderViewsAndSamplesOfACompleteStudy)
{
    StudyRecord record;
    ASSERT_EQ(Read(record, TwoViewsThreeSamples()), "");

    EXPECT_EQ(record.StudyName, "Office");
    EXPECT_EQ(record.SiteName, "Boston");
    EXPECT_EQ(record.SiteLatitude, 42.5);
    EXPECT_EQ(record.SiteLongitude, -71.25);
    EXPECT_EQ(record.SiteCompassNorth, 180);
    EXPECT_EQ(record.SkyConditionMask, 5);
    EXPECT_EQ(record.ColorModeMask, 3);
    EXPECT_EQ(record.ElectricModeMask, 1);

    ASSERT_EQ(record.ViewCount(), 2);
    ASSERT_EQ(record.SampleCount(), 3);
    EXPECT_EQ(record.Views[1].ViewName, "North office");
    EXPECT_EQ(record.Views[2].ViewName, "South office");
    EXPECT_EQ(record.Views[2].SampleCount(), 3);

    // The sample values are the same in every view; only the images differ.
    for (int s = 1; s <= 3; ++s) {
        const auto& north = record.Views[1].Samples[s];
        const auto& south = record.Views[2].Samples[s];
        EXPECT_EQ(north.SkyCondition, south.SkyCondition);
        EXPECT_EQ(north.ElectricState, 1);
        EXPECT_EQ(south.ElectricState, 1);
        EXPECT_EQ(north.SampleDate, south.SampleDate);
        EXPECT_EQ(north.SampleTime, south.SampleTime);
        EXPECT_EQ(north.DaylightSaving, south.DaylightSaving);
        EXPECT_EQ(north.HalvexFile, "study.hlx");
        EXPECT_EQ(south.HalvexFile, "study.hlx");
        EXPECT_NE(north.RgbFile, south.RgbFile);
    }
    EXPECT_EQ(record.Views[1].Samples[2].SkyCondition, 4);
    EXPECT_EQ(record.Views[1].Samples[2].SampleTime, "10:00 AM");
    EXPECT_TRUE(record.Views[2].Samples[3].DaylightSaving);
    EXPECT_FALSE(record.Views[2].Samples[1].DaylightSaving);
    EXPECT_EQ(record.Views[2].Samples[3].RgbFile, "s3.jpg");
    EXPECT_EQ(record.Views[1].Samples[1].PseudoFile, "pn1.jpg");

    // The placeholders stay empty.
    EXPECT_EQ(record.Views[0].ViewName, "");
    EXPECT_EQ(record.Views[0].SampleCount(), 0);
    EXPECT_EQ(record.Views[1].Samples[0].SampleDate, "");
    EXPECT_EQ(record.Views[1].Samples[0].RgbFile, "");
}

TEST(DvfReader, HeaderOnlyOrViewsWithoutSamples)
{
    StudyRecord record;
    EXPECT_EQ(Read(record, Header()), "");
    EXPECT_EQ(record.StudyName, "Office");
    EXPECT_EQ(record.ElectricModeMask, 1);
    EXPECT_EQ(record.ViewCount(), 0);
    EXPECT_EQ(record.SampleCount(), 0);

    EXPECT_EQ(Read(record, Header() + Lines({"[VIEW]", "A", "B", "[ENDVIEW]"})), "");
    ASSERT_EQ(record.ViewCount(), 2);
    EXPECT_EQ(record.Views[1].SampleCount(), 0);
    EXPECT_EQ(record.Views[2].SampleCount(), 0);
}

TEST(DvfReader, FileWithoutHeaderKeepsTheHeaderOfTheStudyReadBefore)
{
    StudyRecord record;
    ASSERT_EQ(Read(record, TwoViewsThreeSamples()), "");
    ASSERT_EQ(Read(record, Lines({"[VIEW]", "Only", "[ENDVIEW]"}) + Sample("2", "Dec 21", "noon")), "");
    EXPECT_EQ(record.StudyName, "Office");
    EXPECT_EQ(record.SiteLongitude, -71.25);
    ASSERT_EQ(record.ViewCount(), 1);
    EXPECT_EQ(record.Views[1].ViewName, "Only");
    ASSERT_EQ(record.SampleCount(), 1);
    EXPECT_EQ(record.Views[1].Samples[1].SampleDate, "Dec 21");
}

TEST(DvfReader, EachViewSectionStartsViewsAndSamplesAnew)
{
    // Fewer names the second time: the third view goes, and the samples read
    // after the section start again from sample 1 in fresh views.
    StudyRecord record;
    const std::string text = Header() + Lines({"[VIEW]", "A", "B", "C", "[ENDVIEW]"}) +
                             Sample("1", "Jan 1", "t1") + Sample("1", "Jan 2", "t2") +
                             Lines({"[VIEW]", "D", "E", "[ENDVIEW]"}) + Sample("2", "Feb 1", "t3") +
                             Lines({"[RGB]", "d.jpg", "e.jpg"});
    ASSERT_EQ(Read(record, text), "");
    ASSERT_EQ(record.ViewCount(), 2);
    EXPECT_EQ(record.Views[1].ViewName, "D");
    EXPECT_EQ(record.Views[2].ViewName, "E");
    ASSERT_EQ(record.SampleCount(), 1);
    EXPECT_EQ(record.Views[2].SampleCount(), 1);
    EXPECT_EQ(record.Views[1].Samples[1].SampleDate, "Feb 1");
    EXPECT_EQ(record.Views[2].Samples[1].RgbFile, "e.jpg");

    // The renamed views start without samples even when no sample follows.
    ASSERT_EQ(Read(record, Header() + Lines({"[VIEW]", "A", "B", "[ENDVIEW]"}) + Sample("1", "Jan 1", "t1") +
                               Lines({"[VIEW]", "D", "[ENDVIEW]"})),
              "");
    ASSERT_EQ(record.ViewCount(), 1);
    EXPECT_EQ(record.Views[1].ViewName, "D");
    EXPECT_EQ(record.SampleCount(), 0);

    // A view section without names stops storing but keeps the views.
    const std::string empty = Header() + Lines({"[VIEW]", "A", "B", "[ENDVIEW]"}) + Sample("1", "Jan 1", "t1") +
                              Lines({"[VIEW]", "[ENDVIEW]"}) + Sample("1", "Mar 1", "t9") +
                              Lines({"[RGB]", "[PSEUDO]"});
    ASSERT_EQ(Read(record, empty), "");
    ASSERT_EQ(record.ViewCount(), 2);
    ASSERT_EQ(record.SampleCount(), 1);
    EXPECT_EQ(record.Views[2].SampleCount(), 1);
    EXPECT_EQ(record.Views[1].Samples[1].SampleDate, "Jan 1");
    EXPECT_EQ(record.Views[1].Samples[1].RgbFile, "");
}

TEST(DvfReader, SectionsOutOfTheirUsualOrder)
{
    StudyRecord record;

    // A sample before any view is stored nowhere.
    ASSERT_EQ(Read(record, Sample("1", "Jan 1", "t") + Lines({"[VIEW]", "A", "[ENDVIEW]"})), "");
    ASSERT_EQ(record.ViewCount(), 1);
    EXPECT_EQ(record.SampleCount(), 0);

    // An image section before any sample fills the placeholder sample 0.
    ASSERT_EQ(Read(record, Lines({"[VIEW]", "A", "B", "[ENDVIEW]", "[RGB]", "a0.jpg", "b0.jpg"}) +
                               Sample("1", "Jan 1", "t")),
              "");
    ASSERT_EQ(record.SampleCount(), 1);
    EXPECT_EQ(record.Views[1].Samples[0].RgbFile, "a0.jpg");
    EXPECT_EQ(record.Views[2].Samples[0].RgbFile, "b0.jpg");
    EXPECT_EQ(record.Views[2].Samples[1].RgbFile, "");

    // A header after the view list removes the views.
    ASSERT_EQ(Read(record, Lines({"[VIEW]", "A", "[ENDVIEW]"}) + Header("Later")), "");
    EXPECT_EQ(record.StudyName, "Later");
    EXPECT_EQ(record.ViewCount(), 0);

    // The last view list of a file may lack its end marker.
    ASSERT_EQ(Read(record, Header() + "[VIEW]\r\nA\r\nB, the second\r\n"), "");
    ASSERT_EQ(record.ViewCount(), 2);
    EXPECT_EQ(record.Views[2].ViewName, "B, the second");
    ASSERT_EQ(Read(record, Header() + "[VIEW]\r\nA\r\nB"), "");
    ASSERT_EQ(record.ViewCount(), 2);
    EXPECT_EQ(record.Views[2].ViewName, "B");
}

TEST(DvfReader, MarkersAreExactAndStandAlone)
{
    StudyRecord record;
    // Lower case is no marker: its names are passed over field by field.
    ASSERT_EQ(Read(record, Lines({"[view]", "North", "South", "[ENDVIEW]"})), "");
    EXPECT_EQ(record.ViewCount(), 0);

    // Blanks around a marker outside a view list do not matter; inside a view
    // list only the exact line ends it.
    ASSERT_EQ(Read(record, Lines({"  [VIEW]\t ", "A", " [ENDVIEW]", "[ENDVIEW] ", "[ENDVIEW]", "", "[RGB]  "}) +
                               "x.jpg\r\ny.jpg\r\nz.jpg\r\n"),
              "");
    ASSERT_EQ(record.ViewCount(), 3);
    EXPECT_EQ(record.Views[2].ViewName, " [ENDVIEW]");
    EXPECT_EQ(record.Views[3].ViewName, "[ENDVIEW] ");
    EXPECT_EQ(record.Views[3].Samples[0].RgbFile, "z.jpg");

    // A view name holding a comma is a whole line; after a lower-case marker
    // the same line is split into fields, and a field may itself be a marker.
    ASSERT_EQ(Read(record, Lines({"[view]", "North, [VIEW]", "Kept, whole", "[ENDVIEW]"})), "");
    ASSERT_EQ(record.ViewCount(), 1);
    EXPECT_EQ(record.Views[1].ViewName, "Kept, whole");
}

TEST(DvfReader, FieldsQuotedSharedOrBlank)
{
    StudyRecord record;
    // Header numbers may share a line; the lines after them move up.
    const std::string header = Lines({"[HEADER]", "\"Quoted, name\"", "Site", "\"42.5\", -71.25 ,180", "7",
                                      "  3  ", "", "[VIEW]", "A", "[ENDVIEW]"});
    ASSERT_EQ(Read(record, header), "");
    EXPECT_EQ(record.StudyName, "\"Quoted, name\""); // a line read keeps the quotes
    EXPECT_EQ(record.SiteLatitude, 42.5);
    EXPECT_EQ(record.SiteLongitude, -71.25);
    EXPECT_EQ(record.SiteCompassNorth, 180);
    EXPECT_EQ(record.SkyConditionMask, 7);
    EXPECT_EQ(record.ColorModeMask, 3);
    EXPECT_EQ(record.ElectricModeMask, 0); // an empty field is 0
    EXPECT_EQ(record.ViewCount(), 1);

    // Sky and electric state on one line, quoted daylight saving.
    ASSERT_EQ(Read(record, Lines({"[VIEW]", "A", "[ENDVIEW]", "[SAMPLE]", "\"8\" , 2", "Jun 21", "9:00",
                                  "  \"True\"  ", "h.hlx"})),
              "");
    ASSERT_EQ(record.SampleCount(), 1);
    const auto& sample = record.Views[1].Samples[1];
    EXPECT_EQ(sample.SkyCondition, 8);
    EXPECT_EQ(sample.ElectricState, 2);
    EXPECT_EQ(sample.SampleDate, "Jun 21");
    EXPECT_TRUE(sample.DaylightSaving);
    EXPECT_EQ(sample.HalvexFile, "h.hlx");
}

TEST(DvfReader, DaylightSavingOnlyForExactTrue)
{
    StudyRecord record;
    const char* texts[] = {"True", "true", "TRUE", "False", "", "True x", "-1"};
    const bool expected[] = {true, false, false, false, false, false, false};
    for (size_t k = 0; k < std::size(texts); ++k) {
        ASSERT_EQ(Read(record, Lines({"[VIEW]", "A", "[ENDVIEW]"}) + Sample("1", "d", "t", texts[k])), "");
        EXPECT_EQ(record.Views[1].Samples[1].DaylightSaving, expected[k]) << texts[k];
    }
}

TEST(DvfReader, NumbersUseAPointWhateverTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    StudyRecord record;
    const QString errMsg = Read(record, Lines({"[HEADER]", "N", "S", "-33.875", "+151.2", "1e2", "", "2.5", "1.5"}));
    QLocale::setDefault(before);
    ASSERT_EQ(errMsg, "");
    EXPECT_EQ(record.SiteLatitude, -33.875);
    EXPECT_EQ(record.SiteLongitude, 151.2);
    EXPECT_EQ(record.SiteCompassNorth, 100);
    EXPECT_EQ(record.SkyConditionMask, 0);
    EXPECT_EQ(record.ColorModeMask, 2); // whole-number fields round halves to even
    EXPECT_EQ(record.ElectricModeMask, 2);

    // A decimal comma splits the number into two fields.
    ASSERT_EQ(Read(record, Lines({"[HEADER]", "N", "S", "12,5", "0", "1", "1", "1"})), "");
    EXPECT_EQ(record.SiteLatitude, 12);
    EXPECT_EQ(record.SiteLongitude, 5);
    EXPECT_EQ(record.SiteCompassNorth, 0);
}

TEST(DvfReader, WindowsCodePageTextBecomesUnicode)
{
    StudyRecord record;
    // é, €, curly quotes, Ÿ, and 0x81 which the code page leaves unassigned.
    ASSERT_EQ(Read(record, Header("Caf\xE9 \x80 \x93q\x94 \x9F \x81") +
                               Lines({"[VIEW]", "Salle \xE0 manger", "[ENDVIEW]"}) + Sample("1", "21 ao\xFBt", "t")),
              "");
    EXPECT_EQ(record.StudyName, Q("Café € “q” Ÿ \u0081"));
    EXPECT_EQ(record.Views[1].ViewName, Q("Salle à manger"));
    EXPECT_EQ(record.Views[1].Samples[1].SampleDate, Q("21 août"));
}

TEST(DvfReader, LineEndsOfEveryKind)
{
    StudyRecord record;
    // Lone line feeds, lone carriage returns, and a last line without an end.
    ASSERT_EQ(Read(record, "[VIEW]\nA\rB\r\n[ENDVIEW]\n[SAMPLE]\n1\n2\nd\nt\nTrue\nh\n[RGB]\na.jpg\rb.jpg"), "");
    ASSERT_EQ(record.ViewCount(), 2);
    EXPECT_EQ(record.Views[1].ViewName, "A");
    EXPECT_EQ(record.Views[2].ViewName, "B");
    ASSERT_EQ(record.SampleCount(), 1);
    EXPECT_EQ(record.Views[1].Samples[1].HalvexFile, "h");
    EXPECT_EQ(record.Views[2].Samples[1].RgbFile, "b.jpg");

    // An empty file and a file of blank lines hold nothing and read fine.
    EXPECT_EQ(Read(record, ""), "");
    EXPECT_EQ(Read(record, "\r\n\r\n  \r\n"), "");
    EXPECT_EQ(record.ViewCount(), 0);
}

TEST(StudyModule, HoldsOneStudyAndTheSharedValues)
{
    study::StudyModule module;
    EXPECT_EQ(module.Study.ViewCount(), 0);
    EXPECT_EQ(module.CurrentFrame, 0);
    EXPECT_FALSE(module.PlaybackRunning);

    testsupport::TempDir dir;
    const auto path = dir.Write("s.dvf", TwoViewsThreeSamples());
    QString errMsg;
    module.CurrentFolder = QStringLiteral("/somewhere/");
    module.TotalFrames = 3;
    module.ReadStudyFile(QString::fromStdString(path.string()), errMsg);
    EXPECT_EQ(errMsg, "");
    EXPECT_EQ(module.Study.ViewCount(), 2);

    module.Reset();
    EXPECT_EQ(module.Study.ViewCount(), 0);
    EXPECT_EQ(module.Study.Views.size(), 1);
    EXPECT_EQ(module.Study.StudyName, "");
    EXPECT_EQ(module.CurrentFolder, "");
    EXPECT_EQ(module.TotalFrames, 0);
}
