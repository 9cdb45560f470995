// The image library as it was before it was made fast, kept unchanged (names
// prefixed Ref_) as the oracle the streaming pipeline is compared with.
// Size arithmetic shared by the library's sources. Every byte count is worked
// out in 64 bits so that a large bitmap is refused instead of wrapping round.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "il_bitmap.h"

// The frozen library's own entry points (same record type and memory layer).
extern "C" {
// Records, copying and resizing.
int Ref_IL_CreateBitmap(_tagBITMAPHANDLE* bitmap, int recordSize, int memoryKind, int width, int height,
                    int bitsPerPixel, int orderCode, unsigned char* palette, int viewCode, void* data,
                    int64_t dataSize);
void Ref_IL_FreeBitmap(_tagBITMAPHANDLE* bitmap);
int Ref_IL_CopyBitmapData(_tagBITMAPHANDLE* destination, _tagBITMAPHANDLE* source);
int Ref_IL_SizeBitmap(_tagBITMAPHANDLE* bitmap, int newWidth, int newHeight, int method);

// Planes: `planes` points to three record pointers.
int Ref_IL_ColorSeparateBitmap(_tagBITMAPHANDLE* source, _tagBITMAPHANDLE** planes, int recordSize,
                           unsigned flags);
int Ref_IL_ColorMergeBitmap(_tagBITMAPHANDLE* destination, _tagBITMAPHANDLE** planes, int recordSize,
                        unsigned flags);

// Tone curves on a plane's palette.
int Ref_IL_GammaCorrectBitmap(_tagBITMAPHANDLE* plane, unsigned gamma);
int Ref_IL_ChangeBitmapIntensity(_tagBITMAPHANDLE* plane, int intensity);
int Ref_IL_ChangeBitmapContrast(_tagBITMAPHANDLE* plane, int contrast);

// Operations on 24-bit pixels.
int Ref_IL_ChangeBitmapSaturation(_tagBITMAPHANDLE* picture, int saturation);
int Ref_IL_SharpenBitmap(_tagBITMAPHANDLE* picture, int sharpness);

void Ref_RGBtoHSL(int first, int second, int third, double* hue, double* chroma, double* lightness);
void Ref_HSLtoRGB(double hue, double chroma, double lightness, unsigned char* first, unsigned char* second,
              unsigned char* third);
void Ref_ConvertLUT8(_tagBITMAPHANDLE* bitmap, unsigned char* table);

}  // extern "C"

namespace ref_il {

// Row pitch of a bitmap: width x bits rounded up to whole 32-bit words.
inline int64_t RowBytes(int64_t width, int64_t bitsPerPixel) { return (width * bitsPerPixel + 31) / 32 * 4; }

// a x b as a byte count; false when negative or beyond what size_t and a
// 64-bit dataSize can hold.
inline bool Product(int64_t a, int64_t b, size_t* out)
{
    if (a < 0 || b < 0) return false;
    const uint64_t limit = std::min<uint64_t>(std::numeric_limits<size_t>::max(),
                                              static_cast<uint64_t>(std::numeric_limits<int64_t>::max()));
    if (a != 0 && static_cast<uint64_t>(b) > limit / static_cast<uint64_t>(a)) return false;
    *out = static_cast<size_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
    return true;
}

inline bool FitsInt32(int64_t value) { return value >= 0 && value <= std::numeric_limits<int32_t>::max(); }

// A 24-bit picture whose fields describe memory the operations can walk:
// positive size, byte order 0 or 1, the pitch its width gives, and dataSize
// covering every row.
inline bool Usable24(const _tagBITMAPHANDLE* b)
{
    if (b->bitsPerPixel != 24 || b->orderCode < 0 || b->orderCode > 1) return false;
    if (b->width <= 0 || b->height <= 0 || b->rowBytes != RowBytes(b->width, 24)) return false;
    size_t need = 0;
    return b->dataSize >= 0 && Product(RowBytes(b->width, 24), b->height, &need) &&
           static_cast<uint64_t>(b->dataSize) >= need;
}

inline unsigned char ClampByte(int64_t v) { return static_cast<unsigned char>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

}  // namespace ref_il
