// zr_inspect: checks a ZR command stream (a file, or standard input) record by
// record and as a job, prints one line per record, and optionally writes each
// printed sheet as a PNG of the colours the printer will make.
//
//   zr_inspect [--png DIR] [--quiet] [--head-width N] [FILE|-]
//
// Exit status: 0 when the stream is a sound job stream, 1 on the first fault
// (with a message naming the record and its byte offset), 2 for bad usage.
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "stream_check.h"

namespace {

bool ReadAll(FILE* file, std::vector<unsigned char>& bytes)
{
    unsigned char chunk[1 << 16];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    return !ferror(file);
}

// The sheet as the printer makes it: red from the cyan plane, green from the
// magenta plane, blue from the yellow plane; bitmap rows are bottom-up.
bool WritePng(const std::string& path, const StreamPrint& print)
{
    const PlaneInfo& y = print.planes[0];
    const PlaneInfo& m = print.planes[1];
    const PlaneInfo& c = print.planes[2];
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(y.width), static_cast<png_uint_32>(y.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, static_cast<png_uint_32>(y.xPpm), static_cast<png_uint_32>(y.yPpm), PNG_RESOLUTION_METER);
    png_write_info(png, info);
    std::vector<unsigned char> row(3 * static_cast<size_t>(y.width));
    for (int32_t r = 0; r < y.height; ++r) {
        const size_t from = static_cast<size_t>(y.height - 1 - r) * y.rowBytes;
        for (int32_t x = 0; x < y.width; ++x) {
            row[3 * x] = c.rows[from + x];
            row[3 * x + 1] = m.rows[from + x];
            row[3 * x + 2] = y.rows[from + x];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0;
}

[[noreturn]] void Usage(const char* why)
{
    fprintf(stderr, "zr_inspect: %s\nusage: zr_inspect [--png DIR] [--quiet] [--head-width N] [FILE|-]\n", why);
    exit(2);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string pngDir, input = "-";
    bool quiet = false;
    int headWidth = 1920;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--png" && i + 1 < argc)
            pngDir = argv[++i];
        else if (a == "--quiet")
            quiet = true;
        else if (a == "--head-width" && i + 1 < argc)
            headWidth = atoi(argv[++i]);
        else if (a.size() > 1 && a[0] == '-' && a != "-")
            Usage(("unknown option " + a).c_str());
        else
            input = a;
    }

    std::vector<unsigned char> bytes;
    FILE* file = input == "-" ? stdin : fopen(input.c_str(), "rb");
    if (file == nullptr) {
        fprintf(stderr, "zr_inspect: %s: %s\n", input.c_str(), strerror(errno));
        return 1;
    }
    const bool read = ReadAll(file, bytes);
    if (file != stdin)
        fclose(file);
    if (!read) {
        fprintf(stderr, "zr_inspect: cannot read %s\n", input.c_str());
        return 1;
    }

    const StreamReport report = InspectJobStream(bytes.data(), bytes.size(), headWidth);
    if (!quiet) {
        for (size_t i = 0; i < report.records.size(); ++i) {
            if (!report.error.empty() && i >= report.errorRecord)
                break;
            printf("%4zu @%-9zu %s\n", i, report.records[i].offset, DescribeRecord(report.records[i]).c_str());
        }
    }
    if (!report.error.empty()) {
        fprintf(stderr, "zr_inspect: record %zu at byte %zu: %s\n", report.errorRecord, report.errorOffset,
                report.error.c_str());
        return 1;
    }
    for (size_t n = 0; n < report.prints.size(); ++n) {
        const StreamPrint& p = report.prints[n];
        printf("print %zu: sheet %ld, %dx%d dots at 300x%d dpi, cutter %ld overcoat %ld retry %ld speed %ld\n", n + 1,
               p.multiCut, p.planes[0].width, p.planes[0].height, p.yDpi, p.cutter, p.overcoat, p.retry, p.speed);
        if (!pngDir.empty()) {
            char name[64];
            snprintf(name, sizeof name, "/sheet-%03zu.png", n + 1);
            if (!WritePng(pngDir + name, p)) {
                fprintf(stderr, "zr_inspect: cannot write %s%s\n", pngDir.c_str(), name);
                return 1;
            }
        }
    }
    printf("ok: %zu records, %zu prints\n", report.records.size(), report.prints.size());
    return 0;
}
