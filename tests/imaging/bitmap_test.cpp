#include <gtest/gtest.h>

#include <vector>

#include "picture.h"

namespace {

constexpr int kRecord = sizeof(_tagBITMAPHANDLE);

int Create(_tagBITMAPHANDLE* b, int width, int height, int bits, int order, unsigned char* palette, void* data,
           int64_t size, int recordSize = kRecord, int kind = IL_MEMORY_CALLER, int view = IL_VIEW_CODE)
{
    return IL_CreateBitmap(b, recordSize, kind, width, height, bits, order, palette, view, data, size);
}

TEST(MemoryLayer, MulDivTruncatesTowardZeroWith64BitProduct)
{
    EXPECT_EQ(MulDiv(7, 3, 2), 10);
    EXPECT_EQ(MulDiv(-7, 3, 2), -10);
    EXPECT_EQ(MulDiv(100000, 100000, 1000), 10000000);
}

TEST(CreateBitmap, RowBytesAndDataSize)
{
    unsigned char data[64] = {};
    _tagBITMAPHANDLE b{};
    const struct { int width; int64_t good; } cases[] = {{3, 24}, {4, 24}, {5, 32}};
    for (const auto& c : cases) {
        EXPECT_EQ(Create(&b, c.width, 2, 24, 1, nullptr, data, c.good - 4), IL_ERR_INVALID) << c.width;
        EXPECT_EQ(Create(&b, c.width, 2, 24, 1, nullptr, data, c.good + 4), IL_ERR_INVALID) << c.width;
        ASSERT_EQ(Create(&b, c.width, 2, 24, 2, nullptr, data, c.good), IL_OK) << c.width;
        EXPECT_EQ(b.rowBytes, c.good / 2);
        EXPECT_EQ(b.dataSize, c.good);
        EXPECT_EQ(b.orderCode, 1);  // 2 is kept as 1
        EXPECT_EQ(b.pixels, data);
        EXPECT_EQ(b.memoryHandle, nullptr);
        EXPECT_EQ(b.paletteSize, 0);
    }
    // A size past 32 bits is described, not wrapped; a pitch past 32 bits is refused.
    ASSERT_EQ(Create(&b, 100000, 100000, 24, 1, nullptr, data, 30000000000LL), IL_OK);
    EXPECT_EQ(b.dataSize, 30000000000LL);
    EXPECT_EQ(Create(&b, 1000000000, 1, 24, 1, nullptr, data, 3000000000LL), IL_ERR_INVALID);
}

TEST(CreateBitmap, RefusalCodes)
{
    unsigned char data[64] = {};
    unsigned char palette[1024] = {};
    _tagBITMAPHANDLE b{};
    EXPECT_EQ(Create(nullptr, 4, 2, 24, 1, nullptr, data, 24), IL_ERR_INVALID);
    // The record size is checked before anything else.
    EXPECT_EQ(Create(&b, 0, 0, 64, 9, palette, nullptr, 0, kRecord + 1, 7, 0), IL_ERR_RECORD_SIZE);
    EXPECT_EQ(Create(&b, 4, 2, 24, 1, nullptr, data, 24, kRecord, 1), IL_ERR_INVALID);
    EXPECT_EQ(Create(&b, 0, 2, 24, 1, nullptr, data, 0), IL_ERR_INVALID);
    EXPECT_EQ(Create(&b, 4, 0, 24, 1, nullptr, data, 0), IL_ERR_INVALID);
    EXPECT_EQ(Create(&b, -4, 2, 24, 1, nullptr, data, 24), IL_ERR_INVALID);
    for (int bits : {64, 48}) EXPECT_EQ(Create(&b, 4, 2, bits, 1, nullptr, data, 64), IL_ERR_DEEP_COLOUR);
    for (int bits : {1, 16, 32}) EXPECT_EQ(Create(&b, 4, 2, bits, 1, nullptr, data, 64), IL_ERR_INVALID);
    for (int bits : {0, 4, 12, 49, 96}) EXPECT_EQ(Create(&b, 4, 2, bits, 1, nullptr, data, 64), IL_ERR_DEPTH);
    EXPECT_EQ(Create(&b, 4, 2, 24, 1, palette, data, 24), IL_ERR_DEPTH);
    EXPECT_EQ(Create(&b, 4, 2, 24, 3, nullptr, data, 24), IL_ERR_INVALID);
    EXPECT_EQ(Create(&b, 4, 2, 8, 1, palette, data, 8), IL_ERR_INVALID);
    EXPECT_EQ(Create(&b, 4, 2, 8, 2, nullptr, data, 8), IL_ERR_INVALID);
    EXPECT_EQ(Create(&b, 4, 2, 24, 1, nullptr, data, 24, kRecord, IL_MEMORY_CALLER, 3), IL_ERR_INVALID);
    EXPECT_EQ(Create(&b, 4, 2, 24, 1, nullptr, nullptr, 24), IL_ERR_INVALID);

    ASSERT_EQ(Create(&b, 5, 2, 8, 2, palette, data, 16), IL_OK);
    EXPECT_EQ(b.orderCode, 0);
    EXPECT_EQ(b.paletteSize, 256);
    EXPECT_EQ(b.palette, palette);
    EXPECT_EQ(b.rowBytes, 8);
}

TEST(FreeBitmap, ReleasesOnlyLibraryMemory)
{
    std::vector<unsigned char> data(24, 7);
    _tagBITMAPHANDLE b{};
    ASSERT_EQ(Create(&b, 4, 2, 24, 1, nullptr, data.data(), 24), IL_OK);
    IL_FreeBitmap(&b);
    EXPECT_EQ(b.pixels, nullptr);
    EXPECT_EQ(data[23], 7);  // the caller's memory is still the caller's
    IL_FreeBitmap(&b);
    IL_FreeBitmap(nullptr);

    ASSERT_EQ(Create(&b, 4, 2, 24, 1, nullptr, data.data(), 24), IL_OK);
    ASSERT_EQ(IL_SizeBitmap(&b, 4, 2, IL_SIZE_CUBIC), IL_OK);
    EXPECT_NE(b.memoryHandle, nullptr);
    IL_FreeBitmap(&b);  // the sanitizer build reports a leak if this frees nothing
    EXPECT_EQ(b.memoryHandle, nullptr);
    EXPECT_EQ(b.pixels, nullptr);
}

TEST(CopyBitmapData, RowsAlignAtTheEndOfMemory)
{
    auto rowMark = [](int x, int y) { return Rgb{y, x, 100 + y}; };
    _tagBITMAPHANDLE tall = MakePicture(3, 10, rowMark);
    _tagBITMAPHANDLE shortOne = Flat(3, 6, {1, 1, 1});
    ASSERT_EQ(IL_CopyBitmapData(&shortOne, &tall), IL_OK);
    for (int y = 0; y < 6; ++y) EXPECT_EQ(Pixel(shortOne, 2, y), rowMark(2, y + 4));

    // Destination with more rows: its first rows are left alone.
    _tagBITMAPHANDLE source = MakePicture(3, 6, rowMark);
    _tagBITMAPHANDLE longer = Flat(3, 10, {9, 9, 9});
    ASSERT_EQ(IL_CopyBitmapData(&longer, &source), IL_OK);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(Pixel(longer, 0, y), (Rgb{9, 9, 9}));
    for (int y = 4; y < 10; ++y) EXPECT_EQ(Pixel(longer, 1, y), rowMark(1, y - 4));

    // Different widths: each side steps by its own pitch, the narrower width is copied.
    _tagBITMAPHANDLE wide = MakePicture(5, 2, rowMark);
    _tagBITMAPHANDLE narrow = Flat(3, 2, {0, 0, 0});
    ASSERT_EQ(IL_CopyBitmapData(&narrow, &wide), IL_OK);
    EXPECT_EQ(Pixel(narrow, 2, 1), rowMark(2, 1));
    EXPECT_EQ(Pixel(narrow, 0, 1), rowMark(0, 1));

    EXPECT_EQ(IL_CopyBitmapData(nullptr, &wide), IL_ERR_MISSING);
    EXPECT_EQ(IL_CopyBitmapData(&wide, nullptr), IL_ERR_MISSING);
    _tagBITMAPHANDLE empty{};
    EXPECT_EQ(IL_CopyBitmapData(&empty, &wide), IL_ERR_INVALID);
    for (auto* b : {&tall, &shortOne, &source, &longer, &wide, &narrow}) IL_FreeBitmap(b);
}

// A one-row picture whose byte 0 and 1 carry `levels` and byte 2 stays 0.
_tagBITMAPHANDLE Row(const std::vector<int>& levels)
{
    return MakePicture(static_cast<int>(levels.size()), 1, [&](int x, int) { return Rgb{levels[x], levels[x], 0}; });
}

TEST(SizeBitmap, EdgeTapsUseTheCentreColumn)
{
    _tagBITMAPHANDLE b = Row({10, 50, 100, 180});
    ASSERT_EQ(IL_SizeBitmap(&b, 8, 1, IL_SIZE_CUBIC), IL_OK);
    ASSERT_EQ(b.width, 8);
    // Even columns sample source columns exactly; odd ones weigh
    // -0.125, 0.625, 0.625, -0.125. Column 5 (position 2.5) takes its tap past
    // the edge from column 2, column 7 (3.5) takes taps 2, 3, 3, 3.
    const int expected[8] = {10, 24, 50, 70, 100, 156, 180, 190};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(Pixel(b, x, 0), (Rgb{expected[x], expected[x], 0})) << "column " << x;
    }
    IL_FreeBitmap(&b);

