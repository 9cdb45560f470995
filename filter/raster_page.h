// Reading one raster page into the bottom-up 24-bit page buffer the photo
// buffer works on. The page header is untrusted input: it is checked before
// any size derived from it is used.
#pragma once

#include <cups/raster.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Largest page side accepted, in pixels: 10000 is more than twice the longest
// side of the largest sheet at 600 x 600 dpi (8 in = 4800 pixels), and keeps a
// page buffer below 300 MB.
constexpr uint32_t kMaxPageSide = 10000;

// Bytes of one page-buffer row: 24-bit pixels padded to a multiple of 4.
size_t PageRowStride(uint32_t width);

// Empty when the page can be read (8-bit RGB, 3 bytes a pixel, chunked, lines
// long enough, sides within kMaxPageSide); otherwise why it cannot.
std::string RasterHeaderProblem(const cups_page_header2_t& header);

enum class PageRead { Complete, Short, Canceled, NoMemory };

// Allocates the zero-filled page buffer and fills it from the raster, first
// raster line into the last buffer row. `canceled` is polled after every
// line; on Canceled and NoMemory *page is null and nothing is kept. A short
// page keeps its unread rows at zero. The header must have passed
// RasterHeaderProblem.
PageRead ReadPage(cups_raster_t* raster, const cups_page_header2_t& header,
                  volatile const int* canceled, char** page);
