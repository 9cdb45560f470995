// Tone curves. They rewrite a plane's palette through a 256-entry table and
// leave its pixel bytes alone; merging the planes applies them.
#include <cmath>

#include "ref_internal.h"

namespace {

// The common checks of the three curves; 1 when the plane can take a curve.
int CheckPlane(const _tagBITMAPHANDLE* plane)
{
    if (plane == nullptr) return IL_ERR_NULL_RECORD;
    if (plane->pixels == nullptr || plane->bitsPerPixel != 8 || plane->paletteSize != 256 ||
        plane->palette == nullptr) {
        return IL_ERR_INVALID;
    }
    return IL_OK;
}

bool InRange(int value) { return value >= -1000 && value <= 1000; }

void ApplyTable(unsigned char* palette, int entries, const unsigned char* table)
{
    for (int e = 0; e < entries; ++e) {
        unsigned char* entry = palette + e * 4;
        entry[0] = table[entry[0]];
        entry[1] = table[entry[1]];
        entry[2] = table[entry[2]];
    }
}

}  // namespace

extern "C" {

void Ref_ConvertLUT8(_tagBITMAPHANDLE* bitmap, unsigned char* table)
{
    if (bitmap == nullptr || table == nullptr || bitmap->palette == nullptr || bitmap->paletteSize <= 0) return;
    ApplyTable(bitmap->palette, bitmap->paletteSize, table);
}

int Ref_IL_GammaCorrectBitmap(_tagBITMAPHANDLE* plane, unsigned gamma)
{
    const int check = CheckPlane(plane);
    if (check != IL_OK) return check;
    if (gamma == 0) return IL_ERR_INVALID;
    unsigned char table[256];
    for (int i = 0; i < 256; ++i) {
        const double level = std::pow(i / 255.0, 100.0 / gamma) * 255.0 + 0.5;
        table[i] = ref_il::ClampByte(static_cast<int64_t>(level));
    }
    ApplyTable(plane->palette, 256, table);
    return IL_OK;
}

int Ref_IL_ChangeBitmapIntensity(_tagBITMAPHANDLE* plane, int intensity)
{
    const int check = CheckPlane(plane);
    if (check != IL_OK) return check;
    if (!InRange(intensity)) return IL_ERR_INVALID;
    // Offset from -254 at -1000 to +255 at +1000, rounded away from zero.
    const double x = intensity * 0.2545 + 0.4286;
    const int d = intensity >= 0 ? static_cast<int>(x + 0.5) : static_cast<int>(x - 0.5);
    unsigned char table[256];
    for (int i = 0; i < 256; ++i) table[i] = ref_il::ClampByte(i + d);
    ApplyTable(plane->palette, 256, table);
    return IL_OK;
}

int Ref_IL_ChangeBitmapContrast(_tagBITMAPHANDLE* plane, int contrast)
{
    const int check = CheckPlane(plane);
    if (check != IL_OK) return check;
    if (!InRange(contrast)) return IL_ERR_INVALID;
    // The curve pivots on level 64, the printer's mid-shadow, not on 128.
    const double slope = std::exp(contrast * 0.0007);
    unsigned char table[256];
    for (int i = 0; i < 256; ++i) table[i] = ref_il::ClampByte(static_cast<int64_t>((i - 64) * slope) + 64);
    ApplyTable(plane->palette, 256, table);
    return IL_OK;
}

}  // extern "C"
