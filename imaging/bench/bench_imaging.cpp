// Times the image library's three costly operations on a 4 x 6 in picture at
// 300 dpi (1844 x 1240) and prints the median milliseconds per call.
// Usage: bench_imaging [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "il_bitmap.h"

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
    IL_FreeBitmap(&picture);
    return 0;
}