    // The same rules down the columns.
    b = MakePicture(1, 4, [](int, int y) { const int v[4] = {10, 50, 100, 180}; return Rgb{0, v[y], 0}; });
    ASSERT_EQ(IL_SizeBitmap(&b, 1, 8, IL_SIZE_CUBIC), IL_OK);
    for (int y = 0; y < 8; ++y) EXPECT_EQ(Pixel(b, 0, y).b1, expected[y]) << "row " << y;
    IL_FreeBitmap(&b);
}

TEST(SizeBitmap, OvershootIsClampedNotWrapped)
{
    _tagBITMAPHANDLE b = Row({0, 0, 255, 255});
    ASSERT_EQ(IL_SizeBitmap(&b, 8, 1, IL_SIZE_CUBIC), IL_OK);
    EXPECT_EQ(Pixel(b, 1, 0).b0, 0);    // -31.9
    EXPECT_EQ(Pixel(b, 3, 0).b0, 128);  // 127.5 rounds up
    EXPECT_EQ(Pixel(b, 5, 0).b0, 255);  // 286.9
    IL_FreeBitmap(&b);
}

TEST(SizeBitmap, SameSizeCopiesAndHalvingPicksEverySecondPixel)
{
    auto noise = [](int x, int y) { return Rgb{Noise(x, y, 1), Noise(x, y, 2), Noise(x, y, 3)}; };
    _tagBITMAPHANDLE original = MakePicture(8, 6, noise);
    std::vector<unsigned char> callerMemory(original.pixels, original.pixels + original.dataSize);
    _tagBITMAPHANDLE b{};
    ASSERT_EQ(Create(&b, 8, 6, 24, 1, nullptr, callerMemory.data(), original.dataSize), IL_OK);
    ASSERT_EQ(IL_SizeBitmap(&b, 8, 6, IL_SIZE_CUBIC), IL_OK);
    EXPECT_NE(b.pixels, callerMemory.data());
    EXPECT_NE(b.memoryHandle, nullptr);
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(0, std::memcmp(At(b, 0, y), At(original, 0, y), 24)) << "row " << y;
        EXPECT_EQ(0, std::memcmp(callerMemory.data() + y * 24, At(original, 0, y), 24));
    }
    ASSERT_EQ(IL_SizeBitmap(&b, 4, 3, IL_SIZE_CUBIC), IL_OK);
    EXPECT_EQ(b.rowBytes, 12);
    EXPECT_EQ(b.dataSize, 36);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(b, x, y), noise(2 * x, 2 * y));
    }
    IL_FreeBitmap(&b);
    IL_FreeBitmap(&original);
}

