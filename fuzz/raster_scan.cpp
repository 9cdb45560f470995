#include "raster_scan.h"

#include "raster_page.h"

#include <algorithm>
#include <cstring>
#include <vector>

ssize_t ReadMemoryRaster(void* context, unsigned char* buffer, size_t bytes)
{
    auto* input = static_cast<MemoryRaster*>(context);
    const size_t n = std::min(bytes, input->left);
    memcpy(buffer, input->at, n);
    input->at += n;
    input->left -= n;
    return static_cast<ssize_t>(n);
}

bool RasterIsSmall(const uint8_t* data, size_t size, uint64_t maxPixels, unsigned maxCopies, int maxPages)
{
    MemoryRaster input{data, size};
    cups_raster_t* raster = cupsRasterOpenIO(ReadMemoryRaster, &input, CUPS_RASTER_READ);
    if (raster == nullptr)
        return true;
    bool small = true;
    int pages = 0;
    cups_page_header2_t header;
    while (small && cupsRasterReadHeader2(raster, &header)) {
        // The filter stops at the first page it refuses; nothing after it counts.
        if (!RasterHeaderProblem(header).empty())
            break;
        small = ++pages <= maxPages && header.NumCopies <= maxCopies &&
            static_cast<uint64_t>(header.cupsWidth) * header.cupsHeight <= maxPixels;
        std::vector<unsigned char> line(header.cupsBytesPerLine);
        for (unsigned y = 0; small && y < header.cupsHeight; ++y)
            if (cupsRasterReadPixels(raster, line.data(), header.cupsBytesPerLine) == 0)
                break;
    }
    cupsRasterClose(raster);
    return small;
}
