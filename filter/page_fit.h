// Bringing a raster page to the pixel size of the printed picture. Converters
// rasterise at the paper's nominal size (4 x 6 in), while the printer prints a
// picture slightly larger than the paper so that it runs off every edge: a page
// of any other size is scaled to cover the picture and cropped evenly (the
// borderless default), or with print-scaling=fit scaled to lie inside it on
// white. A page already at the picture's size is passed on untouched.
#pragma once

#include <cups/cups.h>
#include <cups/raster.h>

#include <cstdint>

struct PageTarget {
    uint32_t width;     // picture pixels across the page as it was rasterised
    uint32_t height;
    bool turned;        // the page is upright where the picture lies across
};

// The picture size the page must have: the picture's 300 dpi sides, turned
// when the page's shape is the other way round from the picture's (a square
// page keeps `nameTurned`), at the job's resolution.
PageTarget TargetForPage(const cups_page_header2_t& header, int32_t pictureWidthPx, int32_t pictureLengthPx,
                         int xDpi, int yDpi, bool nameTurned);

// True when the job asks for the whole page inside the picture.
bool FitWholePage(int optionCount, cups_option_t* options);

// Replaces *page (a bottom-up 24-bit buffer of width x height, from calloc)
// with one of the target's size; false, with *page untouched, when memory
// runs out.
bool FitPage(char** page, uint32_t width, uint32_t height, const cups_page_header2_t& header,
             const PageTarget& target, int xDpi, int yDpi, bool whole);
