// Small pictures for the image library's tests: 24-bit bitmaps whose pixel
// memory the library owns, so IL_FreeBitmap releases them.
#pragma once

#include <cstring>
#include <functional>
#include <ostream>

#include "il_bitmap.h"

struct Rgb {
    int b0, b1, b2;
};

inline int Pitch24(int width) { return (width * 24 + 31) / 32 * 4; }

// A bitmap of the given order code whose pixel (x, y) is fill(x, y); y is
// the memory row.
inline _tagBITMAPHANDLE MakePicture(int width, int height, const std::function<Rgb(int, int)>& fill,
                                    int orderCode = 1)
{
    const int64_t bytes = int64_t{Pitch24(width)} * height;
    auto* data = static_cast<unsigned char*>(GlobalAlloc(0, static_cast<size_t>(bytes)));
    std::memset(data, 0, static_cast<size_t>(bytes));
    _tagBITMAPHANDLE b{};
    IL_CreateBitmap(&b, sizeof(b), IL_MEMORY_CALLER, width, height, 24, orderCode, nullptr, IL_VIEW_CODE, data, bytes);
    b.memoryHandle = data;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = fill(x, y);
            unsigned char* p = data + int64_t{y} * b.rowBytes + x * 3;
            p[0] = static_cast<unsigned char>(c.b0);
            p[1] = static_cast<unsigned char>(c.b1);
            p[2] = static_cast<unsigned char>(c.b2);
        }
    }
    return b;
}

inline Rgb Grey(int v) { return {v, v, v}; }

inline unsigned char* At(const _tagBITMAPHANDLE& b, int x, int y)
{
    return b.pixels + int64_t{y} * b.rowBytes + int64_t{x} * b.bitsPerPixel / 8;
}

inline Rgb Pixel(const _tagBITMAPHANDLE& b, int x, int y)
{
    const unsigned char* p = At(b, x, y);
    return {p[0], p[1], p[2]};
}

inline bool operator==(const Rgb& a, const Rgb& b) { return a.b0 == b.b0 && a.b1 == b.b1 && a.b2 == b.b2; }

inline std::ostream& operator<<(std::ostream& os, const Rgb& c)
{
    return os << "(" << c.b0 << "," << c.b1 << "," << c.b2 << ")";
}

// Deterministic noise so failures reproduce.
inline int Noise(int x, int y, int salt)
{
    return static_cast<int>((x * 73856093u ^ y * 19349663u ^ salt * 83492791u) % 256u);
}
