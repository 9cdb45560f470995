// The filter's small image library: one bitmap record, a memory layer named
// after the Windows heap calls (thin wrappers over the C library), and plain
// C-linkage IL_ functions that create, copy, resize, split, merge and adjust
// bitmaps. Results: 1 success, negative codes for failures (see IL_Result).
#pragma once

#include <cstddef>
#include <cstdint>

struct _tagBITMAPHANDLE {
    void* memoryHandle;        // pixel memory owned by the record, null for caller memory
    unsigned char* pixels;     // first pixel byte
    int32_t width;             // pixels per row
    int32_t height;            // rows
    int32_t bitsPerPixel;      // 8 (palette index) or 24
    int32_t rowBytes;          // row pitch, a multiple of 4
    int32_t paletteSize;       // 256 for 8-bit, 0 for 24-bit
    unsigned char* palette;    // paletteSize entries of 4 bytes, null for 24-bit
    int32_t viewCode;          // always 4; carried along, never interpreted
    int32_t orderCode;         // 24-bit byte order, 0 or 1; 0 for 8-bit
    int64_t dataSize;          // rowBytes x height
};
typedef _tagBITMAPHANDLE BITMAPHANDLE;

enum IL_Result {
    IL_OK = 1,
    IL_ERR_NO_MEMORY = -1,
    IL_ERR_MISSING = -2,
    IL_ERR_INVALID = -13,
    IL_ERR_DEPTH = -27,
    IL_ERR_RECORD_SIZE = -789,
    IL_ERR_DEEP_COLOUR = -804,
    IL_ERR_NULL_RECORD = -814,
};

// The only memory kind, view code and resampling method the library knows.
constexpr int IL_MEMORY_CALLER = 2;
constexpr int IL_VIEW_CODE = 4;
constexpr int IL_SIZE_CUBIC = 4;

// Memory layer. Its names are those of the heap calls the library was first
// written against; they live in a namespace of their own, so a program that
// links the library (or a C library with such names) sees no clash.
namespace il_memory {
void* GlobalAlloc(unsigned flags, size_t bytes);
void* GlobalLock(void* handle);
void GlobalUnlock(void* handle);
void GlobalFree(void* handle);
void CopyMemory(void* destination, const void* source, size_t bytes);
void ZeroMemory(void* destination, size_t bytes);
// Makes a large block's pages present in one call before it is filled (see
// il_memory.cpp); blocks under 1 MiB are left alone.
void PrefaultMemory(void* block, size_t bytes);
// (a x b) / c in 64 bits, truncated toward zero; c must not be 0.
int MulDiv(int a, int b, int c);
}  // namespace il_memory
using il_memory::CopyMemory;
using il_memory::GlobalAlloc;
using il_memory::GlobalFree;
using il_memory::GlobalLock;
using il_memory::GlobalUnlock;
using il_memory::MulDiv;
using il_memory::PrefaultMemory;
using il_memory::ZeroMemory;

extern "C" {

// Records, copying and resizing.
int IL_CreateBitmap(_tagBITMAPHANDLE* bitmap, int recordSize, int memoryKind, int width, int height,
                    int bitsPerPixel, int orderCode, unsigned char* palette, int viewCode, void* data,
                    int64_t dataSize);
void IL_FreeBitmap(_tagBITMAPHANDLE* bitmap);
int IL_CopyBitmapData(_tagBITMAPHANDLE* destination, _tagBITMAPHANDLE* source);
int IL_SizeBitmap(_tagBITMAPHANDLE* bitmap, int newWidth, int newHeight, int method);

// Planes: `planes` points to three record pointers.
int IL_ColorSeparateBitmap(_tagBITMAPHANDLE* source, _tagBITMAPHANDLE** planes, int recordSize,
                           unsigned flags);
int IL_ColorMergeBitmap(_tagBITMAPHANDLE* destination, _tagBITMAPHANDLE** planes, int recordSize,
                        unsigned flags);

// Tone curves on a plane's palette.
int IL_GammaCorrectBitmap(_tagBITMAPHANDLE* plane, unsigned gamma);
int IL_ChangeBitmapIntensity(_tagBITMAPHANDLE* plane, int intensity);
int IL_ChangeBitmapContrast(_tagBITMAPHANDLE* plane, int contrast);

// Operations on 24-bit pixels.
int IL_ChangeBitmapSaturation(_tagBITMAPHANDLE* picture, int saturation);
int IL_SharpenBitmap(_tagBITMAPHANDLE* picture, int sharpness);

void RGBtoHSL(int first, int second, int third, double* hue, double* chroma, double* lightness);
void HSLtoRGB(double hue, double chroma, double lightness, unsigned char* first, unsigned char* second,
              unsigned char* third);
void ConvertLUT8(_tagBITMAPHANDLE* bitmap, unsigned char* table);

}  // extern "C"
