// Per-pixel colour arithmetic shared by the whole-picture operations and the
// photo buffer's row pipeline, so both give the same bytes. The order of the
// double arithmetic and the truncations are part of the printed result.
#pragma once

#include <algorithm>
#include <cstdint>

namespace il {

inline void HueChromaLightness(int first, int second, int third, double* hue, double* chroma, double* lightness)
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

inline void FromHueChromaLightness(double hue, double chroma, double lightness, unsigned char* first,
                                   unsigned char* second, unsigned char* third)
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

// One pixel's chroma scaled by saturation / 1000, clamped to 0..255; a, 1, c
// are the byte positions of the first, second and third components.
inline void Saturate(unsigned char* px, int a, int c, int saturation)
{
    double hue, chroma, lightness;
    HueChromaLightness(px[a], px[1], px[c], &hue, &chroma, &lightness);
    double newChroma = saturation * chroma / 1000 + chroma;
    if (newChroma < 0) newChroma = 0;
    if (newChroma > 255) newChroma = 255;
    FromHueChromaLightness(hue, newChroma, lightness, &px[a], &px[1], &px[c]);
}

struct KRow {
    int key;
    double k;
};

// Sharpening strength k for a sharpness value: exact keys, linear between
// neighbours.
inline double SharpenStrength(int sharpness)
{
    static const KRow KTable[21] = {
        {-1000, -1.0},   {-950, -0.75},  {-900, -0.5625}, {-800, -0.39},  {-500, -0.204}, {-200, -0.135},
        {-100, -0.124},  {-50, -0.119},  {-1, -0.117},    {0, 0.0},       {1, 0.126},     {50, 0.14},
        {100, 0.140625}, {650, 0.365},   {700, 0.412},    {750, 0.5},     {800, 0.6046},  {850, 0.8203},
        {900, 1.125},    {950, 2.25},    {1000, 9.0},
    };
    if (sharpness <= KTable[0].key) return KTable[0].k;
    for (int i = 1; i < 21; ++i) {
        if (sharpness == KTable[i].key) return KTable[i].k;
        if (sharpness < KTable[i].key) {
            const KRow& lo = KTable[i - 1];
            const KRow& hi = KTable[i];
            return lo.k + (hi.k - lo.k) * (sharpness - lo.key) / (hi.key - lo.key);
        }
    }
    return KTable[20].k;
}

// The 3 x 3 filter's weights for strength k: every neighbour -k / 9, the
// centre 8k / 9 + 1. At strength 0 every neighbour weighs -0.0 and the
// centre 1, so each sum is the centre byte itself.
inline void SharpenWeights(double k, double weight[3][3])
{
    const double centre = 8 * k / 9 + 1;
    const double neighbour = -k / 9;
    for (int dy = 0; dy < 3; ++dy) weight[dy][0] = weight[dy][1] = weight[dy][2] = neighbour;
    weight[1][1] = centre;
}

// One output byte of the 3 x 3 filter: rows[dy][cols[dx] + ch] weighted and
// summed from zero in row-major order, truncated, then clamped.
inline unsigned char SharpenByte(const unsigned char* const rows[3], const int64_t cols[3], int ch,
                                 const double weight[3][3])
{
    double sum = 0.0;
    for (int dy = 0; dy < 3; ++dy) {
        for (int dx = 0; dx < 3; ++dx) sum += weight[dy][dx] * rows[dy][cols[dx] + ch];
    }
    const int64_t v = static_cast<int64_t>(sum);
    return static_cast<unsigned char>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// One row of the filter over 24-bit rows `rows` (above-or-own, own,
// below-or-own) of `width` pixels into `out`. The first and last pixel take
// a missing column from their own; the bytes between make the same sums as
// SharpenByte, term for term and in the same order, written as one flat loop
// so the compiler can run several bytes side by side (each byte's own
// additions keep their order).
inline void SharpenRow(const unsigned char* const rows[3], int width, const double w[3][3], unsigned char* out)
{
    for (int x : {0, width - 1}) {
        const int64_t cols[3] = {(x > 0 ? x - 1 : x) * 3, static_cast<int64_t>(x) * 3,
                                 (x + 1 < width ? x + 1 : x) * 3};
        for (int ch = 0; ch < 3; ++ch) out[x * 3 + ch] = SharpenByte(rows, cols, ch, w);
    }
    const unsigned char* r0 = rows[0];
    const unsigned char* r1 = rows[1];
    const unsigned char* r2 = rows[2];
    const size_t end = static_cast<size_t>(width) * 3 - 3;
    for (size_t i = 3; i < end; ++i) {
        double sum = 0.0;
        sum += w[0][0] * r0[i - 3];
        sum += w[0][1] * r0[i];
        sum += w[0][2] * r0[i + 3];
        sum += w[1][0] * r1[i - 3];
        sum += w[1][1] * r1[i];
        sum += w[1][2] * r1[i + 3];
        sum += w[2][0] * r2[i - 3];
        sum += w[2][1] * r2[i];
        sum += w[2][2] * r2[i + 3];
        const int64_t v = static_cast<int64_t>(sum);
        out[i] = static_cast<unsigned char>(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
}

}  // namespace il
