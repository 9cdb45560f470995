#include <gtest/gtest.h>

#include <vector>

#include "picture.h"

namespace {

constexpr int kRecord = sizeof(_tagBITMAPHANDLE);

TEST(SizeBitmap, EdgeTapsUseTheCentreIndexAndOvershootClamps)
{
    // Even outputs sample the source exactly; odd ones weigh -0.125, 0.625,
    // 0.625, -0.125. Output 5 (position 2.5) takes its tap past the edge from
    // source 2, output 7 (3.5) takes taps 2, 3, 3, 3.
    const int levels[4] = {10, 50, 100, 180};
    const int expected[8] = {10, 24, 50, 70, 100, 156, 180, 190};
    _tagBITMAPHANDLE across = MakePicture(4, 1, [&](int x, int) { return Rgb{levels[x], 0, levels[x]}; });
    _tagBITMAPHANDLE down = MakePicture(1, 4, [&](int, int y) { return Rgb{0, levels[y], 0}; });
    ASSERT_EQ(IL_SizeBitmap(&across, 8, 1, IL_SIZE_CUBIC), IL_OK);
    ASSERT_EQ(IL_SizeBitmap(&down, 1, 8, IL_SIZE_CUBIC), IL_OK);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(Pixel(across, i, 0), (Rgb{expected[i], 0, expected[i]})) << i;
        EXPECT_EQ(Pixel(down, 0, i).b1, expected[i]) << i;
    }
    _tagBITMAPHANDLE step = MakePicture(4, 1, [](int x, int) { return Grey(x < 2 ? 0 : 255); });
    ASSERT_EQ(IL_SizeBitmap(&step, 8, 1, IL_SIZE_CUBIC), IL_OK);
    EXPECT_EQ(Pixel(step, 1, 0).b0, 0);    // -31.9
    EXPECT_EQ(Pixel(step, 3, 0).b0, 128);  // 127.5 rounds up
    EXPECT_EQ(Pixel(step, 5, 0).b0, 255);  // 286.9
    for (auto* b : {&across, &down, &step}) IL_FreeBitmap(b);
}

TEST(SizeBitmap, SameSizeCopiesAndHalvingPicksEverySecondPixel)
{
    auto noise = [](int x, int y) { return Rgb{Noise(x, y, 1), Noise(x, y, 2), Noise(x, y, 3)}; };
    _tagBITMAPHANDLE b = MakePicture(8, 6, noise);
    ASSERT_EQ(IL_SizeBitmap(&b, 8, 6, IL_SIZE_CUBIC), IL_OK);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) EXPECT_EQ(Pixel(b, x, y), noise(x, y));
    }
    ASSERT_EQ(IL_SizeBitmap(&b, 4, 3, IL_SIZE_CUBIC), IL_OK);
    EXPECT_EQ(b.dataSize, 36);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(b, x, y), noise(2 * x, 2 * y));
    }
    // Refusals leave the record as it was.
    const _tagBITMAPHANDLE before = b;
    EXPECT_EQ(IL_SizeBitmap(nullptr, 4, 4, IL_SIZE_CUBIC), IL_ERR_INVALID);
    EXPECT_EQ(IL_SizeBitmap(&b, 0, 4, IL_SIZE_CUBIC), IL_ERR_INVALID);
    EXPECT_EQ(IL_SizeBitmap(&b, 4, 4, 3), IL_ERR_INVALID);
    EXPECT_EQ(IL_SizeBitmap(&b, 1000000000, 1, IL_SIZE_CUBIC), IL_ERR_INVALID);  // pitch beyond 32 bits
    EXPECT_EQ(0, std::memcmp(&b, &before, sizeof(b)));
    IL_FreeBitmap(&b);
}

}  // namespace
