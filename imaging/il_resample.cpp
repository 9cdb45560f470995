// Resizing a 24-bit bitmap with separable cubic convolution (kernel
// parameter -1). The arithmetic is fixed: printed colours depend on it, so
// the edge rules in il_cubic.h are kept even where a textbook resampler
// differs.
#include <cstring>

#include "il_internal.h"
#include "row_stream.h"

extern "C" int IL_SizeBitmap(_tagBITMAPHANDLE* bitmap, int newWidth, int newHeight, int method)
{
    if (bitmap == nullptr || bitmap->pixels == nullptr || !il::Usable24(bitmap)) return IL_ERR_INVALID;
    if (newWidth <= 0 || newHeight <= 0 || method != IL_SIZE_CUBIC) return IL_ERR_INVALID;

    const int64_t newPitch = il::RowBytes(newWidth, 24);
    size_t newBytes = 0;
    if (!il::FitsInt32(newPitch) || !il::Product(newPitch, newHeight, &newBytes)) return IL_ERR_INVALID;
    // Sizes whose whole-picture working buffer of doubles could not be
    // described are still refused, so callers see the same results.
    size_t workCells = 0;
    size_t workBytes = 0;
    if (!il::Product(bitmap->height, static_cast<int64_t>(newWidth) * 3, &workCells) ||
        !il::Product(static_cast<int64_t>(workCells), sizeof(double), &workBytes)) {
        return IL_ERR_NO_MEMORY;
    }

    void* handle = GlobalAlloc(0, newBytes);
    if (handle == nullptr) return IL_ERR_NO_MEMORY;
    unsigned char* pixels = static_cast<unsigned char*>(GlobalLock(handle));
    // Four rows of the horizontal pass at a time are all the vertical pass
    // needs; the padding bytes of each row are zeroed.
    il::BufferRows source(bitmap->pixels, bitmap->width, bitmap->height, il::RowBytes(bitmap->width, 24));
    il::CubicRows resized(&source, 0, bitmap->height, newWidth, newHeight);
    const size_t used = static_cast<size_t>(newWidth) * 3;
    for (int i = 0; i < newHeight; ++i) {
        unsigned char* out = pixels + i * newPitch;
        std::memcpy(out, resized.Row(i), used);
        std::memset(out + used, 0, static_cast<size_t>(newPitch) - used);
    }

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
