// Test stand-in for the queue's filter: installed under the filter's name
// in a private scheduler, it reports the geometry of every raster page that
// CUPS's converters hand to the queue, one line per page, on standard
// output (which the stand-in backend then delivers to the test). This lets
// a test see what the PPD makes of a JPEG or PDF before our filter does.
#include <cups/raster.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 6 && argc != 7) return 1;
    const int fd = argc == 7 ? open(argv[6], O_RDONLY) : 0;
    if (fd < 0) return 1;
    cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_READ);
    cups_page_header2_t h;
    int page = 0;
    while (cupsRasterReadHeader2(raster, &h)) {
        // Read the pixels too, so a truncated page shows up as a short count.
        unsigned char line[65536];
        unsigned lines = 0;
        if (h.cupsBytesPerLine <= sizeof line)
            while (lines < h.cupsHeight && cupsRasterReadPixels(raster, line, h.cupsBytesPerLine)) ++lines;
        std::printf("page=%d size=%ux%u res=%ux%u bits=%u space=%u copies=%u lines=%u\n", ++page,
                    h.cupsWidth, h.cupsHeight, h.HWResolution[0], h.HWResolution[1], h.cupsBitsPerPixel,
                    h.cupsColorSpace, h.NumCopies, lines);
    }
    cupsRasterClose(raster);
    return 0;
}
