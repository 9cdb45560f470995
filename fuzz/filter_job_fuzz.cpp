// The whole filter, raster bytes in, command stream out, in-process: the
// production entry RunFilter with a job id too long to name a job file (the
// filter then does not wait for one, as for any such id), the queue's real
// PPD, job options chosen by the input. Standard output goes into a memory
// file and every stream the filter writes must pass the stream inspector.
#include "filter_job.h"
#include "fuzz_input.h"
#include "memory_file.h"
#include "raster_scan.h"
#include "stream_check.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Option sets a queue or a user would give: page sizes, resolutions, two-up,
// settings, and values no dialog offers.
const char* const kOptions[] = {
    "",
    "PageSize=152x102mm",
    "PageSize=153x102mmx2 Resolution=300x600dpi",
    "PageSize=203x152mm Resolution=600x600dpi",
    "media=127x89mm ZvoBorder=Enable ZvoSharpness=4",
    "PageSize=152x203mm ZvoOvercoatFinish=Matte ZvoPrintSpeed=HighSpeed",
    "PageSize=A4 Resolution=1200dpi",
    "ZvoGamma=400 ZvoBrightness=-99999 ZvoContrast=2147483647 ZvoChroma=x",
    "PageSize=102x152mm ZvoColorAdjustment=Enable ZvoDecurl=Enable ZvoPrintRetry=Enable",
    "PageSize=89x127mmx2 ZvoPaperRotate=Enable",
};
constexpr size_t kOptionSets = sizeof kOptions / sizeof kOptions[0];

// Longer than a job file name may be: the filter skips the wait for it.
const std::string kJobId(140, '7');

int outputFd = -1;

// The output file is mapped once, larger than any stream of the harness's
// small jobs can grow, and never shortened: its pages stay in place from run
// to run, so a run costs the filter's writes and not a fresh copy and a
// fault per page of 7-14 MB of stream.
constexpr size_t kOutputSpan = size_t{1} << 30;
const unsigned char* outputMap = nullptr;

struct Output {
    const unsigned char* bytes;
    size_t size;
};

Output TakeOutput()
{
    fflush(stdout);
    const off_t size = lseek(outputFd, 0, SEEK_CUR);
    if (size < 0 || static_cast<size_t>(size) > kOutputSpan || lseek(outputFd, 0, SEEK_SET) != 0)
        abort();
    return Output{outputMap, static_cast<size_t>(size)};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("PPD", KZR_PPD_PATH, 1);
    outputFd = memfd_create("filter-output", MFD_CLOEXEC);
    if (outputFd < 0 || ftruncate(outputFd, kOutputSpan) != 0 || dup2(outputFd, STDOUT_FILENO) < 0)
        abort();
    close(outputFd);
    outputFd = STDOUT_FILENO;
    void* map = mmap(nullptr, kOutputSpan, PROT_READ, MAP_SHARED, outputFd, 0);
    if (map == MAP_FAILED)
        abort();
    outputMap = static_cast<const unsigned char*>(map);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    std::string options = kOptions[in.Byte() % kOptionSets];
    if (!RasterIsSmall(in.Rest(), in.RestSize(), 256 * 256, 2, 3))
        return -1;  // not added to the corpus
    MemoryFile raster(in.Rest(), in.RestSize());

    std::string path = raster.Path();
    char name[] = "korvane_zr_filter", user[] = "fuzz", title[] = "fuzz", copies[] = "1";
    std::string jobId = kJobId;
    char* argv[] = {name, &jobId[0], user, title, copies, &options[0], &path[0], nullptr};
    const int status = RunFilter(7, argv);
    FUZZ_CHECK(status == 0 || status == 1);

    const Output stream = TakeOutput();
    const StreamReport report = InspectJobStream(stream.bytes, stream.size);
    if (getenv("KZR_FUZZ_VERBOSE") != nullptr)
        fprintf(stderr, "exit %d, %zu bytes, %zu records, %zu prints\n", status, stream.size,
            report.records.size(), report.prints.size());
    if (!report.error.empty()) {
        fprintf(stderr, "stream refused at record %zu: %s\n", report.errorRecord, report.error.c_str());
        __builtin_trap();
    }
    return 0;
}
