// Separating a picture into planes and merging them back, for both byte
// orders (the tone curves, sharpening and saturation are pinned, with every
// other image step, by the golden streams of tests/golden).
#include <gtest/gtest.h>

#include "picture.h"

namespace {

constexpr int kRecord = sizeof(_tagBITMAPHANDLE);

// Three planes split from a picture; released on destruction.
struct Planes {
    _tagBITMAPHANDLE p[3] = {};
    _tagBITMAPHANDLE* ptrs[3] = {&p[0], &p[1], &p[2]};
    ~Planes()
    {
        for (auto& plane : p) IL_FreeBitmap(&plane);
    }
    int Split(_tagBITMAPHANDLE* source) { return IL_ColorSeparateBitmap(source, ptrs, kRecord, 0); }
    int Level(int plane, int v) const { return p[plane].palette[v * 4]; }
};

TEST(Planes, SeparateAndMergeFollowTheByteOrder)
{
    auto noise = [](int x, int y) { return Rgb{Noise(x, y, 4), Noise(x, y, 5), Noise(x, y, 6)}; };
    for (int order : {1, 0}) {
        _tagBITMAPHANDLE picture = MakePicture(5, 3, noise, order);
        Planes planes;
        ASSERT_EQ(planes.Split(&picture), IL_OK);
        EXPECT_EQ(planes.p[0].rowBytes, 8);
        EXPECT_EQ(planes.Level(2, 77), 77);  // grey ramp
        _tagBITMAPHANDLE merged{};
        ASSERT_EQ(IL_ColorMergeBitmap(&merged, planes.ptrs, kRecord, 0), IL_OK);
        EXPECT_EQ(merged.orderCode, 1);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                const Rgb in = noise(x, y);
                EXPECT_EQ(Pixel(merged, x, y), (order == 1 ? in : Rgb{in.b2, in.b1, in.b0}));
            }
        }
        IL_FreeBitmap(&merged);
        IL_FreeBitmap(&picture);
    }
}

}  // namespace
