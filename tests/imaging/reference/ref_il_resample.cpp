// Resizing a 24-bit bitmap with separable cubic convolution (kernel
// parameter -1). The arithmetic is fixed: printed colours depend on it, so
// the edge rules below are kept even where a textbook resampler differs.
#include <cmath>
#include <vector>

#include "ref_internal.h"

namespace {

// Tap weight at distance d from the sampling position; 0 past two pixels.
double CubicWeight(double d)
{
    if (d <= 1.0) return d * d * d - 2.0 * d * d + 1.0;
    return -d * d * d + 5.0 * d * d - 8.0 * d + 4.0;
}

// The taps of one sampling position: up to four source indices and weights,
// in the order c - 1, c, c + 1, c + 2. A tap outside 0..count-1 takes the
// centre tap's index, not the nearest edge.
struct Taps {
    int count = 0;
    int index[4];
    double weight[4];
};

Taps TapsAt(double p, int sourceCount)
{
    Taps taps;
    const int c = static_cast<int>(p);
    for (int k = c - 1; k <= c + 2; ++k) {
        const double d = std::fabs(k - p);
        if (d > 2.0) continue;
        taps.index[taps.count] = (k < 0 || k >= sourceCount) ? c : k;
        taps.weight[taps.count] = CubicWeight(d);
        ++taps.count;
    }
    return taps;
}

// Position j samples source position j x (source / new): no half-pixel
// offset, so output 0 is source 0 exactly.
std::vector<Taps> TapsFor(int sourceCount, int newCount)
{
    const double ratio = static_cast<double>(sourceCount) / newCount;
    std::vector<Taps> all(static_cast<size_t>(newCount));
    for (int j = 0; j < newCount; ++j) all[j] = TapsAt(j * ratio, sourceCount);
    return all;
}

// Every source row, resampled across into `work` (height x newWidth x 3).
// Channel sums are kept unclamped between the passes.
void HorizontalPass(const _tagBITMAPHANDLE* source, const std::vector<Taps>& columns, double* work)
{
    const int64_t sourcePitch = ref_il::RowBytes(source->width, 24);
    const size_t newWidth = columns.size();
    for (int r = 0; r < source->height; ++r) {
        const unsigned char* row = source->pixels + r * sourcePitch;
        double* out = work + r * newWidth * 3;
        for (size_t j = 0; j < newWidth; ++j) {
            const Taps& t = columns[j];
            for (int n = 0; n < t.count; ++n) {
                const unsigned char* px = row + static_cast<int64_t>(t.index[n]) * 3;
                out[j * 3 + 0] += px[0] * t.weight[n];
                out[j * 3 + 1] += px[1] * t.weight[n];
                out[j * 3 + 2] += px[2] * t.weight[n];
            }
        }
    }
}

// Every output row, resampled down the working rows into the new pixels.
void VerticalPass(const double* work, const std::vector<Taps>& rows, size_t newWidth, int64_t newPitch,
                  unsigned char* pixels)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        const Taps& t = rows[i];
        unsigned char* out = pixels + i * newPitch;
        for (size_t j = 0; j < newWidth; ++j) {
            double v[3] = {0.0, 0.0, 0.0};
            for (int n = 0; n < t.count; ++n) {
                const double* tap = work + (t.index[n] * newWidth + j) * 3;
                v[0] += tap[0] * t.weight[n];
                v[1] += tap[1] * t.weight[n];
                v[2] += tap[2] * t.weight[n];
            }
            for (int ch = 0; ch < 3; ++ch) {
                out[j * 3 + ch] = v[ch] < 0.0 ? 0 : (v[ch] > 255.0 ? 255 : static_cast<unsigned char>(v[ch] + 0.5));
            }
        }
    }
}

}  // namespace

extern "C" int Ref_IL_SizeBitmap(_tagBITMAPHANDLE* bitmap, int newWidth, int newHeight, int method)
{
    if (bitmap == nullptr || bitmap->pixels == nullptr || !ref_il::Usable24(bitmap)) return IL_ERR_INVALID;
    if (newWidth <= 0 || newHeight <= 0 || method != IL_SIZE_CUBIC) return IL_ERR_INVALID;

    const int64_t newPitch = ref_il::RowBytes(newWidth, 24);
    size_t newBytes = 0;
    if (!ref_il::FitsInt32(newPitch) || !ref_il::Product(newPitch, newHeight, &newBytes)) return IL_ERR_INVALID;
    size_t workCells = 0;
    size_t workBytes = 0;
    if (!ref_il::Product(bitmap->height, static_cast<int64_t>(newWidth) * 3, &workCells) ||
        !ref_il::Product(static_cast<int64_t>(workCells), sizeof(double), &workBytes)) {
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

    HorizontalPass(bitmap, TapsFor(bitmap->width, newWidth), work);
    VerticalPass(work, TapsFor(bitmap->height, newHeight), static_cast<size_t>(newWidth), newPitch, pixels);
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
