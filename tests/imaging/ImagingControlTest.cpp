// The panel widget: its image list and shown position, fit and zoom drawing,
// the properties tools read, text drawn over the image and the mouse event.
#include "platform/imaging/ImagingControl.h"

#include "ImagingTestData.h"

#include <QApplication>
#include <QFontInfo>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using imaging::ImagingControl;
using imaging::ImagingError;
using imagingtest::DataFile;
using imagingtest::Solid;

namespace {

QString ErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const ImagingError& e) {
        return e.Text();
    }
    return {};
}

// What the control shows, as the screen would get it, in the control's own
// (logical) pixels whatever the screen's density.
QImage Shown(ImagingControl& control)
{
    QImage image = control.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (image.size() != control.size())
        image = image.scaled(control.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return image;
}

} // namespace

TEST(ImagingControl, EmptyListAcceptsPositionZeroAndNothingElse)
{
    ImagingControl control;
    EXPECT_EQ(control.ImageCount(), 0);
    EXPECT_NO_THROW(control.SetShownPosition(0));
    EXPECT_TRUE(control.CurrentImage().isNull());
    EXPECT_EQ(ErrorOf([&] { control.SetShownPosition(1); }),
              "Invalid image list position 1 (the list holds 0 images)");
    EXPECT_EQ(ErrorOf([&] { control.SetShownPosition(-1); }),
              "Invalid image list position -1 (the list holds 0 images)");
    EXPECT_EQ(ErrorOf([&] { control.DeleteImages(0, 0); }), "");
}

