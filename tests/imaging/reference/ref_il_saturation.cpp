// Saturation through a hue / chroma / lightness model. Chroma is the spread
// between the largest and smallest component on the 0..255 scale, which is
// what the saturation value scales. The order of the double arithmetic and
// the truncations are part of the printed result.
#include <algorithm>

#include "ref_internal.h"

extern "C" {

void Ref_RGBtoHSL(int first, int second, int third, double* hue, double* chroma, double* lightness)
{
    const double max = std::max(first, std::max(second, third));
    const double min = std::min(first, std::min(second, third));
    *lightness = (min + max) * 0.5;
    *chroma = max - min;
    if (max == min) {
        *hue = -1.0;
    } else if (third == min) {
        *hue = ((second - first) * 60) / *chroma + 60;
    } else if (first == min) {
        *hue = ((third - second) * 60) / *chroma + 180;
    } else {
        *hue = (60 * (first - third)) / *chroma + 300;
    }
}

void Ref_HSLtoRGB(double hue, double chroma, double lightness, unsigned char* first, unsigned char* second,
              unsigned char* third)
{
    if (hue < 0) {
        *first = *second = *third = static_cast<unsigned char>(static_cast<int>(lightness));
        return;
    }
    double h = chroma * 0.5;
    double max;
    if (h > lightness) {
        h = lightness;
        max = 2 * lightness;
    } else {
        max = h + lightness;
        if (max > 255) {
            h = 255 - lightness;
            max = lightness + h;
        }
    }
    const double min = lightness - h;
    const double spread = max - min;
    const unsigned char M = static_cast<unsigned char>(static_cast<int>(max));
    const unsigned char m = static_cast<unsigned char>(static_cast<int>(min));
    auto middle = [&](double f) { return static_cast<unsigned char>(static_cast<int>(min + f / 60 * spread)); };

    if (hue < 60) {
        *first = M, *second = middle(hue), *third = m;
    } else if (hue < 120) {
        *first = middle(120 - hue), *second = M, *third = m;
    } else if (hue < 180) {
        *first = m, *second = M, *third = middle(hue - 120);
    } else if (hue < 240) {
        *first = m, *second = middle(240 - hue), *third = M;
    } else if (hue < 300) {
        *first = middle(hue - 240), *second = m, *third = M;
    } else {
        *first = M, *second = m, *third = middle(360 - hue);
    }
}

int Ref_IL_ChangeBitmapSaturation(_tagBITMAPHANDLE* picture, int saturation)
{
    if (picture == nullptr) return IL_ERR_NULL_RECORD;
    if (picture->pixels == nullptr || !ref_il::Usable24(picture)) return IL_ERR_INVALID;
    if (saturation < -1000 || saturation > 1000) return IL_ERR_INVALID;

    // Order code 1 holds the components the other way round.
    const int a = picture->orderCode == 0 ? 0 : 2;
    const int c = 2 - a;
    for (int y = 0; y < picture->height; ++y) {
        unsigned char* px = picture->pixels + static_cast<int64_t>(y) * picture->rowBytes;
        for (int x = 0; x < picture->width; ++x, px += 3) {
            double hue, chroma, lightness;
            Ref_RGBtoHSL(px[a], px[1], px[c], &hue, &chroma, &lightness);
            double newChroma = saturation * chroma / 1000 + chroma;
            if (newChroma < 0) newChroma = 0;
            if (newChroma > 255) newChroma = 255;
            Ref_HSLtoRGB(hue, newChroma, lightness, &px[a], &px[1], &px[c]);
        }
    }
    return IL_OK;
}

}  // extern "C"
