// Raster from any application, as CUPS hands it to the filter: every page
// header is judged and every accepted page read into the page buffer.
#include "fuzz_input.h"
#include "raster_page.h"
#include "raster_scan.h"

#include <cstdlib>

namespace {

// Pages beyond this many pixels are checked but not read (see raster_scan.h).
constexpr uint64_t kMaxReadPixels = 512 * 512;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryRaster input{data, size};
    cups_raster_t* raster = cupsRasterOpenIO(ReadMemoryRaster, &input, CUPS_RASTER_READ);
    if (raster == nullptr)
        return 0;
    cups_page_header2_t header;
    const volatile int canceled = 0;
    while (cupsRasterReadHeader2(raster, &header)) {
        if (!RasterHeaderProblem(header).empty())
            break;
        // What the check promises to everything that sizes buffers from it.
        FUZZ_CHECK(header.cupsWidth >= 1 && header.cupsWidth <= kMaxPageSide);
        FUZZ_CHECK(header.cupsHeight >= 1 && header.cupsHeight <= kMaxPageSide);
        FUZZ_CHECK(header.cupsBitsPerPixel == 24 && header.cupsBytesPerLine >= 3ull * header.cupsWidth);
        if (static_cast<uint64_t>(header.cupsWidth) * header.cupsHeight > kMaxReadPixels)
            break;
        char* page = nullptr;
        const PageRead read = ReadPage(raster, header, &canceled, &page);
        FUZZ_CHECK(read == PageRead::Complete || read == PageRead::Short);
        FUZZ_CHECK(page != nullptr);
        // The last row of the bottom-up buffer holds the first raster line.
        const size_t stride = PageRowStride(header.cupsWidth);
        FUZZ_CHECK(stride >= 3ull * header.cupsWidth && stride % 4 == 0);
        volatile char last = page[stride * header.cupsHeight - 1];
        (void)last;
        free(page);
    }
    cupsRasterClose(raster);
    return 0;
}
