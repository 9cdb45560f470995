#include <gtest/gtest.h>

#include <vector>

#include "picture.h"

namespace {

constexpr int kRecord = sizeof(_tagBITMAPHANDLE);

int Create(_tagBITMAPHANDLE* b, int width, int height, int bits, int order, unsigned char* palette, void* data,
           int64_t size, int recordSize = kRecord, int view = IL_VIEW_CODE)
{
    return IL_CreateBitmap(b, recordSize, IL_MEMORY_CALLER, width, height, bits, order, palette, view, data, size);
}

TEST(MemoryLayer, MulDivTruncatesTowardZeroWith64BitProduct)
{
    EXPECT_EQ(MulDiv(7, 3, 2), 10);
    EXPECT_EQ(MulDiv(-7, 3, 2), -10);
    EXPECT_EQ(MulDiv(100000, 100000, 1000), 10000000);
}

TEST(CreateBitmap, SizesDepthsAndRefusals)
{
    unsigned char data[64] = {};
    unsigned char palette[1024] = {};
    _tagBITMAPHANDLE b{};
    for (auto [width, size] : {std::pair{3, 24}, {4, 24}, {5, 32}}) {
        EXPECT_EQ(Create(&b, width, 2, 24, 1, nullptr, data, size + 4), IL_ERR_INVALID) << width;
        ASSERT_EQ(Create(&b, width, 2, 24, 2, nullptr, data, size), IL_OK) << width;
        EXPECT_EQ(b.rowBytes * 2, size);
        EXPECT_EQ(b.orderCode, 1);  // 2 is kept as 1
    }
    // A size past 32 bits is described, not wrapped; a pitch past 32 bits is refused.
    ASSERT_EQ(Create(&b, 100000, 100000, 24, 1, nullptr, data, 30000000000LL), IL_OK);
    EXPECT_EQ(b.dataSize, 30000000000LL);
    EXPECT_EQ(Create(&b, 1000000000, 1, 24, 1, nullptr, data, 3000000000LL), IL_ERR_INVALID);

    EXPECT_EQ(Create(nullptr, 4, 2, 24, 1, nullptr, data, 24), IL_ERR_INVALID);
    EXPECT_EQ(Create(&b, 0, 0, 64, 9, palette, nullptr, 0, kRecord + 1, 0), IL_ERR_RECORD_SIZE);  // checked first
    EXPECT_EQ(Create(&b, -4, 2, 24, 1, nullptr, data, 24), IL_ERR_INVALID);
    for (int bits : {64, 48}) EXPECT_EQ(Create(&b, 4, 2, bits, 1, nullptr, data, 64), IL_ERR_DEEP_COLOUR);
    for (int bits : {1, 16, 32}) EXPECT_EQ(Create(&b, 4, 2, bits, 1, nullptr, data, 64), IL_ERR_INVALID);
    for (int bits : {0, 12, 49}) EXPECT_EQ(Create(&b, 4, 2, bits, 1, nullptr, data, 64), IL_ERR_DEPTH);
    EXPECT_EQ(Create(&b, 4, 2, 24, 1, palette, data, 24), IL_ERR_DEPTH);
    EXPECT_EQ(Create(&b, 4, 2, 24, 3, nullptr, data, 24), IL_ERR_INVALID);
    EXPECT_EQ(Create(&b, 4, 2, 8, 2, nullptr, data, 8), IL_ERR_INVALID);
    EXPECT_EQ(Create(&b, 4, 2, 24, 1, nullptr, data, 24, kRecord, 3), IL_ERR_INVALID);
    ASSERT_EQ(Create(&b, 5, 2, 8, 2, palette, data, 16), IL_OK);
    EXPECT_EQ(b.orderCode, 0);
    EXPECT_EQ(b.paletteSize, 256);
}

TEST(FreeBitmap, ReleasesOnlyLibraryMemory)
{
    std::vector<unsigned char> data(24, 7);
    _tagBITMAPHANDLE b{};
    ASSERT_EQ(Create(&b, 4, 2, 24, 1, nullptr, data.data(), 24), IL_OK);
    ASSERT_EQ(IL_SizeBitmap(&b, 4, 2, IL_SIZE_CUBIC), IL_OK);
    EXPECT_NE(b.memoryHandle, nullptr);  // the record now owns new memory...
    EXPECT_EQ(data[23], 7);              // ...and the caller's is untouched
    IL_FreeBitmap(&b);                   // the sanitizer build reports a leak if this frees nothing
    EXPECT_EQ(b.pixels, nullptr);
    IL_FreeBitmap(&b);
    IL_FreeBitmap(nullptr);
}

TEST(CopyBitmapData, RowsAlignAtTheEndOfMemory)
{
    auto mark = [](int x, int y) { return Rgb{y, x, 100 + y}; };
    _tagBITMAPHANDLE tall = MakePicture(3, 10, mark), shortOne = Flat(3, 6, {1, 1, 1});
    ASSERT_EQ(IL_CopyBitmapData(&shortOne, &tall), IL_OK);
    for (int y = 0; y < 6; ++y) EXPECT_EQ(Pixel(shortOne, 2, y), mark(2, y + 4));

    // More destination rows: its first rows stay; different widths: each
    // side steps by its own pitch.
    _tagBITMAPHANDLE source = MakePicture(5, 2, mark), longer = Flat(3, 4, {9, 9, 9});
    ASSERT_EQ(IL_CopyBitmapData(&longer, &source), IL_OK);
    EXPECT_EQ(Pixel(longer, 0, 1), (Rgb{9, 9, 9}));
    EXPECT_EQ(Pixel(longer, 2, 2), mark(2, 0));
    EXPECT_EQ(Pixel(longer, 1, 3), mark(1, 1));

    _tagBITMAPHANDLE empty{};
    EXPECT_EQ(IL_CopyBitmapData(nullptr, &source), IL_ERR_MISSING);
    EXPECT_EQ(IL_CopyBitmapData(&empty, &source), IL_ERR_INVALID);
    for (auto* b : {&tall, &shortOne, &source, &longer}) IL_FreeBitmap(b);
}

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
