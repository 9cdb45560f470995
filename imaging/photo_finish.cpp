// The last stage of the photo buffer's page pipeline: tone curves, 3 x 3
// sharpening and saturation, streamed row by row into the result picture.
// Bytes are exactly those of separating the picture into planes, curving
// their palettes, merging, IL_SharpenBitmap and IL_ChangeBitmapSaturation.
#include <cstring>
#include <thread>
#include <vector>

#include "il_internal.h"
#include "il_pixel.h"
#include "photo_image_buffer.h"
#include "row_stream.h"

namespace {

// Merging planes looks each byte up in its plane's palette, so the three
// curves of a channel amount to one table. It is made by the curve
// functions themselves on a palette-only plane, so refusals (out-of-range
// values) leave the table alone just as they leave a plane alone.
void ToneTable(unsigned gamma, int intensity, int contrast, unsigned char table[256])
{
    unsigned char palette[256 * 4];
    for (int e = 0; e < 256; ++e) {
        palette[e * 4] = palette[e * 4 + 1] = palette[e * 4 + 2] = static_cast<unsigned char>(e);
        palette[e * 4 + 3] = 0;
    }
    unsigned char pixel = 0;
    _tagBITMAPHANDLE plane{};
    plane.pixels = &pixel;
    plane.width = plane.height = 1;
    plane.bitsPerPixel = 8;
    plane.rowBytes = 4;
    plane.paletteSize = 256;
    plane.palette = palette;
    plane.viewCode = IL_VIEW_CODE;
    plane.dataSize = 4;
    IL_GammaCorrectBitmap(&plane, gamma);
    IL_ChangeBitmapIntensity(&plane, intensity);
    IL_ChangeBitmapContrast(&plane, contrast);
    for (int e = 0; e < 256; ++e) table[e] = palette[e * 4];
}

// What every output byte depends on besides the picture's rows.
struct Finish {
    unsigned char tone[3][256];
    bool sharpen;
    double weight[3][3];
    bool saturate;
    int chroma;
};

// Output rows first .. end - 1 of the picture streamed by `chain`, into
// `pixels`. Each band reads the toned rows next to it itself, so bands are
// independent of one another.
void FinishBand(const Finish& f, il::RowSource* picture, int first, int end, unsigned char* pixels, int64_t pitch)
{
    const int width = picture->width;
    const int height = picture->height;
    // The last three toned rows; row y lives in slot y % 3.
    const size_t used = static_cast<size_t>(width) * 3;
    std::vector<unsigned char> toned(used * 3);
    int loaded = (first > 0 ? first - 1 : 0) - 1;
    auto load = [&](int y) {
        const unsigned char* in = picture->Row(y);
        unsigned char* out = toned.data() + (y % 3) * used;
        for (size_t i = 0; i < used; i += 3) {
            out[i] = f.tone[0][in[i]];
            out[i + 1] = f.tone[1][in[i + 1]];
            out[i + 2] = f.tone[2][in[i + 2]];
        }
        loaded = y;
    };
    for (int y = first; y < end; ++y) {
        const int below = y > 0 ? y - 1 : y;
        const int above = y + 1 < height ? y + 1 : y;
        while (loaded < above) load(loaded + 1);
        const unsigned char* rows[3] = {toned.data() + (below % 3) * used, toned.data() + (y % 3) * used,
                                        toned.data() + (above % 3) * used};
        unsigned char* out = pixels + y * pitch;
        if (f.sharpen) {
            il::SharpenRow(rows, width, f.weight, out);
        } else {
            std::memcpy(out, rows[1], used);
        }
        // The picture holds order code 1: components in bytes 2, 1, 0.
        if (f.saturate) {
            for (int x = 0; x < width; ++x) il::Saturate(out + x * 3, 2, 0, f.chroma);
        }
        std::memset(out + used, 0, static_cast<size_t>(pitch) - used);
    }
}

// Below this many rows a second thread costs more than it saves.
constexpr int kRowsPerThread = 64;

}  // namespace

_tagBITMAPHANDLE* PhotoImageBuffer::FinishPicture(const il::PagePlan* plan)
{
    auto* result = static_cast<_tagBITMAPHANDLE*>(GlobalAlloc(0, sizeof(_tagBITMAPHANDLE)));
    if (result == nullptr) return nullptr;
    ZeroMemory(result, sizeof(*result));
    if (plan == nullptr) return result;

    il::Chain chain(*plan);
    const int width = chain.Top()->width;
    const int height = chain.Top()->height;
    const int64_t pitch = il::RowBytes(width, 24);
    size_t bytes = 0;
    unsigned char* pixels = nullptr;
    if (!il::FitsInt32(pitch) || !il::Product(pitch, height, &bytes) ||
        (pixels = static_cast<unsigned char*>(GlobalAlloc(0, bytes))) == nullptr) {
        GlobalFree(result);
        return nullptr;
    }

    Finish f;
    const bool adjust = colorAdjustment;
    ToneTable(adjust ? gammaR : 100, adjust ? brightnessR : 0, adjust ? contrastR : 0, f.tone[0]);
    ToneTable(adjust ? gammaG : 100, adjust ? brightnessG : 0, adjust ? contrastG : 0, f.tone[1]);
    ToneTable(adjust ? gammaB : 100, adjust ? brightnessB : 0, adjust ? contrastB : 0, f.tone[2]);
    // Out-of-range values leave the picture alone, as the operations do.
    f.sharpen = sharpness >= -1000 && sharpness <= 1000;
    f.chroma = adjust ? saturation : 0;
    f.saturate = f.chroma >= -1000 && f.chroma <= 1000;
    const double k = f.sharpen ? il::SharpenStrength(sharpness) : 0.0;
    // At strength 0 the filter leaves the picture as it is (SharpenWeights).
    if (k == 0.0) f.sharpen = false;
    il::SharpenWeights(k, f.weight);

    // A second thread takes the lower half of the rows through a chain of
    // its own; should it not start, this thread does all the rows.
    int split = height;
    std::thread helper;
    if (threads >= 2 && height >= 2 * kRowsPerThread) {
        split = height / 2;
        try {
            helper = std::thread([&f, plan, split, height, pixels, pitch] {
                il::Chain own(*plan);
                FinishBand(f, own.Top(), split, height, pixels, pitch);
            });
        } catch (...) {
            split = height;
        }
    }
    FinishBand(f, chain.Top(), 0, split, pixels, pitch);
    if (helper.joinable()) helper.join();

    result->memoryHandle = pixels;
    result->pixels = pixels;
    result->width = width;
    result->height = height;
    result->bitsPerPixel = 24;
    result->rowBytes = static_cast<int32_t>(pitch);
    result->viewCode = IL_VIEW_CODE;
    result->orderCode = 1;
    result->dataSize = static_cast<int64_t>(bytes);
    return result;
}

