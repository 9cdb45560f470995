#include "raster_page.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "il_bitmap.h"

namespace {

// The header's enumerated fields arrive as raw 32-bit words from whatever
// produced the raster; reading such a word through the enum type is
// undefined for values the enum does not declare, so the word is copied out.
template <typename Enum>
unsigned RawWord(const Enum& field)
{
    static_assert(sizeof(Enum) == sizeof(unsigned), "header enums are 32-bit words");
    unsigned word;
    memcpy(&word, &field, sizeof word);
    return word;
}

}  // namespace

size_t PageRowStride(uint32_t width)
{
    return (static_cast<size_t>(width) * 24 + 31) / 32 * 4;
}

std::string RasterHeaderProblem(const cups_page_header2_t& h)
{
    char text[200];
    if (h.cupsBitsPerColor != 8 || h.cupsBitsPerPixel != 24) {
        snprintf(text, sizeof text, "%u bits per colour and %u bits per pixel, 8 and 24 expected",
                 h.cupsBitsPerColor, h.cupsBitsPerPixel);
        return text;
    }
    const unsigned space = RawWord(h.cupsColorSpace);
    if (space != CUPS_CSPACE_RGB && space != CUPS_CSPACE_SRGB && space != CUPS_CSPACE_ADOBERGB) {
        snprintf(text, sizeof text, "colour space %u, RGB expected", space);
        return text;
    }
    const unsigned order = RawWord(h.cupsColorOrder);
    if (order != CUPS_ORDER_CHUNKED) {
        snprintf(text, sizeof text, "colour order %u, chunked pixels expected", order);
        return text;
    }
    if (h.cupsWidth == 0 || h.cupsHeight == 0 || h.cupsWidth > kMaxPageSide || h.cupsHeight > kMaxPageSide) {
        snprintf(text, sizeof text, "page of %u x %u pixels, each side must be 1 to %u", h.cupsWidth,
                 h.cupsHeight, kMaxPageSide);
        return text;
    }
    const uint64_t pixelBytes = static_cast<uint64_t>(h.cupsWidth) * 3;
    // Padding beyond the pixels is tolerated, but not without limit: a line is
    // buffered whole.
    if (h.cupsBytesPerLine < pixelBytes || h.cupsBytesPerLine > pixelBytes + 4096) {
        snprintf(text, sizeof text, "%u bytes per line for %u pixels, %llu expected", h.cupsBytesPerLine,
                 h.cupsWidth, static_cast<unsigned long long>(pixelBytes));
        return text;
    }
    return std::string();
}

PageRead ReadPage(cups_raster_t* raster, const cups_page_header2_t& header,
                  volatile const int* canceled, char** page)
{
    *page = nullptr;
    const size_t stride = PageRowStride(header.cupsWidth);
    const size_t height = header.cupsHeight;
    const size_t pixelBytes = static_cast<size_t>(header.cupsWidth) * 3;
    char* buffer = static_cast<char*>(calloc(height, stride));
    unsigned char* line = static_cast<unsigned char*>(malloc(header.cupsBytesPerLine));
    if (buffer == nullptr || line == nullptr) {
        free(buffer);
        free(line);
        return PageRead::NoMemory;
    }
    // Every row is about to be written: fault the pages in at once.
    PrefaultMemory(buffer, height * stride);
    PageRead result = PageRead::Complete;
    for (size_t y = 0; y < height; ++y) {
        const bool read = cupsRasterReadPixels(raster, line, header.cupsBytesPerLine) == header.cupsBytesPerLine;
        if (read)
            memcpy(buffer + (height - 1 - y) * stride, line, pixelBytes);
        if (*canceled) {
            result = PageRead::Canceled;
            break;
        }
        if (!read) {
            result = PageRead::Short;
            break;
        }
    }
    free(line);
    if (result == PageRead::Canceled) {
        free(buffer);
        return result;
    }
    *page = buffer;
    return result;
}
