// zr_mkraster: writes a CUPS raster job (24-bit RGB, chunked) of generated
// pictures, for trying the filter by hand and for its tests. It can also write
// deliberately unusable page headers, the kind of input the filter refuses.
//
//   zr_mkraster -o FILE [--width W --height H | --inches WxL] [--dpi X[xY]]
//               [--pages N] [--copies N] [--pattern gradient|random|solid|checker|corners]
//               [--seed S] [--color RRGGBB] [--bad bits|bpl|huge|big|colorspace|order|zero]
//               [--bad-page N] [--short ROWS] [--pwg | --urf] [--gray]
// --pwg writes PWG raster (sRGB, as IPP Everywhere clients send it) instead
// of CUPS raster; the filter reads both. --urf writes Apple raster
// (image/urf, sRGB), which AirPrint clients send to the Printer Application.
// --gray makes the pages 8-bit grey (sGray in PWG and Apple raster).
#include <cups/raster.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

struct Settings {
    std::string output;
    unsigned width = 1844, height = 1240;
    double widthInch = 0, lengthInch = 0;
    unsigned xDpi = 300, yDpi = 300;
    unsigned pages = 1, copies = 1;
    std::string pattern = "gradient";
    unsigned seed = 1;
    unsigned color = 0xC86432;
    std::string bad;
    bool pwg = false;      // PWG raster (image/pwg-raster) instead of CUPS raster
    bool urf = false;      // Apple raster (image/urf)
    bool gray = false;     // one 8-bit grey channel
    long shortRows = -1;   // write only this many rows of each page
    unsigned badPage = 0;  // with --bad: only this page (1-based) is bad; 0 every page
};

[[noreturn]] void Usage(const char* why)
{
    fprintf(stderr, "zr_mkraster: %s\n", why);
    fprintf(stderr,
            "usage: zr_mkraster -o FILE [--width W --height H | --inches WxL] [--dpi X[xY]]\n"
            "       [--pages N] [--copies N] [--pattern gradient|random|solid|checker|corners]\n"
            "       [--seed S] [--color RRGGBB] [--bad bits|bpl|huge|big|colorspace|order|zero]\n"
            "       [--bad-page N] [--short ROWS] [--pwg | --urf] [--gray]\n");
    exit(2);
}

unsigned Number(const char* text, const char* what)
{
    char* end = nullptr;
    unsigned long v = strtoul(text, &end, 10);
    if (end == text || *end != '\0' || v > 0xFFFFFFFFul)
        Usage(what);
    return static_cast<unsigned>(v);
}

Settings Parse(int argc, char** argv)
{
    Settings s;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> const char* {
            if (i + 1 >= argc)
                Usage(("missing value after " + a).c_str());
            return argv[++i];
        };
        if (a == "-o")
            s.output = next();
        else if (a == "--width")
            s.width = Number(next(), "bad --width");
        else if (a == "--height")
            s.height = Number(next(), "bad --height");
        else if (a == "--inches") {
            if (sscanf(next(), "%lfx%lf", &s.widthInch, &s.lengthInch) != 2)
                Usage("bad --inches, expected e.g. 6x4");
        } else if (a == "--dpi") {
            const char* v = next();
            int n = sscanf(v, "%ux%u", &s.xDpi, &s.yDpi);
            if (n == 1)
                s.yDpi = s.xDpi;
            else if (n != 2)
                Usage("bad --dpi");
        } else if (a == "--pages")
            s.pages = Number(next(), "bad --pages");
        else if (a == "--copies")
            s.copies = Number(next(), "bad --copies");
        else if (a == "--pattern")
            s.pattern = next();
        else if (a == "--seed")
            s.seed = Number(next(), "bad --seed");
        else if (a == "--color")
            s.color = static_cast<unsigned>(strtoul(next(), nullptr, 16));
        else if (a == "--bad")
            s.bad = next();
        else if (a == "--bad-page")
            s.badPage = Number(next(), "bad --bad-page");
        else if (a == "--pwg")
            s.pwg = true;
        else if (a == "--urf")
            s.pwg = s.urf = true;
        else if (a == "--gray")
            s.gray = true;
        else if (a == "--short")
            s.shortRows = Number(next(), "bad --short");
        else
            Usage(("unknown argument " + a).c_str());
    }
    if (s.output.empty())
        Usage("no output file (-o)");
    static const char* const kBadKinds[] = {"", "bits", "bpl", "huge", "big", "colorspace", "order", "zero"};
    if (std::find(std::begin(kBadKinds), std::end(kBadKinds), s.bad) == std::end(kBadKinds))
        Usage("unknown --bad kind");
    static const char* const kPatterns[] = {"gradient", "random", "solid", "checker", "corners"};
    if (std::find(std::begin(kPatterns), std::end(kPatterns), s.pattern) == std::end(kPatterns))
        Usage("unknown --pattern");
    if (s.widthInch > 0) {
        s.width = static_cast<unsigned>(s.widthInch * s.xDpi + 0.5);
        s.height = static_cast<unsigned>(s.lengthInch * s.yDpi + 0.5);
    }
    return s;
}

