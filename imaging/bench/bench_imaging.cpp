// Times the image library's three costly operations on a 4 x 6 in picture at
// 300 dpi (1844 x 1240) and the photo buffer's whole page pipeline, and
// prints the median milliseconds per call.
// Usage: bench_imaging [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "il_bitmap.h"
#include "photo_image_buffer.h"

namespace {

constexpr int kWidth = 1844;
constexpr int kHeight = 1240;

// A photo-like picture: smooth gradients with some texture, library-owned.
_tagBITMAPHANDLE MakePicture()
{
    const int pitch = (kWidth * 24 + 31) / 32 * 4;
    const int64_t bytes = int64_t{pitch} * kHeight;
    auto* data = static_cast<unsigned char*>(GlobalAlloc(0, static_cast<size_t>(bytes)));
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            unsigned char* p = data + int64_t{y} * pitch + x * 3;
            const int texture = (x * 7 + y * 13) % 23;
            p[0] = static_cast<unsigned char>((x * 255 / kWidth + texture) % 256);
            p[1] = static_cast<unsigned char>((y * 255 / kHeight + texture) % 256);
            p[2] = static_cast<unsigned char>(((x + y) * 255 / (kWidth + kHeight) + 2 * texture) % 256);
        }
    }
    _tagBITMAPHANDLE b{};
    if (IL_CreateBitmap(&b, sizeof(b), IL_MEMORY_CALLER, kWidth, kHeight, 24, 1, nullptr, IL_VIEW_CODE, data, bytes) !=
        IL_OK) {
        std::fprintf(stderr, "cannot describe the test picture\n");
        std::exit(1);
    }
    b.memoryHandle = data;
    return b;
}

// A library-owned copy, so in-place operations start from the same picture.
_tagBITMAPHANDLE Copy(const _tagBITMAPHANDLE& from)
{
    _tagBITMAPHANDLE b = from;
    b.memoryHandle = GlobalAlloc(0, static_cast<size_t>(from.dataSize));
    b.pixels = static_cast<unsigned char*>(GlobalLock(b.memoryHandle));
    CopyMemory(b.pixels, from.pixels, static_cast<size_t>(from.dataSize));
    return b;
}

double MedianMs(int rounds, const _tagBITMAPHANDLE& original, const std::function<int(_tagBITMAPHANDLE*)>& op)
{
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        _tagBITMAPHANDLE b = Copy(original);
        const auto start = std::chrono::steady_clock::now();
        const int result = op(&b);
        const auto stop = std::chrono::steady_clock::now();
        IL_FreeBitmap(&b);
        if (result != IL_OK) {
            std::fprintf(stderr, "operation failed with %d\n", result);
            std::exit(1);
        }
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The whole per-page pipeline on a portrait 4 x 6 page: rotation, border
// shrink, colour adjustment, sharpening and chroma.
double PipelineMs(int rounds, const _tagBITMAPHANDLE& landscape)
{
    MediaInfo row = {3, 2, 6.0, 4.0, 300, 1844, 1240, 60, 60, 0, 1844, 1240, 1, 1, 1.0};
    DeviceMediaBufferInfo sheet{};
    sheet.CopyRow(row);
    PhotoImageBuffer buffer;
    buffer.Alloc(sheet);
    buffer.paperRotate = true;
    buffer.border = true;
    buffer.colorAdjustment = true;
    buffer.gammaR = buffer.gammaG = buffer.gammaB = 123;
    buffer.brightnessR = 20;
    buffer.contrastB = 100;
    buffer.sharpness = 500;
    buffer.saturation = 200;
    const int pitch = (kHeight * 24 + 31) / 32 * 4;  // the portrait page is kHeight wide
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        auto* page = static_cast<unsigned char*>(GlobalAlloc(0, static_cast<size_t>(pitch) * kWidth));
        for (int y = 0; y < kWidth; ++y) {
            for (int x = 0; x < kHeight; ++x) {
                const unsigned char* from = landscape.pixels + int64_t{x} * landscape.rowBytes + y * 3;
                std::memcpy(page + int64_t{y} * pitch + x * 3, from, 3);
            }
        }
        const auto start = std::chrono::steady_clock::now();
        _tagBITMAPHANDLE* out = buffer.ColorProcess(page, kHeight, kWidth, 0);
        const auto stop = std::chrono::steady_clock::now();
        if (out == nullptr || out->pixels == nullptr || out->width != 1665 || out->height != 1120) {
            std::fprintf(stderr, "pipeline failed\n");
            std::exit(1);
        }
        IL_FreeBitmap(out);
        GlobalFree(out);
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    _tagBITMAPHANDLE picture = MakePicture();
    struct Case {
        const char* name;
        std::function<int(_tagBITMAPHANDLE*)> op;
    };
    const Case cases[] = {
        {"IL_SizeBitmap 1844x1240 -> 1665x1120",
         [](_tagBITMAPHANDLE* b) { return IL_SizeBitmap(b, 1665, 1120, IL_SIZE_CUBIC); }},
        {"IL_SizeBitmap 1844x1240 -> 922x1240",
         [](_tagBITMAPHANDLE* b) { return IL_SizeBitmap(b, 922, 1240, IL_SIZE_CUBIC); }},
        {"IL_SharpenBitmap 500", [](_tagBITMAPHANDLE* b) { return IL_SharpenBitmap(b, 500); }},
        {"IL_ChangeBitmapSaturation 300", [](_tagBITMAPHANDLE* b) { return IL_ChangeBitmapSaturation(b, 300); }},
    };
    std::printf("picture %d x %d, median of %d rounds\n", kWidth, kHeight, rounds);
    for (const Case& c : cases) std::printf("%-40s %8.1f ms/call\n", c.name, MedianMs(rounds, picture, c.op));
    std::printf("%-40s %8.1f ms/page\n", "ColorProcess 1240x1844 page -> 1665x1120", PipelineMs(rounds, picture));
    IL_FreeBitmap(&picture);
    return 0;
}
