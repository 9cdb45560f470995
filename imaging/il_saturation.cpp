// Saturation through a hue / chroma / lightness model. Chroma is the spread
// between the largest and smallest component on the 0..255 scale, which is
// what the saturation value scales (arithmetic in il_pixel.h).
#include "il_internal.h"
#include "il_pixel.h"

extern "C" {

void RGBtoHSL(int first, int second, int third, double* hue, double* chroma, double* lightness)
{
    il::HueChromaLightness(first, second, third, hue, chroma, lightness);
}

void HSLtoRGB(double hue, double chroma, double lightness, unsigned char* first, unsigned char* second,
              unsigned char* third)
{
    il::FromHueChromaLightness(hue, chroma, lightness, first, second, third);
}

int IL_ChangeBitmapSaturation(_tagBITMAPHANDLE* picture, int saturation)
{
    if (picture == nullptr) return IL_ERR_NULL_RECORD;
    if (picture->pixels == nullptr || !il::Usable24(picture)) return IL_ERR_INVALID;
    if (saturation < -1000 || saturation > 1000) return IL_ERR_INVALID;

    // Order code 1 holds the components the other way round.
    const int a = picture->orderCode == 0 ? 0 : 2;
    const int c = 2 - a;
    for (int y = 0; y < picture->height; ++y) {
        unsigned char* px = picture->pixels + static_cast<int64_t>(y) * picture->rowBytes;
        for (int x = 0; x < picture->width; ++x, px += 3) il::Saturate(px, a, c, saturation);
    }
    return IL_OK;
}

}  // extern "C"
