// Splitting a 24-bit picture into three 8-bit planes with grey palettes, and
// joining three planes into a picture through their palettes (which is where
// the tone curves take effect).
#include "ref_internal.h"

namespace {

constexpr int kPaletteBytes = 256 * 4;

void EmptyPlane(_tagBITMAPHANDLE* plane)
{
    plane->memoryHandle = nullptr;
    plane->pixels = nullptr;
    plane->palette = nullptr;
}

// One block per plane: the pixels, then the 256-entry grey palette.
bool MakePlane(const _tagBITMAPHANDLE* source, int32_t rowBytes, size_t planeBytes, _tagBITMAPHANDLE* plane)
{
    void* handle = GlobalAlloc(0, planeBytes + kPaletteBytes);
    if (handle == nullptr) return false;
    plane->memoryHandle = handle;
    plane->pixels = static_cast<unsigned char*>(GlobalLock(handle));
    plane->palette = plane->pixels + planeBytes;
    for (int j = 0; j < 256; ++j) {
        unsigned char* entry = plane->palette + j * 4;
        entry[0] = entry[1] = entry[2] = static_cast<unsigned char>(j);
        entry[3] = 0;
    }
    plane->width = source->width;
    plane->height = source->height;
    plane->bitsPerPixel = 8;
    plane->paletteSize = 256;
    plane->rowBytes = rowBytes;
    plane->viewCode = source->viewCode;
    plane->orderCode = 0;
    plane->dataSize = static_cast<int64_t>(planeBytes);
    return true;
}

// A plane that can be merged with `first` (plane 0).
bool MatchesFirst(const _tagBITMAPHANDLE* plane, const _tagBITMAPHANDLE* first, int64_t rowBytes)
{
    return plane->height == first->height && plane->width == first->width && plane->bitsPerPixel == 8 &&
           plane->rowBytes == rowBytes && plane->paletteSize == 256 && plane->palette != nullptr &&
           plane->orderCode == 0 && plane->viewCode == first->viewCode &&
           plane->dataSize == rowBytes * plane->height;
}

}  // namespace

extern "C" {

int Ref_IL_ColorSeparateBitmap(_tagBITMAPHANDLE* source, _tagBITMAPHANDLE** planes, int recordSize, unsigned flags)
{
    if (source == nullptr) return IL_ERR_INVALID;
    if (recordSize != static_cast<int>(sizeof(_tagBITMAPHANDLE))) return IL_ERR_RECORD_SIZE;
    if (source->pixels == nullptr || !ref_il::Usable24(source)) return IL_ERR_INVALID;
    if (planes == nullptr || planes[0] == nullptr || planes[1] == nullptr || planes[2] == nullptr || flags != 0) {
        return IL_ERR_INVALID;
    }
    const int64_t rowBytes = ref_il::RowBytes(source->width, 8);
    size_t planeBytes = 0;
    if (!ref_il::Product(rowBytes, source->height, &planeBytes) || planeBytes > SIZE_MAX - kPaletteBytes) {
        return IL_ERR_NO_MEMORY;
    }
    for (int i = 0; i < 3; ++i) {
        if (!MakePlane(source, static_cast<int32_t>(rowBytes), planeBytes, planes[i])) {
            for (int made = 0; made < i; ++made) Ref_IL_FreeBitmap(planes[made]);
            for (int p = 0; p < 3; ++p) EmptyPlane(planes[p]);
            return IL_ERR_NO_MEMORY;
        }
    }

    // Byte 1 always lands in plane 1; bytes 0 and 2 swap for order code 0.
    const int firstByte = source->orderCode == 1 ? 0 : 2;
    const int thirdByte = 2 - firstByte;
    const int64_t sourcePitch = ref_il::RowBytes(source->width, 24);
    for (int y = 0; y < source->height; ++y) {
        const unsigned char* in = source->pixels + y * sourcePitch;
        unsigned char* out0 = planes[0]->pixels + y * rowBytes;
        unsigned char* out1 = planes[1]->pixels + y * rowBytes;
        unsigned char* out2 = planes[2]->pixels + y * rowBytes;
        for (int x = 0; x < source->width; ++x, in += 3) {
            out0[x] = in[firstByte];
            out1[x] = in[1];
            out2[x] = in[thirdByte];
        }
    }
    return IL_OK;
}

int Ref_IL_ColorMergeBitmap(_tagBITMAPHANDLE* destination, _tagBITMAPHANDLE** planes, int recordSize, unsigned flags)
{
    if (destination == nullptr) return IL_ERR_INVALID;
    if (recordSize != static_cast<int>(sizeof(_tagBITMAPHANDLE))) return IL_ERR_RECORD_SIZE;
    if (planes == nullptr) return IL_ERR_INVALID;
    for (int i = 0; i < 3; ++i) {
        if (planes[i] == nullptr || planes[i]->pixels == nullptr) return IL_ERR_MISSING;
    }
    if (flags != 0) return IL_ERR_INVALID;
    const _tagBITMAPHANDLE* first = planes[0];
    if (first->width <= 0 || first->height <= 0) return IL_ERR_INVALID;
    const int64_t planePitch = ref_il::RowBytes(first->width, 8);
    for (int i = 0; i < 3; ++i) {
        if (!MatchesFirst(planes[i], first, planePitch)) return IL_ERR_INVALID;
    }
    const int64_t pitch = ref_il::RowBytes(first->width, 24);
    size_t bytes = 0;
    if (!ref_il::FitsInt32(pitch) || !ref_il::Product(pitch, first->height, &bytes)) return IL_ERR_NO_MEMORY;
    void* handle = GlobalAlloc(0, bytes);
    if (handle == nullptr) return IL_ERR_NO_MEMORY;

    destination->memoryHandle = handle;
    destination->pixels = static_cast<unsigned char*>(GlobalLock(handle));
    destination->width = first->width;
    destination->height = first->height;
    destination->bitsPerPixel = 24;
    destination->rowBytes = static_cast<int32_t>(pitch);
    destination->dataSize = static_cast<int64_t>(bytes);
    destination->viewCode = first->viewCode;
    destination->orderCode = 1;

    // Each pixel is looked up in its plane's palette: plane i feeds byte i.
    for (int y = 0; y < first->height; ++y) {
        unsigned char* out = destination->pixels + y * pitch;
        const unsigned char* in0 = planes[0]->pixels + y * planePitch;
        const unsigned char* in1 = planes[1]->pixels + y * planePitch;
        const unsigned char* in2 = planes[2]->pixels + y * planePitch;
        for (int x = 0; x < first->width; ++x, out += 3) {
            out[0] = planes[0]->palette[in0[x] * 4 + 0];
            out[1] = planes[1]->palette[in1[x] * 4 + 1];
            out[2] = planes[2]->palette[in2[x] * 4 + 2];
        }
    }
    return IL_OK;
}

}  // extern "C"
