// 3 x 3 sharpening (or softening, for negative values) with edge replication.
#include "ref_internal.h"

namespace {

struct KRow {
    int key;
    double k;
};

// Strength k for a sharpness value: exact keys, linear between neighbours.
double StrengthFor(int sharpness)
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

}  // namespace

extern "C" int Ref_IL_SharpenBitmap(_tagBITMAPHANDLE* picture, int sharpness)
{
    if (picture == nullptr || picture->pixels == nullptr) return IL_ERR_MISSING;
    if (!ref_il::Usable24(picture) || sharpness < -1000 || sharpness > 1000) return IL_ERR_INVALID;

    const size_t bytes = static_cast<size_t>(picture->dataSize);
    void* handle = GlobalAlloc(0, bytes);
    if (handle == nullptr) return IL_ERR_NO_MEMORY;
    unsigned char* copy = static_cast<unsigned char*>(GlobalLock(handle));
    CopyMemory(copy, picture->pixels, bytes);

    const double k = StrengthFor(sharpness);
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
            for (int ch = 0; ch < 3; ++ch) {
                double sum = 0.0;
                for (int dy = 0; dy < 3; ++dy) {
                    for (int dx = 0; dx < 3; ++dx) sum += weight[dy][dx] * rows[dy][cols[dx] + ch];
                }
                out[x * 3 + ch] = ref_il::ClampByte(static_cast<int64_t>(sum));
            }
        }
    }
    GlobalUnlock(handle);
    GlobalFree(handle);
    return IL_OK;
}
