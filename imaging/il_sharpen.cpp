// 3 x 3 sharpening (or softening, for negative values) with edge replication.
#include "il_internal.h"
#include "il_pixel.h"

extern "C" int IL_SharpenBitmap(_tagBITMAPHANDLE* picture, int sharpness)
{
    if (picture == nullptr || picture->pixels == nullptr) return IL_ERR_MISSING;
    if (!il::Usable24(picture) || sharpness < -1000 || sharpness > 1000) return IL_ERR_INVALID;

    const size_t bytes = static_cast<size_t>(picture->dataSize);
    void* handle = GlobalAlloc(0, bytes);
    if (handle == nullptr) return IL_ERR_NO_MEMORY;
    unsigned char* copy = static_cast<unsigned char*>(GlobalLock(handle));
    CopyMemory(copy, picture->pixels, bytes);

    double weight[3][3];
    il::SharpenWeights(il::SharpenStrength(sharpness), weight);
    const int64_t pitch = picture->rowBytes;
    const int height = picture->height;
    for (int y = 0; y < height; ++y) {
        // A missing row is taken from the pixel's own.
        const unsigned char* rows[3] = {copy + (y > 0 ? y - 1 : y) * pitch, copy + y * pitch,
                                        copy + (y + 1 < height ? y + 1 : y) * pitch};
        il::SharpenRow(rows, picture->width, weight, picture->pixels + y * pitch);
    }
    GlobalUnlock(handle);
    GlobalFree(handle);
    return IL_OK;
}
