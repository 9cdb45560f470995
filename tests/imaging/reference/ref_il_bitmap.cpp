// Creating, releasing and copying bitmap records.
#include <algorithm>

#include "ref_internal.h"

namespace {

// Depth and byte-order rules of Ref_IL_CreateBitmap; 1 when acceptable, with the
// byte order the record will hold.
int CheckDepth(int bits, int orderCode, const unsigned char* palette, int* storedOrder)
{
    if (bits == 64 || bits == 48) return IL_ERR_DEEP_COLOUR;
    if (bits == 0 || bits > 48) return IL_ERR_DEPTH;
    if (bits == 1 || bits == 16 || bits == 32) return IL_ERR_INVALID;
    if (bits == 8) {
        if (orderCode != 2 || palette == nullptr) return IL_ERR_INVALID;
        *storedOrder = 0;
        return IL_OK;
    }
    if (bits == 24) {
        if (palette != nullptr) return IL_ERR_DEPTH;
        // Order code 2 means "the usual order" and is kept as 1. Negative codes
        // are refused like large ones: every later operation assumes 0 or 1.
        if (orderCode < 0 || orderCode > 2) return IL_ERR_INVALID;
        *storedOrder = orderCode == 2 ? 1 : orderCode;
        return IL_OK;
    }
    return IL_ERR_DEPTH;
}

}  // namespace

extern "C" {

int Ref_IL_CreateBitmap(_tagBITMAPHANDLE* bitmap, int recordSize, int memoryKind, int width, int height,
                    int bitsPerPixel, int orderCode, unsigned char* palette, int viewCode, void* data,
                    int64_t dataSize)
{
    if (bitmap == nullptr) return IL_ERR_INVALID;
    if (recordSize != static_cast<int>(sizeof(_tagBITMAPHANDLE))) return IL_ERR_RECORD_SIZE;
    // Negative sizes are refused like zero ones: they would give a negative pitch.
    if (memoryKind != IL_MEMORY_CALLER || width <= 0 || height <= 0) return IL_ERR_INVALID;
    int storedOrder = 0;
    const int depth = CheckDepth(bitsPerPixel, orderCode, palette, &storedOrder);
    if (depth != IL_OK) return depth;
    if (viewCode != IL_VIEW_CODE || data == nullptr) return IL_ERR_INVALID;
    const int64_t rowBytes = ref_il::RowBytes(width, bitsPerPixel);
    size_t expected = 0;
    if (!ref_il::FitsInt32(rowBytes) || !ref_il::Product(rowBytes, height, &expected)) return IL_ERR_INVALID;
    if (dataSize < 0 || static_cast<uint64_t>(dataSize) != expected) return IL_ERR_INVALID;

    bitmap->width = width;
    bitmap->height = height;
    bitmap->bitsPerPixel = bitsPerPixel;
    bitmap->rowBytes = static_cast<int32_t>(rowBytes);
    bitmap->pixels = static_cast<unsigned char*>(data);
    bitmap->memoryHandle = nullptr;
    bitmap->paletteSize = bitsPerPixel == 8 ? 256 : 0;
    bitmap->palette = palette;
    bitmap->dataSize = dataSize;
    bitmap->viewCode = IL_VIEW_CODE;
    bitmap->orderCode = storedOrder;
    return IL_OK;
}

void Ref_IL_FreeBitmap(_tagBITMAPHANDLE* bitmap)
{
    if (bitmap == nullptr) return;
    if (bitmap->memoryHandle != nullptr) {
        if (bitmap->pixels != nullptr) GlobalUnlock(bitmap->memoryHandle);
        GlobalFree(bitmap->memoryHandle);
        bitmap->memoryHandle = nullptr;
    }
    bitmap->pixels = nullptr;
    bitmap->palette = nullptr;
}

int Ref_IL_CopyBitmapData(_tagBITMAPHANDLE* destination, _tagBITMAPHANDLE* source)
{
    if (destination == nullptr || source == nullptr) return IL_ERR_MISSING;
    if (destination->pixels == nullptr || source->pixels == nullptr) return IL_ERR_INVALID;
    if (destination->bitsPerPixel != 24 || source->bitsPerPixel != 24) return IL_ERR_INVALID;
    if (!ref_il::Usable24(destination) || !ref_il::Usable24(source)) return IL_ERR_INVALID;

    if (destination->palette != nullptr && source->palette != nullptr && destination->paletteSize > 0 &&
        source->paletteSize > 0) {
        // Never more entries than the destination holds.
        const int entries = std::min(source->paletteSize, destination->paletteSize);
        CopyMemory(destination->palette, source->palette, static_cast<size_t>(entries) * 4);
    }

    if (destination->width == source->width && destination->height == source->height) {
        CopyMemory(destination->pixels, source->pixels,
                   static_cast<size_t>(std::min(source->dataSize, destination->dataSize)));
        return IL_OK;
    }

    // Rows line up at the end of the pixel memory: the side with more rows
    // skips its first ones.
    const int rows = std::min(destination->height, source->height);
    const size_t rowCopy = static_cast<size_t>(ref_il::RowBytes(std::min(destination->width, source->width), 24));
    const unsigned char* from = source->pixels + static_cast<size_t>(source->height - rows) * source->rowBytes;
    unsigned char* to = destination->pixels + static_cast<size_t>(destination->height - rows) * destination->rowBytes;
    for (int i = 0; i < rows; ++i) {
        CopyMemory(to, from, rowCopy);
        from += source->rowBytes;
        to += destination->rowBytes;
    }
    return IL_OK;
}

}  // extern "C"
