// bench_filter: times the filter's page path (processing, plane separation and
// the sheet's command records, written to /dev/null) with border, colour
// adjustment, sharpening and chroma on, and reports seconds per page and the
// peak resident memory of each case. Each case runs in a child process of its
// own so that the peaks do not mix.
//
//   bench_filter [PAGES]      (default 3 pages per case)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "device_entry_zr.h"
#include "filter_job.h"
#include "print_steps.h"
#include "raster_page.h"

namespace {

struct Case {
    const char* title;
    const char* options;
    unsigned width, height;   // raster pixels
};

const char* const kAdjustments =
    " ZvoBorder=Enable ZvoColorAdjustment=Enable ZvoGamma=20 ZvoBrightness=5 ZvoContrast=5"
    " ZvoSharpness=4 ZvoChroma=20";

// A page like the filter builds it: bottom-up 24-bit rows, padded to 4 bytes.
char* MakePage(unsigned width, unsigned height, unsigned seed)
{
    const size_t stride = PageRowStride(width);
    char* page = static_cast<char*>(calloc(height, stride));
    if (page == nullptr)
        return nullptr;
    unsigned state = seed * 2654435761u + 1;
    for (unsigned y = 0; y < height; ++y) {
        unsigned char* row = reinterpret_cast<unsigned char*>(page) + static_cast<size_t>(y) * stride;
        for (unsigned x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            row[3 * x] = static_cast<unsigned char>(x * 255 / width);
            row[3 * x + 1] = static_cast<unsigned char>(y * 255 / height);
            row[3 * x + 2] = static_cast<unsigned char>((state >> 16) & 0x3F) + 96;
        }
    }
    return page;
}

int RunCase(const Case& c, int pages)
{
    char options[512];
    snprintf(options, sizeof options, "%s%s", c.options, kAdjustments);
    cups_option_t* list = nullptr;
    const int count = cupsParseOptions(options, 0, &list);
    FILE* sink = fopen("/dev/null", "w");
    DeviceEntry_ZR entry;
    entry.SetOutput(sink);
    ConfigureEntry(entry, count, list, nullptr);

    double total = 0, cpu = 0;
    for (int p = 0; p < pages; ++p) {
        char* page = MakePage(c.width, c.height, static_cast<unsigned>(p));
        if (page == nullptr)
            return 1;
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        _tagBITMAPHANDLE* picture = entry.MakeImageData(page, c.width, c.height, 0);
        if (picture == nullptr)
            return 1;
        entry.SetImageData(0, picture);
        FlushPrint(entry, 1);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        IL_FreeBitmap(picture);
        GlobalFree(picture);
    }
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    printf("%-22s %5ux%-5u  %7.3f s/page (CPU %6.3f s)  peak RSS %6.1f MB\n", c.title, c.width, c.height,
           total / pages, cpu / pages, usage.ru_maxrss / 1024.0);
    fflush(stdout);
    fclose(sink);
    cupsFreeOptions(count, list);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const int pages = argc > 1 ? atoi(argv[1]) : 3;
    if (pages <= 0) {
        fprintf(stderr, "usage: bench_filter [PAGES]\n");
        return 2;
    }
    const Case cases[] = {
        {"4x6 in, 300 dpi", "PageSize=153x102mm Resolution=300dpi", 1844, 1240},
        {"6x8 in, 600x600 dpi", "PageSize=153x204mm Resolution=600x600dpi", 3688, 4872},
    };
    printf("%d pages per case; border, colour adjustment, sharpening, chroma on\n", pages);
    int status = 0;
    for (const Case& c : cases) {
        fflush(stdout);
        const pid_t pid = fork();
        if (pid == 0)
            _exit(RunCase(c, pages));
        int result = 0;
        waitpid(pid, &result, 0);
        if (!WIFEXITED(result) || WEXITSTATUS(result) != 0) {
            fprintf(stderr, "bench_filter: case \"%s\" failed\n", c.title);
            status = 1;
        }
    }
    return status;
}
