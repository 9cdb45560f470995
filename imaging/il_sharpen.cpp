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

    const double k = il::SharpenStrength(sharpness);
    const double centre = 8 * k / 9 + 1;
    const double neighbour = -k / 9;
    const double weight[3][3] = {{neighbour, neighbour, neighbour}, {neighbour, centre, neighbour},
                                 {neighbour, neighbour, neighbour}};
    const int64_t pitch = picture->rowBytes;
    const int width = picture->width;
    const int height = picture->height;
    for (int y = 0; y < height; ++y) {
        // A missing row or column is taken from the pixel's own.
        const unsigned char* rows[3] = {copy + (y > 0 ? y - 1 : y) * pitch, copy + y * pitch,
                                        copy + (y + 1 < height ? y + 1 : y) * pitch};
        unsigned char* out = picture->pixels + y * pitch;
        for (int x = 0; x < width; ++x) {
            const int64_t cols[3] = {(x > 0 ? x - 1 : x) * 3, static_cast<int64_t>(x) * 3,
                                     (x + 1 < width ? x + 1 : x) * 3};
            for (int ch = 0; ch < 3; ++ch) out[x * 3 + ch] = il::SharpenByte(rows, cols, ch, weight);
        }
    }
    GlobalUnlock(handle);
    GlobalFree(handle);
    return IL_OK;
}