// One line of the picture; `page` shifts the colours so pages differ.
void FillLine(const Settings& s, unsigned page, unsigned y, std::mt19937& random, unsigned char* line)
{
    const unsigned w = s.width, h = s.height;
    for (unsigned x = 0; x < w; ++x) {
        unsigned char* p = line + 3 * static_cast<size_t>(x);
        if (s.pattern == "solid") {
            p[0] = (s.color >> 16) & 0xFF;
            p[1] = (s.color >> 8) & 0xFF;
            p[2] = s.color & 0xFF;
        } else if (s.pattern == "random") {
            unsigned v = random();
            p[0] = v & 0xFF;
            p[1] = (v >> 8) & 0xFF;
            p[2] = (v >> 16) & 0xFF;
        } else if (s.pattern == "checker") {
            unsigned char v = (((x / 16) + (y / 16) + page) % 2) ? 255 : 0;
            p[0] = p[1] = p[2] = v;
        } else if (s.pattern == "corners") {
            // Black picture with four coloured corner blocks (an eighth of each
            // side): top-left red, top-right green, bottom-left blue, bottom-right
            // white; shows rotation and mirroring at a glance.
            const bool left = x < w / 8 + 1, right = x >= w - w / 8 - 1;
            const bool top = y < h / 8 + 1, bottom = y >= h - h / 8 - 1;
            p[0] = p[1] = p[2] = 0;
            if (top && left)
                p[0] = 255;
            else if (top && right)
                p[1] = 255;
            else if (bottom && left)
                p[2] = 255;
            else if (bottom && right)
                p[0] = p[1] = p[2] = 255;
        } else {
            p[0] = static_cast<unsigned char>((x * 255 / (w > 1 ? w - 1 : 1) + page * 40) & 0xFF);
            p[1] = static_cast<unsigned char>(y * 255 / (h > 1 ? h - 1 : 1));
            p[2] = static_cast<unsigned char>(255 - ((x + y) * 255 / (w + h)));
        }
    }
}

