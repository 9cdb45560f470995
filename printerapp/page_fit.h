// Bringing a rendered page to the exact raster size of the filter's page: a
// page of that size is used as it is (so the records are the filter's own);
// any other is scaled with the image library's cubic resampler until it
// covers the size and cut to it around its centre, as a borderless print
// fills the sheet.
#pragma once

// `page` holds `height` bottom-up rows of 24-bit pixels, 4-byte aligned,
// from malloc. Answers a page of targetWidth x targetHeight in the same form
// (the same buffer when the sizes agree; otherwise `page` is released), or
// null when memory ran out (`page` released too).
char* FitPage(char* page, int width, int height, int targetWidth, int targetHeight);
