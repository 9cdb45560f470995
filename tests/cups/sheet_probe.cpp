// Reports where each printed sheet of a ZR command stream carries picture:
// the bounding box of the dots that are not blank on all three planes, and
// how many blank dots lie inside that box. Tests print pictures that have
// no blank dot of their own, so a sheet that the picture fills exactly
// gives the picture's placement as the box and no blank dot inside it
// except the gap between two pictures. The mean red, green and blue inside
// the box (as printed: red from the cyan plane) show tone adjustments.
//   kzr_sheet_probe STREAM  ->  "print N: box X0-X1 Y0-Y1 blank K mean R G B"
// per sheet (rows counted from the sheet's top, as printed). Exit 1 when the stream
// is not a sound job stream.
#include "stream_check.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const StreamReport report = InspectJobStream(bytes.data(), bytes.size());
    if (!report.error.empty()) {
        std::fprintf(stderr, "%s\n", report.error.c_str());
        return 1;
    }
    int n = 0;
    for (const StreamPrint& p : report.prints) {
        const PlaneInfo* planes = p.planes;
        const int w = planes[0].width, h = planes[0].height;
        auto blank = [&](int x, int top) {
            const size_t at = static_cast<size_t>(h - 1 - top) * planes[0].rowBytes + static_cast<size_t>(x);
            return planes[0].rows[at] == 255 && planes[1].rows[at] == 255 && planes[2].rows[at] == 255;
        };
        int x0 = w, x1 = -1, y0 = h, y1 = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (!blank(x, y)) {
                    if (x < x0) x0 = x;
                    if (x > x1) x1 = x;
                    if (y < y0) y0 = y;
                    if (y > y1) y1 = y;
                }
        long blanks = 0;
        double sum[3] = {0, 0, 0};
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                blanks += blank(x, y);
                const size_t at = static_cast<size_t>(h - 1 - y) * planes[0].rowBytes + static_cast<size_t>(x);
                for (int c = 0; c < 3; ++c) sum[c] += planes[2 - c].rows[at];
            }
        const double area = x1 >= x0 ? double(x1 - x0 + 1) * (y1 - y0 + 1) : 1.0;
        std::printf("print %d: box %d-%d %d-%d blank %ld mean %.0f %.0f %.0f\n", ++n, x0, x1, y0, y1, blanks,
                    sum[0] / area, sum[1] / area, sum[2] / area);
    }
    return 0;
}