TEST(ImagingControl, InsertPlacesACopyAtThePositionAndSharesItsPixels)
{
    ImagingControl control;
    const QImage red = Solid(4, 4, Qt::red), green = Solid(4, 4, Qt::green), blue = Solid(4, 4, Qt::blue);
    control.InsertImage(0, red);
    control.InsertImage(1, blue);
    control.InsertImage(1, green);
    ASSERT_EQ(control.ImageCount(), 3);
    EXPECT_EQ(control.ListImage(0).pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(control.ListImage(1).pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(control.ListImage(2).pixel(0, 0), qRgb(0, 0, 255));
    // A frame costs its pixels once: the list holds the decoded image itself.
    EXPECT_EQ(control.ListImage(2).constBits(), blue.constBits());

    EXPECT_EQ(ErrorOf([&] { control.InsertImage(4, red); }),
              "Invalid image list position 4 (the list holds 3 images)");
    EXPECT_EQ(ErrorOf([&] { control.InsertImage(0, QImage()); }), "No image to insert into the image list");
    EXPECT_EQ(ErrorOf([&] { control.ListImage(3); }), "Invalid image list position 3 (the list holds 3 images)");
    EXPECT_EQ(control.ImageCount(), 3);
}

TEST(ImagingControl, ShownPositionSelectsTheDisplayedImageAndABadOneLeavesItAlone)
{
    ImagingControl control;
    for (QColor c : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)})
        control.InsertImage(control.ImageCount(), Solid(4, 4, c));
    control.SetShownPosition(2);
    EXPECT_EQ(control.ShownPosition(), 2);
    EXPECT_EQ(control.CurrentImage().pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_FALSE(ErrorOf([&] { control.SetShownPosition(3); }).isEmpty());
    EXPECT_EQ(control.ShownPosition(), 2);
    EXPECT_EQ(control.CurrentImage().pixel(0, 0), qRgb(0, 0, 255));
}

TEST(ImagingControl, DeleteRemovesARangeAndKeepsTheShownPositionInsideTheList)
{
    ImagingControl control;
    for (int i = 0; i < 5; ++i)
        control.InsertImage(i, Solid(2, 2, QColor(i * 50, 0, 0)));
    control.SetShownPosition(4);
    EXPECT_EQ(ErrorOf([&] { control.DeleteImages(3, 3); }),
              "Invalid image list range: 3 images from position 3 (the list holds 5 images)");
    EXPECT_EQ(ErrorOf([&] { control.DeleteImages(-1, 1); }),
              "Invalid image list range: 1 images from position -1 (the list holds 5 images)");
    control.DeleteImages(1, 3);
    ASSERT_EQ(control.ImageCount(), 2);
    EXPECT_EQ(qRed(control.ListImage(1).pixel(0, 0)), 200);
    EXPECT_EQ(control.ShownPosition(), 1);
    control.DeleteImages(0, control.ImageCount());
    EXPECT_EQ(control.ImageCount(), 0);
    EXPECT_EQ(control.ShownPosition(), 0);
    EXPECT_TRUE(control.CurrentImage().isNull());
}

TEST(ImagingControl, PropertiesAreReadableAndWritableByName)
{
    ImagingControl control;
    control.InsertImage(0, Solid(2, 2, Qt::red));
    control.InsertImage(1, Solid(2, 2, Qt::blue));
    EXPECT_EQ(control.property("imageCount").toInt(), 2);
    EXPECT_TRUE(control.setProperty("shownPosition", 1));
    EXPECT_EQ(control.ShownPosition(), 1);
    EXPECT_EQ(control.property("displayMode").toInt(), imaging::kFitMode);
    EXPECT_TRUE(control.setProperty("displayMode", imaging::kZoomMode));
    EXPECT_EQ(control.DisplayMode(), 4);
    EXPECT_TRUE(control.setProperty("zoomPercent", 110.0f));
    EXPECT_FLOAT_EQ(control.property("zoomPercent").toFloat(), 110.0f);
    EXPECT_EQ(ErrorOf([&] { control.SetDisplayMode(5); }), "Invalid display mode 5");
    EXPECT_EQ(control.DisplayMode(), imaging::kZoomMode);
}

TEST(ImagingControl, FitModeScalesTheWholeImageIntoTheControlCentredWithItsAspect)
{
    ImagingControl control;
    control.resize(100, 100);
    control.InsertImage(0, Solid(200, 100, Qt::red));
    control.SetShownPosition(0);
    EXPECT_EQ(control.ImageRect(), QRectF(0, 25, 100, 50));
    control.resize(100, 300);
    EXPECT_EQ(control.ImageRect(), QRectF(0, 125, 100, 50));
    control.InsertImage(1, Solid(50, 200, Qt::red));
    control.SetShownPosition(1);
    EXPECT_EQ(control.ImageRect(), QRectF(12.5, 0, 75, 300));
}

TEST(ImagingControl, ZoomModeDrawsAtThePercentageCentred)
{
    ImagingControl control;
    control.resize(100, 100);
    control.InsertImage(0, Solid(80, 40, Qt::red));
    control.SetShownPosition(0);
    control.SetDisplayMode(imaging::kZoomMode);
    control.SetZoomPercent(50);
    EXPECT_EQ(control.ImageRect(), QRectF(30, 40, 40, 20));
    control.SetZoomPercent(250);
    EXPECT_EQ(control.ImageRect(), QRectF(-50, 0, 200, 100));
    control.SetZoomPercent(0);
    EXPECT_TRUE(control.ImageRect().isEmpty());
}

TEST(ImagingControl, PaintsTheImageWhereItBelongsAndBlackAroundIt)
{
    ImagingControl control;
    control.resize(120, 120);
    QImage halves(240, 120, QImage::Format_RGB888);
    halves.fill(Qt::red);
    for (int y = 0; y < 120; ++y)
        for (int x = 120; x < 240; ++x)
            halves.setPixel(x, y, qRgb(0, 0, 255));
    control.InsertImage(0, halves);
    control.SetShownPosition(0);
    control.show();
    QImage shown = Shown(control);
    EXPECT_EQ(shown.pixel(30, 60), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(90, 60), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(60, 10), qRgb(0, 0, 0)) << "letterbox above the image";
    EXPECT_EQ(shown.pixel(60, 110), qRgb(0, 0, 0)) << "letterbox below the image";

    control.SetDisplayMode(imaging::kZoomMode);
    control.SetZoomPercent(25); // 60 x 30 in the middle
    shown = Shown(control);
    EXPECT_EQ(shown.pixel(45, 60), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(75, 60), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(20, 60), qRgb(0, 0, 0));
}

TEST(ImagingControl, AShrunkImageIsFirstSampledThenAveragedWhenIdle)
{
    // One-pixel stripes shrunk four times: sampling shows pure stripes, the
    // averaged copy shows their mean grey.
    QImage stripes(400, 400, QImage::Format_RGB888);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x)
            stripes.setPixel(x, y, (x % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    ImagingControl control;
    control.resize(100, 100);
    control.InsertImage(0, stripes);
    control.show();
    control.SetShownPosition(0);
    control.Repaint();
    const int sampled = qRed(Shown(control).pixel(50, 50));
    EXPECT_TRUE(sampled == 0 || sampled == 255) << sampled;
    QApplication::processEvents();
    const int averaged = qRed(Shown(control).pixel(50, 50));
    EXPECT_NEAR(averaged, 128, 8);
}

TEST(ImagingControl, LoadDecodesIntoTheCurrentImageAndAFailureKeepsTheOldOne)
{
    ImagingControl decoder;
    decoder.Load(DataFile("good_33x17.jpg"));
    EXPECT_EQ(decoder.CurrentImage().size(), QSize(33, 17));
    EXPECT_EQ(decoder.CurrentImage().format(), QImage::Format_RGB888);
    EXPECT_EQ(decoder.ImageCount(), 0) << "loading does not touch the list";
    EXPECT_EQ(ErrorOf([&] { decoder.Load(DataFile("no_such_frame.jpg")); }),
              "Image file not found: " + DataFile("no_such_frame.jpg"));
    EXPECT_EQ(decoder.CurrentImage().size(), QSize(33, 17));

    ImagingControl panel;
    panel.InsertImage(0, decoder.CurrentImage());
    panel.SetShownPosition(0);
    EXPECT_EQ(panel.CurrentImage(), decoder.CurrentImage());
}

TEST(ImagingControl, NoticeTextIsMeasuredInTheSerifMetricAndDrawnCentredOverTheImage)
{
    ImagingControl control;
    control.resize(400, 300);
    control.InsertImage(0, Solid(400, 300, Qt::black));
    control.SetShownPosition(0);
    control.show();
    QFont font = control.font();
    font.setFamily("Times New Roman");
    font.setPointSize(16);
    control.setFont(font);
    // The notice is laid out with Times New Roman's metrics; on this platform
    // the metric-compatible Liberation Serif stands in for it.
    EXPECT_EQ(QFontInfo(control.font()).family(), "Liberation Serif");

    control.SetTextColor(Qt::white);
    control.SetTextStyle(imaging::kTextStylePlain);
    control.SetTextAlign(imaging::kTextAlignCentre);
    control.SetTextWordWrap(false);
    control.SetTextPersistent(1);
    const qreal w = std::nearbyint(control.TextWidth("Image Not Current"));
    const qreal h = std::nearbyint(control.TextHeight("Image Not Current"));
    EXPECT_GT(w, 100);
    EXPECT_LT(w, 220);
    EXPECT_GT(h, 15);
    EXPECT_LT(h, 40);
    QRectF rect(200 - w / 2, 150 - h / 2, w, h);
    control.SetTextRect(rect);
    control.DrawText("Image Not Current");
    rect.moveTop(rect.top() + h);
    control.SetTextRect(rect);
    control.DrawText("Click Refresh");
    EXPECT_EQ(control.DrawnTexts(), (QStringList{"Image Not Current", "Click Refresh"}));

    const QImage shown = Shown(control);
    const auto whiteIn = [&shown](QRect r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += qRed(shown.pixel(x, y)) > 200;
        return n;
    };
    EXPECT_GT(whiteIn(QRect(int(200 - w / 2), int(150 - h / 2), int(w), int(h))), 50) << "first line";
    EXPECT_GT(whiteIn(QRect(int(200 - w / 2), int(150 + h / 2), int(w), int(h))), 30) << "second line";
    EXPECT_EQ(whiteIn(QRect(0, 0, 400, 100)), 0) << "nothing elsewhere";

    // The notice stays through frame changes and goes with the images.
    control.InsertImage(1, Solid(400, 300, Qt::black));
    EXPECT_TRUE(control.DrawnTexts().isEmpty());
    control.DrawText("Image Not Current");
    control.SetShownPosition(1);
    control.Repaint();
    EXPECT_EQ(control.DrawnTexts(), QStringList{"Image Not Current"});
    control.DeleteImages(0, 2);
    EXPECT_TRUE(control.DrawnTexts().isEmpty());
}

TEST(ImagingControl, TextThatIsNotKeptGoesAtTheNextRepaint)
{
    ImagingControl control;
    control.SetTextPersistent(0);
    control.DrawText("passing");
    EXPECT_EQ(control.DrawnTexts(), QStringList{"passing"});
    control.Repaint();
    EXPECT_TRUE(control.DrawnTexts().isEmpty());
}

TEST(ImagingControl, MouseButtonsAreReportedWithShiftStateAndPosition)
{
    ImagingControl control;
    control.resize(50, 50);
    control.show();
    QSignalSpy spy(&control, &ImagingControl::MouseDown);
    QTest::mouseClick(&control, Qt::LeftButton, Qt::NoModifier, QPoint(5, 6));
    QTest::mouseClick(&control, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(40, 7));
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[0][0].toInt(), 1);
    EXPECT_EQ(spy[0][1].toInt(), 0);
    EXPECT_DOUBLE_EQ(spy[0][2].toDouble(), 5.0);
    EXPECT_DOUBLE_EQ(spy[0][3].toDouble(), 6.0);
    EXPECT_EQ(spy[1][0].toInt(), 2);
    EXPECT_EQ(spy[1][1].toInt(), 3);
    EXPECT_DOUBLE_EQ(spy[1][2].toDouble(), 40.0);
}