void FillHeader(const Settings& s, bool bad, cups_page_header2_t& h)
{
    memset(&h, 0, sizeof h);
    h.HWResolution[0] = s.xDpi;
    h.HWResolution[1] = s.yDpi;
    h.NumCopies = s.copies;
    h.cupsWidth = s.width;
    h.cupsHeight = s.height;
    h.PageSize[0] = s.width * 72 / (s.xDpi ? s.xDpi : 1);
    h.PageSize[1] = s.height * 72 / (s.yDpi ? s.yDpi : 1);
    h.cupsBitsPerColor = 8;
    h.cupsBitsPerPixel = 24;
    h.cupsBytesPerLine = s.width * 3;
    h.cupsColorOrder = CUPS_ORDER_CHUNKED;
    h.cupsColorSpace = s.pwg ? CUPS_CSPACE_SRGB : CUPS_CSPACE_RGB;
    h.cupsNumColors = 3;
    if (s.gray) {
        h.cupsBitsPerPixel = 8;
        h.cupsBytesPerLine = s.width;
        h.cupsColorSpace = s.pwg ? CUPS_CSPACE_SW : CUPS_CSPACE_W;
        h.cupsNumColors = 1;
    }
    if (s.pwg) {
        strcpy(h.MediaClass, "PwgRaster");
        h.cupsInteger[CUPS_RASTER_PWG_TotalPageCount] = s.pages;
    }
    if (!bad) {
    } else if (s.bad == "bits") {
        h.cupsBitsPerColor = 16;
        h.cupsBitsPerPixel = 48;
        h.cupsBytesPerLine = s.width * 6;
    } else if (s.bad == "bpl") {
        h.cupsBytesPerLine = s.width * 3 - 3;
    } else if (s.bad == "huge") {
        // 1 GiB lines would overflow any 32-bit size arithmetic on the way.
        h.cupsWidth = 0x40000000u;
        h.cupsHeight = 0x40000000u;
        h.cupsBytesPerLine = 0xC0000000u;
    } else if (s.bad == "big") {
        // Consistent, but beyond any sheet the printer has.
        h.cupsWidth = 20000;
        h.cupsHeight = 20000;
        h.cupsBytesPerLine = 60000;
    } else if (s.bad == "colorspace") {
        h.cupsColorSpace = CUPS_CSPACE_CMY;
    } else if (s.bad == "order") {
        h.cupsColorOrder = CUPS_ORDER_BANDED;
    } else if (s.bad == "zero") {
        h.cupsHeight = 0;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const Settings s = Parse(argc, argv);
    int fd = open(s.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        perror(s.output.c_str());
        return 1;
    }
    cups_raster_t* raster = cupsRasterOpen(fd, s.urf ? CUPS_RASTER_WRITE_APPLE : s.pwg ? CUPS_RASTER_WRITE_PWG : CUPS_RASTER_WRITE);
    if (raster == nullptr) {
        fprintf(stderr, "zr_mkraster: cannot start the raster stream\n");
        return 1;
    }
    std::mt19937 random(s.seed);
    int status = 0;
    for (unsigned page = 0; page < s.pages && status == 0; ++page) {
        cups_page_header2_t header;
        const bool bad = !s.bad.empty() && (s.badPage == 0 || s.badPage == page + 1);
        FillHeader(s, bad, header);
        if (!cupsRasterWriteHeader2(raster, &header)) {
            fprintf(stderr, "zr_mkraster: cannot write page header %u\n", page + 1);
            status = 1;
            break;
        }
        // A bad header gets one short line of data at most: enough to show that
        // the reader refuses it before trusting any size in it.
        if (bad && s.bad != "bpl" && s.bad != "colorspace" && s.bad != "order")
            continue;
        std::vector<unsigned char> line(std::max<size_t>(header.cupsBytesPerLine, 3 * static_cast<size_t>(s.width)));
        const unsigned rows = s.shortRows >= 0 ? std::min<unsigned>(s.height, static_cast<unsigned>(s.shortRows)) : s.height;
        for (unsigned y = 0; y < rows; ++y) {
            FillLine(s, page, y, random, line.data());
            if (s.gray)
                for (unsigned x = 0; x < s.width; ++x)
                    line[x] = static_cast<unsigned char>((line[3 * x] + line[3 * x + 1] + line[3 * x + 2]) / 3);
            if (cupsRasterWritePixels(raster, line.data(), header.cupsBytesPerLine) != header.cupsBytesPerLine) {
                fprintf(stderr, "zr_mkraster: write failed\n");
                status = 1;
                break;
            }
        }
    }
    cupsRasterClose(raster);
    if (close(fd) != 0)
        status = 1;
    return status;
}
