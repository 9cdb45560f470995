#include "page_fit.h"

#include "il_bitmap.h"
#include "raster_page.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

char* FitPage(char* page, int width, int height, int targetWidth, int targetHeight)
{
    if (page == nullptr || (width == targetWidth && height == targetHeight))
        return page;
    const double scale = std::max(static_cast<double>(targetWidth) / width, static_cast<double>(targetHeight) / height);
    const int scaledWidth = std::max(targetWidth, static_cast<int>(std::ceil(width * scale - 1e-9)));
    const int scaledHeight = std::max(targetHeight, static_cast<int>(std::ceil(height * scale - 1e-9)));

    _tagBITMAPHANDLE bitmap = {};
    const size_t stride = PageRowStride(static_cast<uint32_t>(width));
    if (IL_CreateBitmap(&bitmap, sizeof bitmap, IL_MEMORY_CALLER, width, height, 24, 1, nullptr, IL_VIEW_CODE,
            page, static_cast<int64_t>(stride) * height) != IL_OK
        || IL_SizeBitmap(&bitmap, scaledWidth, scaledHeight, IL_SIZE_CUBIC) != IL_OK) {
        if (bitmap.memoryHandle != nullptr)
            IL_FreeBitmap(&bitmap);
        free(page);
        return nullptr;
    }
    free(page);

    const size_t targetStride = PageRowStride(static_cast<uint32_t>(targetWidth));
    char* fitted = static_cast<char*>(calloc(targetStride, static_cast<size_t>(targetHeight)));
    if (fitted != nullptr) {
        const int left = (scaledWidth - targetWidth) / 2;
        const int bottom = (scaledHeight - targetHeight) / 2;
        for (int y = 0; y < targetHeight; ++y)
            memcpy(fitted + targetStride * y, bitmap.pixels + static_cast<size_t>(bitmap.rowBytes) * (bottom + y) + 3 * left,
                3 * static_cast<size_t>(targetWidth));
    }
    IL_FreeBitmap(&bitmap);
    return fitted;
}
