// CUPS raster read straight from a fuzz input, and the harnesses' limit to
// small pages: a header asking for a large page or many copies is legitimate
// input, but each such page costs seconds, which would starve the search.
#pragma once

#include <cups/raster.h>

#include <cstddef>
#include <cstdint>

struct MemoryRaster {
    const uint8_t* at;
    size_t left;
};

// cupsRasterOpenIO's reader over a MemoryRaster.
ssize_t ReadMemoryRaster(void* context, unsigned char* buffer, size_t bytes);

// False when some page the filter would read asks for more than `maxPixels`
// pixels or more than `maxCopies` copies, or there are more than `maxPages`.
bool RasterIsSmall(const uint8_t* data, size_t size, uint64_t maxPixels, unsigned maxCopies, int maxPages);
