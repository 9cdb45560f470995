// Resizing a 24-bit bitmap with separable cubic convolution (kernel
// parameter -1). The arithmetic is fixed: printed colours depend on it, so
// the edge rules below are kept even where a textbook resampler differs.
#include <cmath>

#include "il_internal.h"

namespace {

// Tap weight at distance d from the sampling position; 0 past two pixels.
double CubicWeight(double d)
{
    if (d <= 1.0) return d * d * d - 2.0 * d * d + 1.0;
    return -d * d * d + 5.0 * d * d - 8.0 * d + 4.0;
}

// A tap outside 0..count-1 takes the centre tap's index, not the nearest edge.
inline int TapIndex(int k, int centre, int count) { return (k < 0 || k >= count) ? centre : k; }

// Every source row, resampled across into `work` (height x newWidth x 3).
void HorizontalPass(const _tagBITMAPHANDLE* source, int newWidth, double* work)
{
    const int64_t sourcePitch = il::RowBytes(source->width, 24);
    const double ratio = static_cast<double>(source->width) / newWidth;
    for (int r = 0; r < source->height; ++r) {
        const unsigned char* row = source->pixels + r * sourcePitch;
        double* out = work + static_cast<size_t>(r) * newWidth * 3;
        for (int j = 0; j < newWidth; ++j) {
            const double p = j * ratio;
            const int c = static_cast<int>(p);
            for (int k = c - 1; k <= c + 2; ++k) {
                const double d = std::fabs(k - p);
                if (d > 2.0) continue;
                const double w = CubicWeight(d);
                const unsigned char* px = row + static_cast<int64_t>(TapIndex(k, c, source->width)) * 3;
                out[j * 3 + 0] += px[0] * w;
                out[j * 3 + 1] += px[1] * w;
                out[j * 3 + 2] += px[2] * w;
            }
        }
    }
}

// Every output row, resampled down the working rows into the new pixels.
void VerticalPass(const double* work, int sourceHeight, int newWidth, int newHeight, int64_t newPitch,
                  unsigned char* pixels)
{
    const double ratio = static_cast<double>(sourceHeight) / newHeight;
    for (int i = 0; i < newHeight; ++i) {
        const double p = i * ratio;
        const int c = static_cast<int>(p);
        unsigned char* out = pixels + i * newPitch;
        for (int j = 0; j < newWidth; ++j) {
            double v[3] = {0.0, 0.0, 0.0};
            for (int k = c - 1; k <= c + 2; ++k) {
                const double d = std::fabs(k - p);
                if (d > 2.0) continue;
                const double w = CubicWeight(d);
                const double* tap = work + (static_cast<size_t>(TapIndex(k, c, sourceHeight)) * newWidth + j) * 3;
                v[0] += tap[0] * w;
                v[1] += tap[1] * w;
                v[2] += tap[2] * w;
            }
            for (int ch = 0; ch < 3; ++ch) {
                out[j * 3 + ch] = v[ch] < 0.0 ? 0 : (v[ch] > 255.0 ? 255 : static_cast<unsigned char>(v[ch] + 0.5));
            }
        }
    }
}

}  // namespace

extern "C" int IL_SizeBitmap(_tagBITMAPHANDLE* bitmap, int newWidth, int newHeight, int method)
{
    if (bitmap == nullptr || bitmap->pixels == nullptr || !il::Usable24(bitmap)) return IL_ERR_INVALID;
    if (newWidth <= 0 || newHeight <= 0 || method != IL_SIZE_CUBIC) return IL_ERR_INVALID;

    const int64_t newPitch = il::RowBytes(newWidth, 24);
    size_t newBytes = 0;
    if (!il::FitsInt32(newPitch) || !il::Product(newPitch, newHeight, &newBytes)) return IL_ERR_INVALID;
    size_t workCells = 0;
    size_t workBytes = 0;
    if (!il::Product(bitmap->height, static_cast<int64_t>(newWidth) * 3, &workCells) ||
        !il::Product(static_cast<int64_t>(workCells), sizeof(double), &workBytes)) {
        return IL_ERR_NO_MEMORY;
    }

    void* handle = GlobalAlloc(0, newBytes);
    if (handle == nullptr) return IL_ERR_NO_MEMORY;
    unsigned char* pixels = static_cast<unsigned char*>(GlobalLock(handle));
    void* workHandle = GlobalAlloc(0, workBytes);
    if (workHandle == nullptr) {
        GlobalUnlock(handle);
        GlobalFree(handle);
        return IL_ERR_NO_MEMORY;
    }
    double* work = static_cast<double*>(GlobalLock(workHandle));
    ZeroMemory(work, workBytes);

    HorizontalPass(bitmap, newWidth, work);
    VerticalPass(work, bitmap->height, newWidth, newHeight, newPitch, pixels);
    GlobalUnlock(workHandle);
    GlobalFree(workHandle);

    if (bitmap->memoryHandle != nullptr) {
        GlobalUnlock(bitmap->memoryHandle);
        GlobalFree(bitmap->memoryHandle);
        bitmap->palette = nullptr;
    }
    bitmap->width = newWidth;
    bitmap->height = newHeight;
    bitmap->rowBytes = static_cast<int32_t>(newPitch);
    bitmap->dataSize = static_cast<int64_t>(newBytes);
    bitmap->memoryHandle = handle;
    bitmap->pixels = pixels;
    return IL_OK;
}
