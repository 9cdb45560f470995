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

// The page resampled to width x height; null when memory runs out.
unsigned char* Resample(char* page, uint32_t width, uint32_t height, int newWidth, int newHeight)
{
    _tagBITMAPHANDLE bitmap{};
    const int64_t bytes = static_cast<int64_t>(PageRowStride(width)) * height;
    if (IL_CreateBitmap(&bitmap, sizeof bitmap, IL_MEMORY_CALLER, static_cast<int>(width),
                        static_cast<int>(height), 24, 1, nullptr, IL_VIEW_CODE, page, bytes) != IL_OK ||
        IL_SizeBitmap(&bitmap, newWidth, newHeight, IL_SIZE_CUBIC) != IL_OK) {
        return nullptr;
    }
    // The resized pixels belong to the record now; they are taken over.
    return bitmap.pixels;
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
    // Scale factors that bring each side of the page, in inches, to the
    // picture's; covering takes the larger, fitting inside the smaller.
    const double hx = Resolution(header.HWResolution[0], xDpi);
    const double hy = Resolution(header.HWResolution[1], yDpi);
    const double rx = (static_cast<double>(target.width) / xDpi) / (width / hx);
    const double ry = (static_cast<double>(target.height) / yDpi) / (height / hy);
    const double s = whole ? std::min(rx, ry) : std::max(rx, ry);
    long sw = std::lround(width * s * xDpi / hx);
    long sh = std::lround(height * s * yDpi / hy);
    sw = whole ? std::min<long>(sw, target.width) : std::max<long>(sw, target.width);
    sh = whole ? std::min<long>(sh, target.height) : std::max<long>(sh, target.height);
    sw = std::max(sw, 1L);
    sh = std::max(sh, 1L);

    unsigned char* scaled = reinterpret_cast<unsigned char*>(*page);
    if (sw != static_cast<long>(width) || sh != static_cast<long>(height)) {
        scaled = Resample(*page, width, height, static_cast<int>(sw), static_cast<int>(sh));
        if (scaled == nullptr)
            return false;
    }
    const size_t stride = PageRowStride(target.width);
    char* out = static_cast<char*>(malloc(stride * target.height));
    if (out == nullptr) {
        if (scaled != reinterpret_cast<unsigned char*>(*page))
            GlobalFree(scaled);
        return false;
    }
    // White around a page that lies inside; rows are bottom-up in both
    // buffers, so the bottom offset is what remains below the centred part.
    for (uint32_t row = 0; row < target.height; ++row) {
        memset(out + row * stride, 0xFF, static_cast<size_t>(target.width) * 3);
        memset(out + row * stride + target.width * 3, 0, stride - target.width * 3);
    }
    const size_t scaledStride = PageRowStride(static_cast<uint32_t>(sw));
    const long cropX = (sw - static_cast<long>(target.width)) / 2;
    const long cropTop = (sh - static_cast<long>(target.height)) / 2;
    const long cropBottom = sh - static_cast<long>(target.height) - cropTop;
    const long copyWidth = std::min<long>(sw, target.width);
    const long copyRows = std::min<long>(sh, target.height);
    for (long row = 0; row < copyRows; ++row) {
        const long from = cropBottom > 0 ? row + cropBottom : row;
        const long to = cropBottom < 0 ? row - cropBottom : row;
        const long fromX = cropX > 0 ? cropX : 0;
        const long toX = cropX < 0 ? -cropX : 0;
        memcpy(out + to * stride + toX * 3, scaled + from * scaledStride + fromX * 3,
               static_cast<size_t>(copyWidth) * 3);
    }
    if (scaled != reinterpret_cast<unsigned char*>(*page))
        GlobalFree(scaled);
    free(*page);
    *page = out;
    return true;
}
