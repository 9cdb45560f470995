#include <gtest/gtest.h>

#include <vector>

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

// Applies a curve to plane 0 of a ramp and returns the new levels for `levels`.
template <typename Curve>
std::vector<int> Curved(Curve curve, const std::vector<int>& levels)
{
    _tagBITMAPHANDLE picture = MakePicture(256, 1, [](int x, int) { return Grey(x); });
    Planes planes;
    EXPECT_EQ(planes.Split(&picture), IL_OK);
    EXPECT_EQ(curve(&planes.p[0]), IL_OK);
    std::vector<int> out;
    for (int v : levels) out.push_back(planes.Level(0, v));
    for (int x = 0; x < 256; ++x) EXPECT_EQ(*At(planes.p[0], x, 0), x);  // pixels unchanged
    IL_FreeBitmap(&picture);
    return out;
}

using Levels = std::vector<int>;
auto Gamma(unsigned g) { return [g](_tagBITMAPHANDLE* p) { return IL_GammaCorrectBitmap(p, g); }; }
auto Intensity(int d) { return [d](_tagBITMAPHANDLE* p) { return IL_ChangeBitmapIntensity(p, d); }; }
auto Contrast(int c) { return [c](_tagBITMAPHANDLE* p) { return IL_ChangeBitmapContrast(p, c); }; }

TEST(ToneCurves, WorkedLevels)
{
    Levels ramp(256);
    for (int i = 0; i < 256; ++i) ramp[i] = i;
    EXPECT_EQ(Curved(Gamma(200), {0, 1, 64, 128, 255}), (Levels{0, 16, 128, 181, 255}));
    EXPECT_EQ(Curved(Gamma(50), {64, 128}), (Levels{16, 64}));
    EXPECT_EQ(Curved(Gamma(100), ramp), ramp);
    EXPECT_EQ(Curved(Intensity(20), {0, 100, 250}), (Levels{6, 106, 255}));
    EXPECT_EQ(Curved(Intensity(-20), {3, 100}), (Levels{0, 95}));
    EXPECT_EQ(Curved(Intensity(2), {100}), (Levels{101}));
    EXPECT_EQ(Curved(Intensity(0), ramp), ramp);
    EXPECT_EQ(Curved(Intensity(1000), {0}), (Levels{255}));
    EXPECT_EQ(Curved(Intensity(-1000), {255}), (Levels{1}));
    const Levels in = {0, 32, 64, 100, 128, 255};
    EXPECT_EQ(Curved(Contrast(1000), in), (Levels{0, 0, 64, 136, 192, 255}));
    EXPECT_EQ(Curved(Contrast(-1000), in), (Levels{33, 49, 64, 81, 95, 158}));
    EXPECT_EQ(Curved(Contrast(0), ramp), ramp);
}

Rgb Saturated(Rgb in, int saturation, int order = 0)
{
    _tagBITMAPHANDLE b = Flat(1, 1, in, order);
    EXPECT_EQ(IL_ChangeBitmapSaturation(&b, saturation), IL_OK);
    const Rgb out = Pixel(b, 0, 0);
    IL_FreeBitmap(&b);
    return out;
}

TEST(Saturation, WorkedExamples)
{
    EXPECT_EQ(Saturated({68, 32, 130}, 0), (Rgb{67, 32, 130}));
    EXPECT_EQ(Saturated({130, 32, 68}, 0, 1), (Rgb{130, 32, 67}));  // order 1 reads the bytes backwards
    EXPECT_EQ(Saturated({200, 100, 50}, -1000), Grey(125));
    EXPECT_EQ(Saturated({200, 100, 50}, 1000), (Rgb{250, 83, 0}));
    EXPECT_EQ(Saturated({10, 250, 10}, 1000), (Rgb{5, 255, 5}));
    for (int s : {-1000, -300, 0, 1000}) EXPECT_EQ(Saturated(Grey(90), s), Grey(90)) << s;
    double hue, chroma, lightness;
    RGBtoHSL(200, 100, 50, &hue, &chroma, &lightness);
    EXPECT_EQ((std::vector<double>{hue, chroma, lightness}), (std::vector<double>{20, 150, 125}));

    _tagBITMAPHANDLE pic = Flat(1, 1, {1, 2, 3});
    EXPECT_EQ(IL_ChangeBitmapSaturation(nullptr, 0), IL_ERR_NULL_RECORD);
    EXPECT_EQ(IL_ChangeBitmapSaturation(&pic, 1001), IL_ERR_INVALID);
    IL_FreeBitmap(&pic);
}

// Sharpens a 3 x 3 picture that is `field` everywhere but `spot` in the centre.
_tagBITMAPHANDLE Spot(int field, int spot, int sharpness)
{
    _tagBITMAPHANDLE b = MakePicture(3, 3, [&](int x, int y) { return Grey(x == 1 && y == 1 ? spot : field); });
    EXPECT_EQ(IL_SharpenBitmap(&b, sharpness), IL_OK);
    return b;
}

TEST(Sharpen, StrengthsAndEdges)
{
    struct Case {
        int field, spot, sharpness, x, y, expected;
    } cases[] = {
        {0, 252, -975, 0, 0, 24},   // k = -0.875 midway in the table: 0.875 / 9 of the spot
        {0, 252, -975, 2, 1, 24},
        {0, 180, 325, 1, 1, 217},   // k = 0.2324: centre 180 x (1 + 8k/9)
        {0, 180, 325, 0, 1, 0},     // clamped below
        {100, 20, 1000, 1, 1, 0},   // centre 9, neighbours -1
        {100, 20, 1000, 0, 0, 180}, // corners repeat their edge row and column
        {100, 20, 1000, 2, 2, 180},
        {7, 7, 900, 1, 1, 7},       // exact binary weights keep a flat picture
        {7, 7, 950, 2, 2, 7},
        {7, 7, 1000, 0, 2, 7},
        {7, 7, -1000, 1, 0, 6},     // the truncated average loses a level
    };
    for (const Case& c : cases) {
        _tagBITMAPHANDLE b = Spot(c.field, c.spot, c.sharpness);
        EXPECT_EQ(Pixel(b, c.x, c.y), Grey(c.expected)) << c.sharpness << " at " << c.x << "," << c.y;
        IL_FreeBitmap(&b);
    }
    auto noise = [](int x, int y) { return Rgb{Noise(x, y, 7), Noise(x, y, 8), Noise(x, y, 9)}; };
    _tagBITMAPHANDLE b = MakePicture(6, 5, noise);
    ASSERT_EQ(IL_SharpenBitmap(&b, 0), IL_OK);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) EXPECT_EQ(Pixel(b, x, y), noise(x, y));
    }
    EXPECT_EQ(IL_SharpenBitmap(nullptr, 0), IL_ERR_MISSING);
    EXPECT_EQ(IL_SharpenBitmap(&b, 1001), IL_ERR_INVALID);
    IL_FreeBitmap(&b);
}

}  // namespace
