// Which frames a range names, and what a panel's caption says about its frame.
#include "ExportStudy.h"

#include "viewer/export/ExportScene.h"
#include "viewer/export/ExportSelection.h"
#include "viewer/study/StudyFolderIndex.h"

#include <gtest/gtest.h>

using namespace exporting;
using exporttest::ExportStudy;
using exporttest::StudyShape;

namespace {

QList<int> Frames(int first, int last)
{
    QList<int> frames;
    for (int k = first; k <= last; ++k)
        frames << k;
    return frames;
}

TEST(ExportRange, TextsNameTheFramesTheWindowNumbers)
{
    StudyShape shape;
    shape.dates = {QStringLiteral("March 21"), QStringLiteral("2024-06-21")};
    const ExportStudy study(shape);
    ASSERT_EQ(study.ReadError(), QString());
    const QStringList dates = StudyDates(study.Record());
    ASSERT_EQ(dates, (QStringList{QStringLiteral("March 21"), QStringLiteral("2024-06-21")}));

    struct Case {
        const char* text;
        QList<int> frames;
        const char* error;
    };
    const Case cases[] = {
        {"all", Frames(1, 6), ""},
        {"ALL", Frames(1, 6), ""},
        {"March 21", Frames(1, 3), ""},
        // A date with hyphens is a date, not a range of frames.
        {"2024-06-21", Frames(4, 6), ""},
        {"2-5", Frames(2, 5), ""},
        {" 3 - 3 ", Frames(3, 3), ""},
        {"6", Frames(6, 6), ""},
        {"5-7", {}, "Frames 5-7 are outside the study's frames 1-6"},
        {"0-2", {}, "The study has no date \"0-2\" (and \"0-2\" is no frame range such as 1-24)"},
        {"4-2", {}, "The study has no date \"4-2\" (and \"4-2\" is no frame range such as 1-24)"},
        {"march 21", {}, "The study has no date \"march 21\" (and \"march 21\" is no frame range such as 1-24)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const RangeParse parse = ParseFrameRange(QString::fromUtf8(c.text), dates);
        QString error = parse.Error;
        QList<int> frames;
        if (error.isEmpty()) {
            const RangeSelection selection = SelectFrames(parse.Range, study.Record(), 6);
            error = selection.Error;
            frames = selection.Frames;
        }
        EXPECT_EQ(error, QString::fromUtf8(c.error));
        EXPECT_EQ(frames, c.frames);
    }
    EXPECT_EQ(SelectFrames({}, study.Record(), 0).Error, QStringLiteral("There are no frames to export"));
}

TEST(ExportRange, ADateIsThatOfTheWindowsFrameNotOfThePanelsOwnSample)
{
    // Samples alternate between Clear and Overcast; a Clear panel holds samples 1, 3, 5.
    StudyShape shape;
    shape.alternateSky = 4;
    const ExportStudy study(shape);
    PanelSettings clear{1, DefaultChoice(study.Record())};
    study::StudyFolderIndex files(study.Folder());
    const PanelSequence panel = SelectPanelSequence(study.Record(), clear, files);
    ASSERT_EQ(panel.Sources.size(), 3);
    EXPECT_EQ(panel.Sources[1].Sample, 3);

    // Its three frames carry the dates of samples 1 to 3 of the first view: all March 21.
    const RangeSelection march = SelectFrames({FrameRange::Kind::Date, QStringLiteral("March 21")},
                                              study.Record(), FrameCountOf({panel}));
    EXPECT_EQ(march.Frames, Frames(1, 3));

    // Frame 2 shows sample 3 (4:00 PM) while the window says sample 2 (8:00 AM): the caption says so.
    const ExportScene scene = ArrangedScene(study.Record(), study.Folder(), {clear}, {}, true);
    EXPECT_FALSE(scene.Caption(0, 1).OtherMoment);
    EXPECT_TRUE(scene.Caption(0, 2).OtherMoment);
    EXPECT_TRUE(scene.Caption(0, 2).Text.contains(QStringLiteral("March 21, 4:00 PM"))) << scene.Caption(0, 2).Text.toStdString();
    EXPECT_EQ(scene.Caption(0, 4).Text, QString());
}

TEST(ExportPanels, StartAsTheWindowStartsAndKeepMissingImagesInTheirPlaces)
{
    const ExportStudy study;
    const viewer::PanelChoice choice = DefaultChoice(study.Record());
    EXPECT_EQ(choice.SkyCode, 1);
    EXPECT_EQ(choice.ElectricCode, 2); // the study has no images with lighting on
    EXPECT_EQ(choice.ColorCode, 1);

    ASSERT_TRUE(QFile::remove(study.Path(QStringLiteral("v2_002_rgb.jpg"))));
    study::StudyFolderIndex files(study.Folder());
    const PanelSequence panel = SelectPanelSequence(study.Record(), {2, choice}, files);
    ASSERT_EQ(panel.Sources.size(), 6);
    EXPECT_TRUE(panel.Sources[1].Missing());
    EXPECT_EQ(panel.Sources[1].Name, QStringLiteral("v2_002_rgb.jpg"));
    EXPECT_EQ(panel.Sources[2].Sample, 3);
    EXPECT_TRUE(SelectPanelSequence(study.Record(), {9, choice}, files).Sources.isEmpty());

    // The missing frame shows its tile, and the frames after it stay in step.
    const ExportScene scene = study.Scene(2);
    const RenderedFrame second = scene.Render(2);
    ASSERT_TRUE(second.ok()) << second.Error.toStdString();
    const QRect cell = scene.Layout.Cells[1].Cell;
    EXPECT_EQ(second.Image.pixel(cell.left() + 1, cell.bottom() - 1), qRgb(58, 58, 64));
    EXPECT_TRUE(exporttest::Near(scene.Render(3).Image.pixel(cell.center()), exporttest::FrameColour(2, 3)));
}

} // namespace
