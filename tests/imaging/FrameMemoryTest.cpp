// Frame memory: a released frame's pixels serve the next frame of its size,
// and what is kept for that stays within its limit.
#include "platform/imaging/FrameMemory.h"

#include <gtest/gtest.h>

#include <vector>

using imaging::KeptFrameBytes;
using imaging::NewFrameImage;

TEST(FrameMemory, ReleasedMemoryServesTheNextFrameOfItsSizeWithinTheLimit)
{
    const uchar* first = nullptr;
    {
        QImage frame = NewFrameImage(961, 541);
        ASSERT_FALSE(frame.isNull());
        EXPECT_EQ(frame.format(), QImage::Format_RGB888);
        EXPECT_EQ(frame.bytesPerLine(), 2884) << "rows padded to 4 bytes, as QImage pads them";
        frame.fill(Qt::red); // every byte of it is the frame's own
        first = frame.constBits();
    }
    QImage other = NewFrameImage(640, 480);
    QImage again = NewFrameImage(961, 541);
    EXPECT_NE(other.constBits(), first) << "another size takes other memory";
    EXPECT_EQ(again.constBits(), first);

    // A copy keeps the memory in use until the last image sharing it is gone.
    QImage copy = again;
    again = QImage();
    EXPECT_NE(NewFrameImage(961, 541).constBits(), first);
    copy = QImage();

    // Releasing more than the limit keeps no more than the limit.
    std::vector<QImage> many;
    for (int i = 0; i < 40; ++i)
        many.push_back(NewFrameImage(1920, 1080));
    many.clear();
    EXPECT_GT(KeptFrameBytes(), 0);
    EXPECT_LE(KeptFrameBytes(), imaging::kKeptFrameBytes);
}
