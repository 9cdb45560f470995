#include <gtest/gtest.h>

#include <memory>

#include "photo_image_buffer.h"
#include "picture.h"

namespace {

DeviceMediaBufferInfo SheetRow(const MediaInfo& row)
{
    DeviceMediaBufferInfo s{};
    s.CopyRow(row);
    return s;
}
const MediaInfo k4x6 = {3, 2, 6.0, 4.0, 300, 1844, 1240, 60, 60, 0, 1844, 1240, 1, 1, 1.0};
const MediaInfo k3x5 = {1, 1, 5.0, 3.5, 300, 1548, 1088, 60, 54, 0, 1548, 1088, 1, 0, 1.0};

struct ResultDeleter {
    void operator()(_tagBITMAPHANDLE* b) const
    {
        IL_FreeBitmap(b);
        GlobalFree(b);
    }
};
using Result = std::unique_ptr<_tagBITMAPHANDLE, ResultDeleter>;

// A photo buffer with every step neutral, one picture at a time.
struct Pipeline : PhotoImageBuffer {
    Pipeline()
    {
        border = false;
        Alloc(SheetRow(k4x6));
    }
    Result Run(int width, int height, const std::function<Rgb(int, int)>& fill)
    {
        _tagBITMAPHANDLE page = MakePicture(width, height, fill);
        return Result(ColorProcess(page.memoryHandle, width, height, 0));
    }
};

TEST(ColorProcess, RotationAndResolutionModes)
{
    Pipeline p;
    p.paperRotate = true;
    auto level = [](int x, int y) { return Grey(10 + 10 * (y * 3 + x)); };  // greys survive every step
    Result out = p.Run(3, 2, level);
    ASSERT_EQ(out->width, 2);
    ASSERT_EQ(out->height, 3);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(Pixel(*out, 1 - y, x), level(x, y));  // (2, 0) lands at (1, 2)
    }
    p.resolutionMode = 1;
    out = p.Run(1240, 3688, [](int x, int y) { return Grey((x + y) % 256); });
    EXPECT_EQ(out->width, 1844);
    EXPECT_EQ(out->height, 2480);
    p.paperRotate = false;  // mode 1 without rotation keeps the size
    out = p.Run(6, 4, level);
    EXPECT_EQ(out->width * 10 + out->height, 64);
    p.resolutionMode = 2;
    out = p.Run(7, 4, level);
    EXPECT_EQ(out->width * 10 + out->height, 34);
}

TEST(ColorProcess, BorderShrinksInStripsOf1000Rows)
{
    Pipeline p;
    p.border = true;
    // Only source row 1000 is bright: the second strip starts there exactly,
    // and the first strip's last rows do not reach it (its edge taps repeat
    // the centre row instead).
    Result out = p.Run(1844, 1240, [](int, int y) { return Grey(y == 1000 ? 250 : 50); });
    ASSERT_EQ(out->width, 1665);
    ASSERT_EQ(out->height, 1120);
    for (int x : {0, 832, 1664}) {
        EXPECT_EQ(Pixel(*out, x, 902), Grey(50));
        EXPECT_EQ(Pixel(*out, x, 903), Grey(250));
        EXPECT_EQ(Pixel(*out, x, 1118), Grey(50));
    }
    for (int x = 0; x < 1665; ++x) ASSERT_EQ(Pixel(*out, x, 1119), Grey(255)) << x;  // 903 + 216 rows

    p.Alloc(SheetRow(k3x5));
    p.resolution = 600;  // doubles both length figures: same ratio
    out = p.Run(1548, 1088, [](int, int) { return Grey(80); });
    EXPECT_EQ(out->width, 1394);
    EXPECT_EQ(out->height, 980);
}

TEST(ColorProcess, UnusablePagesGiveARecordWithoutPixels)
{
    Pipeline p;
    Result out(p.ColorProcess(nullptr, 4, 4, 0));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->pixels, nullptr);
    p.paperRotate = true;  // the page is released, never read
    for (long width : {1L << 40, -3L}) {
        out.reset(p.ColorProcess(GlobalAlloc(0, 64), width, 2, 0));
        ASSERT_TRUE(out);
        EXPECT_EQ(out->pixels, nullptr);
    }
}

}  // namespace