TEST(SizeBitmap, RefusalsLeaveTheRecordAlone)
{
    _tagBITMAPHANDLE b = Flat(4, 2, {1, 2, 3});
    const _tagBITMAPHANDLE before = b;
    EXPECT_EQ(IL_SizeBitmap(nullptr, 4, 4, IL_SIZE_CUBIC), IL_ERR_INVALID);
    EXPECT_EQ(IL_SizeBitmap(&b, 0, 4, IL_SIZE_CUBIC), IL_ERR_INVALID);
    EXPECT_EQ(IL_SizeBitmap(&b, 4, -1, IL_SIZE_CUBIC), IL_ERR_INVALID);
    EXPECT_EQ(IL_SizeBitmap(&b, 4, 4, 3), IL_ERR_INVALID);
    // A pitch that does not fit the record's 32-bit field.
    EXPECT_EQ(IL_SizeBitmap(&b, 1000000000, 1, IL_SIZE_CUBIC), IL_ERR_INVALID);
    b.orderCode = 2;
    EXPECT_EQ(IL_SizeBitmap(&b, 4, 4, IL_SIZE_CUBIC), IL_ERR_INVALID);
    b.orderCode = 1;
    EXPECT_EQ(0, std::memcmp(&b, &before, sizeof(b)));
    IL_FreeBitmap(&b);
}

}  // namespace
