// The photo buffer streams a page through its stages a few rows at a time.
// It must print exactly what the same library operations give when each is
// applied to the whole picture in turn (turn, IL_SizeBitmap for the
// resolution, IL_SizeBitmap strip by strip inside the border, separate,
// curve, merge, IL_SharpenBitmap, IL_ChangeBitmapSaturation): every option
// set runs through both orders of work and the pictures are compared byte
// for byte. Both orders use the one set of kernels; what is tested is the
// streaming, the banding between threads and the strip edges.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "il_internal.h"
#include "device_entry_zr.h"
#include "photo_image_buffer.h"

namespace {

constexpr int kRecordSize = static_cast<int>(sizeof(_tagBITMAPHANDLE));
constexpr int kStripRows = 1000;

// A 24-bit picture record over a copy of `rows` (pitch RowBytes(width)).
_tagBITMAPHANDLE Picture(const unsigned char* rows, int width, int height)
{
    const size_t bytes = static_cast<size_t>(il::RowBytes(width, 24)) * height;
    auto* copy = static_cast<unsigned char*>(GlobalAlloc(0, bytes));
    std::memcpy(copy, rows, bytes);
    _tagBITMAPHANDLE b{};
    EXPECT_EQ(IL_CreateBitmap(&b, kRecordSize, IL_MEMORY_CALLER, width, height, 24, 1, nullptr, IL_VIEW_CODE, copy,
                              static_cast<int64_t>(bytes)), IL_OK);
    b.memoryHandle = copy;
    return b;
}

// The page turned a quarter anticlockwise: page row y, column x goes to
// row x, column height - 1 - y.
std::vector<unsigned char> Turned(const std::vector<unsigned char>& page, int width, int height)
{
    const int64_t pagePitch = il::RowBytes(width, 24), pitch = il::RowBytes(height, 24);
    std::vector<unsigned char> turned(static_cast<size_t>(pitch) * width, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            std::memcpy(&turned[x * pitch + (height - 1 - y) * 3], &page[y * pagePitch + x * 3], 3);
    return turned;
}

// The border canvas: strips of kStripRows source rows, each resized on its
// own, stacked from row 0 on white.
void ShrinkInsideBorder(_tagBITMAPHANDLE* work, float s)
{
    const int width = static_cast<int>(static_cast<float>(work->width) * s);
    const int height = static_cast<int>(static_cast<float>(work->height) * s);
    if (width <= 0 || height <= 0) return;
    const int64_t pitch = il::RowBytes(width, 24);
    std::vector<unsigned char> canvas(static_cast<size_t>(pitch) * height, 255);
    int placed = 0;
    for (int first = 0; first < work->height; first += kStripRows) {
        const int rows = std::min(kStripRows, work->height - first);
        const int scaled = static_cast<int>(static_cast<float>(rows) * s);
        if (scaled <= 0) continue;
        _tagBITMAPHANDLE strip = Picture(work->pixels + static_cast<int64_t>(first) * work->rowBytes, work->width, rows);
        ASSERT_EQ(IL_SizeBitmap(&strip, width, scaled, IL_SIZE_CUBIC), IL_OK);
        for (int i = 0; i < scaled && placed < height; ++i, ++placed)
            std::memcpy(&canvas[placed * pitch], strip.pixels + static_cast<int64_t>(i) * strip.rowBytes, pitch);
        IL_FreeBitmap(&strip);
    }
    IL_FreeBitmap(work);
    *work = Picture(canvas.data(), width, height);
}

// The whole-picture order of work for the buffer's settings.
_tagBITMAPHANDLE WholePicture(const PhotoImageBuffer& b, const std::vector<unsigned char>& page, int w, int h)
{
    const std::vector<unsigned char> turned = b.paperRotate ? Turned(page, w, h) : page;
    if (b.paperRotate) std::swap(w, h);
    _tagBITMAPHANDLE work = Picture(turned.data(), w, h);
    if (b.resolutionMode == 2)
        IL_SizeBitmap(&work, w / 2, h, IL_SIZE_CUBIC);
    else if (b.resolutionMode == 1 && b.paperRotate)
        IL_SizeBitmap(&work, w / 2, h * 2, IL_SIZE_CUBIC);
    const float s = b.border ? b.BorderScale() : 0.0f;
    if (s > 0.0f) ShrinkInsideBorder(&work, s);

    _tagBITMAPHANDLE split[3] = {};
    _tagBITMAPHANDLE* parts[3] = {&split[0], &split[1], &split[2]};
    IL_ColorSeparateBitmap(&work, parts, kRecordSize, 0);
    IL_FreeBitmap(&work);
    const bool adjust = b.colorAdjustment;
    const int32_t gamma[3] = {b.gammaR, b.gammaG, b.gammaB};
    const int32_t intensity[3] = {b.brightnessR, b.brightnessG, b.brightnessB};
    const int32_t contrast[3] = {b.contrastR, b.contrastG, b.contrastB};
    for (int p = 0; p < 3; ++p) {
        IL_GammaCorrectBitmap(parts[p], static_cast<unsigned>(adjust ? gamma[p] : 100));
        IL_ChangeBitmapIntensity(parts[p], adjust ? intensity[p] : 0);
        IL_ChangeBitmapContrast(parts[p], adjust ? contrast[p] : 0);
    }
    _tagBITMAPHANDLE picture = {};
    IL_ColorMergeBitmap(&picture, parts, kRecordSize, 0);
    for (auto& plane : split) IL_FreeBitmap(&plane);
    IL_SharpenBitmap(&picture, b.sharpness);
    IL_ChangeBitmapSaturation(&picture, adjust ? b.saturation : 0);
    return picture;
}

// The model's sheet table, as the filter has it (ended by code -1).
const MediaInfo* const kSheets = gMediaInfo_ZR;
int SheetCount()
{
    int n = 0;
    while (kSheets[n].mediaCode != -1) ++n;
    return n;
}

struct Options {
    int64_t resolution = 300, mode = 0;
    bool rotate = false, border = true, adjust = true;
    int sharpness = 0, saturation = 0;
    int gamma[3] = {100, 100, 100}, brightness[3] = {0, 0, 0}, contrast[3] = {0, 0, 0};
};

void Configure(PhotoImageBuffer& b, const MediaInfo& row, const Options& o)
{
    DeviceMediaBufferInfo sheet{};
    sheet.CopyRow(row);
    sheet.headWidth = row.pageWidthPx + 76;
    sheet.xDpi = 300;
    sheet.yDpi = o.resolution;
    sheet.pageLengthDots = row.pageLengthPx * static_cast<int>(o.resolution / 300);
    sheet.pictureLengthDots = row.pictureLengthPx * static_cast<int>(o.resolution / 300);
    sheet.gapDots = row.gapPx;
    sheet.layoutCount = row.pictureCount;
    b.Alloc(sheet);
    b.resolution = o.resolution;
    b.resolutionMode = o.mode;
    b.paperRotate = o.rotate;
    b.border = o.border;
    b.colorAdjustment = o.adjust;
    b.sharpness = o.sharpness;
    b.saturation = o.saturation;
    b.gammaR = o.gamma[0], b.gammaG = o.gamma[1], b.gammaB = o.gamma[2];
    b.brightnessR = o.brightness[0], b.brightnessG = o.brightness[1], b.brightnessB = o.brightness[2];
    b.contrastR = o.contrast[0], b.contrastG = o.contrast[1], b.contrastB = o.contrast[2];
}

// A page of padded 24-bit rows mixing noise, smooth ramps, flat patches and
// the extremes, so every clamp and edge rule is reached.
std::vector<unsigned char> Page(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    const size_t pitch = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<unsigned char> page(pitch * height, 0);
    const int style = static_cast<int>(random() % 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &page[y * pitch + x * 3];
            for (int c = 0; c < 3; ++c) {
                int v = static_cast<int>(random() % 256);
                if (style == 1) v = (x * (c + 1) * 255 / width + y * 255 / height + v / 16) % 256;
                if (style == 2 && ((x / 7 + y / 5) % 3 == 0)) v = ((x / 7 + c) % 2) * 255;
                if (style == 3 && v < 100) v = (x + y) % 2 ? 255 : 0;
                p[c] = static_cast<unsigned char>(v);
            }
        }
    }
    return page;
}

void* Copy(const std::vector<unsigned char>& page)
{
    void* buffer = GlobalAlloc(0, page.size());
    std::memcpy(buffer, page.data(), page.size());
    return buffer;
}

std::string Bytes(const _tagBITMAPHANDLE* r)
{
    std::string fields = std::to_string(r->width) + "x" + std::to_string(r->height) + "/" +
                         std::to_string(r->rowBytes) + "/" + std::to_string(r->dataSize) + "/" +
                         std::to_string(r->orderCode) + "/" + std::to_string(r->bitsPerPixel) + ":";
    // Row padding is not written by the whole-picture operations, so only
    // the pixels of each row carry meaning.
    const size_t used = static_cast<size_t>(r->width) * r->bitsPerPixel / 8;
    for (int y = 0; r->pixels != nullptr && y < r->height; ++y) {
        fields.append(reinterpret_cast<const char*>(r->pixels) + static_cast<size_t>(y) * r->rowBytes, used);
    }
    return fields;
}

std::string Describe(const MediaInfo& row, int w, int h, const Options& o)
{
    return "sheet " + std::to_string(row.mediaCode) + " page " + std::to_string(w) + "x" + std::to_string(h) +
           " dpi " + std::to_string(o.resolution) + " mode " + std::to_string(o.mode) + " rotate " +
           std::to_string(o.rotate) + " border " + std::to_string(o.border) + " adjust " + std::to_string(o.adjust) +
           " sharp " + std::to_string(o.sharpness) + " chroma " + std::to_string(o.saturation);
}

// Runs one page through both orders of work.
void ExpectSame(const MediaInfo& row, int w, int h, const Options& o, unsigned seed)
{
    SCOPED_TRACE(Describe(row, w, h, o));
    const std::vector<unsigned char> page = Page(w, h, seed);
    PhotoImageBuffer fast;
    Configure(fast, row, o);
    // Bands split between threads must not show in the bytes.
    fast.threads = seed % 3 == 0 ? 1 : 2;
    _tagBITMAPHANDLE expected = WholePicture(fast, page, w, h);
    _tagBITMAPHANDLE* actual = fast.ColorProcess(Copy(page), w, h, 0);
    ASSERT_NE(actual, nullptr);
    EXPECT_TRUE(Bytes(&expected) == Bytes(actual)) << "picture differs";
    IL_FreeBitmap(&expected);
    IL_FreeBitmap(actual);
    GlobalFree(actual);
}

const int kSharpnessSteps[] = {-1000, -950, -900, -800, -500, -200, -100, -50, -1, 0, 1,
                               50,    100,  650,  700,  750,  800,  850,  900, 950, 1000};

TEST(PipelineIdentity, VariedSmallPagesAndOptions)
{
    std::mt19937 random(99);
    auto pick = [&](int lo, int hi) { return lo + static_cast<int>(random() % static_cast<unsigned>(hi - lo + 1)); };
    for (int i = 0; i < 120; ++i) {
        Options o;
        o.resolution = i % 3 == 0 ? 600 : 300;
        o.mode = o.resolution == 600 ? pick(0, 2) : 0;
        o.rotate = pick(0, 1) == 1;
        o.border = i % 5 != 0;
        o.adjust = i % 7 != 0;
        o.sharpness = i < 42 ? kSharpnessSteps[i % 21] : pick(-1000, 1000);
        o.saturation = i % 4 == 0 ? (i % 8 == 0 ? 1000 : -1000) : pick(-1000, 1000);
        for (int c = 0; c < 3; ++c) {
            o.gamma[c] = pick(0, 3) == 0 ? 100 : pick(10, 1000);
            o.brightness[c] = pick(-1100, 1100);
            o.contrast[c] = pick(-1100, 1100);
        }
        const int w = i < 6 ? pick(1, 3) : pick(1, 260);
        const int h = i < 6 ? pick(1, 3) : pick(1, 1300 / (i % 10 + 1));
        ExpectSame(kSheets[i % SheetCount()], w, h, o, 1000 + i);
    }
}

}  // namespace
