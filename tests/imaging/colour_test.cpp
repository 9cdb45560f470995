#include <gtest/gtest.h>

#include <vector>

#include "picture.h"

namespace {

constexpr int kRecord = sizeof(_tagBITMAPHANDLE);

// Three planes split from a small picture; released on destruction.
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
        EXPECT_EQ(planes.p[0].dataSize, 24);
        EXPECT_EQ(planes.p[0].paletteSize, 256);
        EXPECT_EQ(planes.Level(2, 77), 77);
        const int firstPlaneByte = order == 1 ? 0 : 2;
        EXPECT_EQ(*At(planes.p[0], 4, 2), At(picture, 4, 2)[firstPlaneByte]);
        EXPECT_EQ(*At(planes.p[1], 4, 2), At(picture, 4, 2)[1]);

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

TEST(Planes, RefusalCodes)
{
    _tagBITMAPHANDLE picture = Flat(4, 2, {1, 2, 3});
    Planes planes;
    EXPECT_EQ(IL_ColorSeparateBitmap(nullptr, planes.ptrs, kRecord, 0), IL_ERR_INVALID);
    EXPECT_EQ(IL_ColorSeparateBitmap(&picture, planes.ptrs, kRecord - 8, 0), IL_ERR_RECORD_SIZE);
    EXPECT_EQ(IL_ColorSeparateBitmap(&picture, planes.ptrs, kRecord, 1), IL_ERR_INVALID);
    EXPECT_EQ(IL_ColorSeparateBitmap(&picture, nullptr, kRecord, 0), IL_ERR_INVALID);
    _tagBITMAPHANDLE* missing[3] = {&planes.p[0], nullptr, &planes.p[2]};
    EXPECT_EQ(IL_ColorSeparateBitmap(&picture, missing, kRecord, 0), IL_ERR_INVALID);
    EXPECT_EQ(planes.p[0].pixels, nullptr);

    _tagBITMAPHANDLE merged{};
    EXPECT_EQ(IL_ColorMergeBitmap(&merged, planes.ptrs, kRecord, 0), IL_ERR_MISSING);
    ASSERT_EQ(planes.Split(&picture), IL_OK);
    EXPECT_EQ(IL_ColorMergeBitmap(nullptr, planes.ptrs, kRecord, 0), IL_ERR_INVALID);
    EXPECT_EQ(IL_ColorMergeBitmap(&merged, planes.ptrs, kRecord + 1, 0), IL_ERR_RECORD_SIZE);
    EXPECT_EQ(IL_ColorMergeBitmap(&merged, planes.ptrs, kRecord, 2), IL_ERR_INVALID);
    planes.p[2].width = 3;
    EXPECT_EQ(IL_ColorMergeBitmap(&merged, planes.ptrs, kRecord, 0), IL_ERR_INVALID);
    planes.p[2].width = 4;
    planes.p[1].palette = nullptr;
    EXPECT_EQ(IL_ColorMergeBitmap(&merged, planes.ptrs, kRecord, 0), IL_ERR_INVALID);
    EXPECT_EQ(merged.pixels, nullptr);
    IL_FreeBitmap(&picture);
}

// Applies one curve to a fresh plane and returns the new levels for `levels`.
template <typename Curve>
std::vector<int> Curved(Curve curve, const std::vector<int>& levels)
{
    _tagBITMAPHANDLE picture = MakePicture(256, 1, [](int x, int) { return Rgb{x, x, x}; });
    Planes planes;
    EXPECT_EQ(planes.Split(&picture), IL_OK);
    EXPECT_EQ(curve(&planes.p[0]), IL_OK);
    std::vector<int> out;
    for (int v : levels) out.push_back(planes.Level(0, v));
    // The pixel bytes keep their values; only the palette changed.
    for (int x = 0; x < 256; ++x) EXPECT_EQ(*At(planes.p[0], x, 0), x);
    IL_FreeBitmap(&picture);
    return out;
}

using Levels = std::vector<int>;

TEST(ToneCurves, GammaLevels)
{
    auto gamma = [](unsigned g) { return [g](_tagBITMAPHANDLE* p) { return IL_GammaCorrectBitmap(p, g); }; };
    EXPECT_EQ(Curved(gamma(200), {0, 1, 64, 128, 255}), (Levels{0, 16, 128, 181, 255}));
    EXPECT_EQ(Curved(gamma(50), {64, 128}), (Levels{16, 64}));
    Levels all(256);
    for (int i = 0; i < 256; ++i) all[i] = i;
    EXPECT_EQ(Curved(gamma(100), all), all);
}

TEST(ToneCurves, IntensityLevels)
{
    auto intensity = [](int d) { return [d](_tagBITMAPHANDLE* p) { return IL_ChangeBitmapIntensity(p, d); }; };
    EXPECT_EQ(Curved(intensity(20), {0, 100, 250}), (Levels{6, 106, 255}));
    EXPECT_EQ(Curved(intensity(-20), {3, 100}), (Levels{0, 95}));
    EXPECT_EQ(Curved(intensity(2), {100}), (Levels{101}));
    EXPECT_EQ(Curved(intensity(0), {0, 100, 255}), (Levels{0, 100, 255}));
    EXPECT_EQ(Curved(intensity(1000), {0}), (Levels{255}));
    EXPECT_EQ(Curved(intensity(-1000), {255}), (Levels{1}));
}

TEST(ToneCurves, ContrastPivotsOnLevel64)
{
    auto contrast = [](int c) { return [c](_tagBITMAPHANDLE* p) { return IL_ChangeBitmapContrast(p, c); }; };
    const Levels in = {0, 32, 64, 100, 128, 255};
    EXPECT_EQ(Curved(contrast(1000), in), (Levels{0, 0, 64, 136, 192, 255}));
    EXPECT_EQ(Curved(contrast(-1000), in), (Levels{33, 49, 64, 81, 95, 158}));
    EXPECT_EQ(Curved(contrast(0), in), in);
}

TEST(ToneCurves, RefusalsAndMergedEffect)
{
    _tagBITMAPHANDLE picture = Flat(2, 2, {128, 128, 128});
    Planes planes;
    ASSERT_EQ(planes.Split(&picture), IL_OK);
    EXPECT_EQ(IL_GammaCorrectBitmap(nullptr, 100), IL_ERR_NULL_RECORD);
    EXPECT_EQ(IL_ChangeBitmapIntensity(nullptr, 0), IL_ERR_NULL_RECORD);
    EXPECT_EQ(IL_ChangeBitmapContrast(nullptr, 0), IL_ERR_NULL_RECORD);
    EXPECT_EQ(IL_GammaCorrectBitmap(&planes.p[0], 0), IL_ERR_INVALID);
    EXPECT_EQ(IL_ChangeBitmapIntensity(&planes.p[0], 1001), IL_ERR_INVALID);
    EXPECT_EQ(IL_ChangeBitmapContrast(&planes.p[0], -1001), IL_ERR_INVALID);
    EXPECT_EQ(IL_GammaCorrectBitmap(&picture, 100), IL_ERR_INVALID);  // not a plane

    ASSERT_EQ(IL_GammaCorrectBitmap(&planes.p[0], 200), IL_OK);
    ASSERT_EQ(IL_ChangeBitmapIntensity(&planes.p[1], 20), IL_OK);
    ASSERT_EQ(IL_ChangeBitmapContrast(&planes.p[2], 1000), IL_OK);
    _tagBITMAPHANDLE merged{};
    ASSERT_EQ(IL_ColorMergeBitmap(&merged, planes.ptrs, kRecord, 0), IL_OK);
    EXPECT_EQ(Pixel(merged, 1, 1), (Rgb{181, 134, 192}));
    IL_FreeBitmap(&merged);

    unsigned char invert[256];
    for (int i = 0; i < 256; ++i) invert[i] = static_cast<unsigned char>(255 - i);
    ConvertLUT8(&planes.p[1], invert);
    EXPECT_EQ(planes.Level(1, 128), 255 - 134);
    IL_FreeBitmap(&picture);
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
    EXPECT_EQ(Saturated({200, 100, 50}, -1000), (Rgb{125, 125, 125}));
    EXPECT_EQ(Saturated({200, 100, 50}, 1000), (Rgb{250, 83, 0}));
    EXPECT_EQ(Saturated({10, 250, 10}, 1000), (Rgb{5, 255, 5}));
    for (int s : {-1000, -300, 0, 700, 1000}) EXPECT_EQ(Saturated({90, 90, 90}, s), (Rgb{90, 90, 90})) << s;

    double hue, chroma, lightness;
    RGBtoHSL(200, 100, 50, &hue, &chroma, &lightness);
    EXPECT_DOUBLE_EQ(hue, 20.0);
    EXPECT_DOUBLE_EQ(chroma, 150.0);
    EXPECT_DOUBLE_EQ(lightness, 125.0);
    RGBtoHSL(7, 7, 7, &hue, &chroma, &lightness);
    EXPECT_DOUBLE_EQ(hue, -1.0);
    unsigned char a, b, c;
    HSLtoRGB(-1.0, 0.0, 99.9, &a, &b, &c);
    EXPECT_EQ((Rgb{a, b, c}), (Rgb{99, 99, 99}));

    _tagBITMAPHANDLE pic = Flat(1, 1, {1, 2, 3});
    EXPECT_EQ(IL_ChangeBitmapSaturation(nullptr, 0), IL_ERR_NULL_RECORD);
    EXPECT_EQ(IL_ChangeBitmapSaturation(&pic, 1001), IL_ERR_INVALID);
    EXPECT_EQ(Pixel(pic, 0, 0), (Rgb{1, 2, 3}));
    IL_FreeBitmap(&pic);
}

// Sharpens a 3 x 3 picture that is `field` everywhere but `spot` in the centre.
_tagBITMAPHANDLE Spot(int field, int spot, int sharpness)
{
    _tagBITMAPHANDLE b = MakePicture(3, 3, [&](int x, int y) {
        const int v = (x == 1 && y == 1) ? spot : field;
        return Rgb{v, v, v};
    });
    EXPECT_EQ(IL_SharpenBitmap(&b, sharpness), IL_OK);
    return b;
}

TEST(Sharpen, StrengthTableAndInterpolation)
{
    // -975 lies midway between -1000 and -950: k = -0.875, each neighbour
    // takes 0.875 / 9 of the spot (24.5, truncated).
    _tagBITMAPHANDLE b = Spot(0, 252, -975);
    EXPECT_EQ(Pixel(b, 0, 0).b0, 24);
    EXPECT_EQ(Pixel(b, 2, 1).b2, 24);
    IL_FreeBitmap(&b);
    // 325 interpolates between 100 and 650: k = 0.2324, centre 180 x (1 + 8k/9).
    b = Spot(0, 180, 325);
    EXPECT_EQ(Pixel(b, 1, 1).b1, 217);
    EXPECT_EQ(Pixel(b, 0, 1).b1, 0);  // clamped below
    IL_FreeBitmap(&b);
    // 1000 is centre 9, neighbours -1: a dark spot in a field clamps both ways.
    b = Spot(100, 20, 1000);
    EXPECT_EQ(Pixel(b, 1, 1).b0, 0);
    EXPECT_EQ(Pixel(b, 0, 0).b0, 180);
    IL_FreeBitmap(&b);
}

TEST(Sharpen, FlatPicturesAndIdentity)
{
    for (int s : {900, 950, 1000}) {
        _tagBITMAPHANDLE b = Spot(7, 7, s);
        EXPECT_EQ(Pixel(b, 1, 1), (Rgb{7, 7, 7})) << s;
        EXPECT_EQ(Pixel(b, 2, 2), (Rgb{7, 7, 7})) << s;
        IL_FreeBitmap(&b);
    }
    _tagBITMAPHANDLE b = Spot(7, 7, -1000);  // the truncated average loses one level
    EXPECT_EQ(Pixel(b, 1, 0), (Rgb{6, 6, 6}));
    IL_FreeBitmap(&b);

    auto noise = [](int x, int y) { return Rgb{Noise(x, y, 7), Noise(x, y, 8), Noise(x, y, 9)}; };
    b = MakePicture(6, 5, noise);
    ASSERT_EQ(IL_SharpenBitmap(&b, 0), IL_OK);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) EXPECT_EQ(Pixel(b, x, y), noise(x, y));
    }
    EXPECT_EQ(IL_SharpenBitmap(nullptr, 0), IL_ERR_MISSING);
    EXPECT_EQ(IL_SharpenBitmap(&b, 1001), IL_ERR_INVALID);
    _tagBITMAPHANDLE empty{};
    EXPECT_EQ(IL_SharpenBitmap(&empty, 0), IL_ERR_MISSING);
    IL_FreeBitmap(&b);
}

}  // namespace
