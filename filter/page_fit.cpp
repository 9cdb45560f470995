#include "page_fit.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "il_bitmap.h"
#include "raster_page.h"

namespace {

double Resolution(unsigned fromHeader, int fallback)
{
    return fromHeader > 0 ? fromHeader : fallback;
}

bool IsOn(const char* value)
{
    return value != nullptr && (strcasecmp(value, "true") == 0 || strcasecmp(value, "on") == 0 ||
                                strcasecmp(value, "yes") == 0);
}

// Rows bottom-up, 24-bit, each padded to a multiple of 4 bytes.
struct Pixels {
    unsigned char* data;
    uint32_t width;
    uint32_t height;
};

// A copy of the part of the page x0.. y0.. (counted from the bottom row),
// resampled to width x height; null when memory runs out.
unsigned char* CutAndResample(const Pixels& page, uint32_t x0, uint32_t y0, uint32_t cutWidth, uint32_t cutHeight,
                              uint32_t width, uint32_t height)
{
    const size_t stride = PageRowStride(page.width);
    const size_t cutStride = PageRowStride(cutWidth);
    unsigned char* cut = static_cast<unsigned char*>(GlobalAlloc(0, cutStride * cutHeight));
    if (cut == nullptr)
        return nullptr;
    for (uint32_t row = 0; row < cutHeight; ++row) {
        memcpy(cut + row * cutStride, page.data + (y0 + row) * stride + x0 * 3, cutWidth * 3);
        memset(cut + row * cutStride + cutWidth * 3, 0, cutStride - cutWidth * 3);
    }
    if (cutWidth == width && cutHeight == height)
        return cut;
    _tagBITMAPHANDLE bitmap{};
    const bool sized =
        IL_CreateBitmap(&bitmap, sizeof bitmap, IL_MEMORY_CALLER, static_cast<int>(cutWidth),
                        static_cast<int>(cutHeight), 24, 1, nullptr, IL_VIEW_CODE, cut,
                        static_cast<int64_t>(cutStride * cutHeight)) == IL_OK &&
        IL_SizeBitmap(&bitmap, static_cast<int>(width), static_cast<int>(height), IL_SIZE_CUBIC) == IL_OK;
    GlobalFree(cut);
    // The resized pixels belong to the record now; they are taken over.
    return sized ? bitmap.pixels : nullptr;
}

uint32_t Clamp(double v, uint32_t most)
{
    const long n = std::lround(v);
    return static_cast<uint32_t>(std::max(1L, std::min<long>(n, most)));
}

}  // namespace

PageTarget TargetForPage(const cups_page_header2_t& header, int32_t pictureWidthPx, int32_t pictureLengthPx,
                         int xDpi, int yDpi, bool nameTurned)
{
    const double across = header.cupsWidth / Resolution(header.HWResolution[0], xDpi);
    const double along = header.cupsHeight / Resolution(header.HWResolution[1], yDpi);
    bool turned = nameTurned;
    // Within half a percent the page counts as square and the name decides.
    if (std::fabs(across - along) > 0.005 * std::max(across, along))
        turned = (along > across) != (pictureLengthPx > pictureWidthPx);
    const int32_t w = turned ? pictureLengthPx : pictureWidthPx;
    const int32_t h = turned ? pictureWidthPx : pictureLengthPx;
    return {static_cast<uint32_t>(w) * static_cast<uint32_t>(xDpi) / 300,
            static_cast<uint32_t>(h) * static_cast<uint32_t>(yDpi) / 300, turned};
}

bool FitWholePage(int optionCount, cups_option_t* options)
{
    if (const char* scaling = cupsGetOption("print-scaling", optionCount, options))
        return strcmp(scaling, "fit") == 0;
    return IsOn(cupsGetOption("fit-to-page", optionCount, options)) ||
           IsOn(cupsGetOption("fitplot", optionCount, options));
}

bool FitPage(char** page, uint32_t width, uint32_t height, const cups_page_header2_t& header,
             const PageTarget& target, int xDpi, int yDpi, bool whole)
{
    if (width == target.width && height == target.height)
        return true;
    // Picture pixels per page pixel, the same in inches both ways: covering
    // takes the larger factor and crops, fitting inside the smaller.
    const double ax = xDpi / Resolution(header.HWResolution[0], xDpi);
    const double ay = yDpi / Resolution(header.HWResolution[1], yDpi);
    const double rx = static_cast<double>(target.width) / (width * ax);
    const double ry = static_cast<double>(target.height) / (height * ay);
    const double s = whole ? std::min(rx, ry) : std::max(rx, ry);
    // Covering cuts the centre of the page that maps onto the picture first,
    // so that no more than the picture is ever resampled.
    const uint32_t cutWidth = whole ? width : Clamp(target.width / (s * ax), width);
    const uint32_t cutHeight = whole ? height : Clamp(target.height / (s * ay), height);
    const uint32_t outWidth = whole ? Clamp(width * s * ax, target.width) : target.width;
    const uint32_t outHeight = whole ? Clamp(height * s * ay, target.height) : target.height;
    const Pixels source{reinterpret_cast<unsigned char*>(*page), width, height};
    // Rows are bottom-up: what stays below the centred part is the larger half.
    const uint32_t x0 = (width - cutWidth) / 2;
    const uint32_t y0 = height - cutHeight - (height - cutHeight) / 2;
    unsigned char* scaled = CutAndResample(source, x0, y0, cutWidth, cutHeight, outWidth, outHeight);
    const size_t stride = PageRowStride(target.width);
    char* out = scaled != nullptr ? static_cast<char*>(malloc(stride * target.height)) : nullptr;
    if (out == nullptr) {
        GlobalFree(scaled);
        return false;
    }
    // White round a page that lies inside the picture.
    for (uint32_t row = 0; row < target.height; ++row) {
        memset(out + row * stride, 0xFF, static_cast<size_t>(target.width) * 3);
        memset(out + row * stride + target.width * 3, 0, stride - target.width * 3);
    }
    const size_t scaledStride = PageRowStride(outWidth);
    const uint32_t left = (target.width - outWidth) / 2;
    const uint32_t bottom = target.height - outHeight - (target.height - outHeight) / 2;
    for (uint32_t row = 0; row < outHeight; ++row)
        memcpy(out + (bottom + row) * stride + left * 3, scaled + row * scaledStride, outWidth * 3);
    GlobalFree(scaled);
    free(*page);
    *page = out;
    return true;
}
