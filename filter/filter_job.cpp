#include "filter_job.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "device_entry_zr.h"
#include "page_fit.h"
#include "print_steps.h"
#include "printer_info.h"
#include "raster_page.h"

void CancelJob(int)
{
    Canceled = 1;
}

namespace {

// The backend's job file is looked for every 50 ms for up to 120 s; one that
// stays without its line feed for a second is read as it is.
constexpr useconds_t kJobFilePollMicroseconds = 50000;
constexpr int kJobFileWaitPolls = 120 * 20;
constexpr int kPartialPolls = 20;
constexpr const char* kOurScheme = "korvane-zvobackend:";
// The copies a page may ask for when the PPD names no limit, as CUPS's own
// default for a queue that says nothing.
constexpr unsigned kDefaultMaxCopies = 999;

void InstallCancelHandler()
{
    struct sigaction action = {};
    action.sa_handler = CancelJob;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read or sleep waiting for input returns at once.
    sigaction(SIGTERM, &action, nullptr);
}

// The queue's copy limit: the PPD's cupsMaxCopies, or the default.
unsigned MaxCopies(ppdfile_s* ppd)
{
    const char* value = wrappedPpdFindKeyword(ppd, "cupsMaxCopies");
    char* end = nullptr;
    const long limit = value != nullptr ? strtol(value, &end, 10) : 0;
    if (value == nullptr || end == value || *end != '\0' || limit < 1 || limit > 1000000)
        return kDefaultMaxCopies;
    return static_cast<unsigned>(limit);
}
constexpr size_t kJobFilePathMax = 127;

// The raster comes through this reader so that the page loop can tell the end
// of the job from a page header that libcups itself refuses (it answers both
// the same way): only the end of the job has reached the end of the input.
struct RasterInput {
    int fd = 0;
    bool endSeen = false;
};

ssize_t ReadRaster(void* context, unsigned char* buffer, size_t bytes)
{
    RasterInput* input = static_cast<RasterInput*>(context);
    ssize_t n;
    do {
        n = read(input->fd, buffer, bytes);
        // SIGTERM interrupts a read that waits for input (no SA_RESTART):
        // a cancelled job stops here instead of waiting for data.
    } while (n < 0 && errno == EINTR && !Canceled);
    if (n <= 0)
        input->endSeen = true;
    return n;
}

struct Job {
    char* jobId = nullptr;
    int optionCount = 0;
    cups_option_t* options = nullptr;
    ppdfile_s* ppd = nullptr;
    RasterInput input;
    cups_raster_t* raster = nullptr;
    DeviceEntry* entry = nullptr;
    int layoutNum = 1;
    unsigned maxCopies = kDefaultMaxCopies;
    bool nameTurned = false;   // what the page size's name says about turning
    bool wholePage = false;    // print-scaling=fit: the page inside the picture
};

// Releases everything the job holds; the entry's destructor releases any
// pictures still waiting in the photo buffer.
void Finish(Job& job)
{
    delete job.entry;
    job.entry = nullptr;
    if (job.raster != nullptr)
        cupsRasterClose(job.raster);
    job.raster = nullptr;
    wrappedPpdClose(job.ppd);
    job.ppd = nullptr;
    cupsFreeOptions(job.optionCount, job.options);
    job.options = nullptr;
    job.optionCount = 0;
}

void ReleasePicture(_tagBITMAPHANDLE* picture)
{
    if (picture == nullptr)
        return;
    IL_FreeBitmap(picture);
    GlobalFree(picture);
}

// Places every copy of one page; false when the job was cancelled meanwhile.
bool PlaceCopies(Job& job, _tagBITMAPHANDLE* picture, unsigned copies, int& slotCounter)
{
    for (unsigned c = 0; c < copies; ++c) {
        // A cancelled job writes nothing more, even when many copies remain.
        if (Canceled)
            return false;
        job.entry->SetImageData(slotCounter, picture);
        ++slotCounter;
        if (slotCounter >= job.layoutNum) {
            FlushPrint(*job.entry, job.layoutNum);
            slotCounter = 0;
        }
    }
    return true;
}

// Brings the page to the picture's pixel size and decides whether it is
// turned; false when memory runs out.
bool FitToPicture(Job& job, const cups_page_header2_t& header, char** page, uint32_t* width, uint32_t* height)
{
    DeviceEntry& entry = *job.entry;
    // Without a sheet there is no picture size to aim at.
    if (entry.media.mediaCode == -1 || entry.media.pictureWidthPx <= 0 || entry.media.pictureLengthPx <= 0)
        return true;
    const int xDpi = entry.photoBuffer.resolutionMode == 2 ? 600 : 300;
    const int yDpi = static_cast<int>(entry.photoBuffer.resolution);
    const PageTarget target = TargetForPage(header, entry.media.pictureWidthPx, entry.media.pictureLengthPx, xDpi,
                                            yDpi, job.nameTurned);
    entry.photoBuffer.paperRotate = target.turned;
    if (!FitPage(page, header.cupsWidth, header.cupsHeight, header, target, xDpi, yDpi, job.wholePage))
        return false;
    *width = target.width;
    *height = target.height;
    return true;
}

// The page loop; answers the exit status.
int RunPages(Job& job)
{
    int pageCounter = 0;
    int slotCounter = 0;
    cups_page_header2_t header;
    while (cupsRasterReadHeader2(job.raster, &header)) {
        if (Canceled)
            return 0;
        const std::string problem = RasterHeaderProblem(header);
        if (!problem.empty()) {
            // Pictures not yet printed are dropped with the page: a job whose
            // input is broken must not print a half-filled sheet as if done.
            fprintf(stderr, "ERROR: Unsupported raster page %d: %s\n", pageCounter + 1, problem.c_str());
            return 1;
        }
        if (header.NumCopies > job.maxCopies) {
            // Raster input comes straight to us, past CUPS's own copy limit.
            fprintf(stderr, "ERROR: Raster page %d asks for %u copies; this printer makes at most %u\n",
                pageCounter + 1, header.NumCopies, job.maxCopies);
            return 1;
        }
        char* page = nullptr;
        const PageRead read = ReadPage(job.raster, header, &Canceled, &page);
        if (read == PageRead::Canceled)
            return 0;
        if (read == PageRead::NoMemory) {
            fprintf(stderr, "ERROR: Not enough memory for raster page %d\n", pageCounter + 1);
            return 1;
        }
        if (Canceled) {
            free(page);
            return 0;
        }
        uint32_t width = header.cupsWidth;
        uint32_t height = header.cupsHeight;
        if (!FitToPicture(job, header, &page, &width, &height)) {
            free(page);
            fprintf(stderr, "ERROR: Not enough memory to scale raster page %d\n", pageCounter + 1);
            return 1;
        }
        _tagBITMAPHANDLE* picture = job.entry->MakeImageData(page, width, height, slotCounter);
        if (picture == nullptr) {
            // Skipping the page would print the job short without a word.
            fprintf(stderr, "ERROR: Not enough memory to process raster page %d\n", pageCounter + 1);
            return 1;
        }
        const bool placed = PlaceCopies(job, picture, header.NumCopies, slotCounter);
        ReleasePicture(picture);
        if (!placed)
            return 0;
        ++pageCounter;
    }
    if (!job.input.endSeen && !Canceled) {
        fprintf(stderr, "ERROR: Unreadable header of raster page %d\n", pageCounter + 1);
        return 1;
    }
    if (!Canceled && slotCounter > 0)
        FlushPrint(*job.entry, slotCounter);
    return 0;
}

}  // namespace

int PrinterStatusCheck(char* jobId, int, cups_option_t*)
{
    const std::string path = JobFilePath(jobId);
    // A job id that names no job file, or a name that long, could not be
    // formed by the backend either.
    if (path.empty() || path.size() > kJobFilePathMax)
        return 0;
    // Only our backend announces jobs: behind another one no file will come.
    const char* uri = getenv("DEVICE_URI");
    if (uri != nullptr && strncmp(uri, kOurScheme, strlen(kOurScheme)) != 0)
        return 0;
    // Looked for often, so that a job loses no time once the backend is
    // ready; a file that stays incomplete is taken as it is after a while.
    int partialPolls = 0;
    for (int poll = 0; poll < kJobFileWaitPolls && !Canceled; ++poll) {
        const JobFileState state = JobFileAnnounced(jobId);
        if (state == JobFileState::Complete || (state == JobFileState::Partial && ++partialPolls >= kPartialPolls))
            return 0;
        usleep(kJobFilePollMicroseconds);
    }
    return 0;
}

int RunFilter(int argc, char** argv)
{
    if (argc != 6 && argc != 7)
        return 1;
    int fd = 0;
    if (argc == 7) {
        fd = open(argv[6], O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            sleep(1);
            return 1;
        }
    }
    Job job;
    job.jobId = argv[1];
    job.optionCount = cupsParseOptions(argv[5], 0, &job.options);
    job.ppd = wrappedPpdOpenFile(getenv("PPD"));
    job.maxCopies = MaxCopies(job.ppd);

    Canceled = 0;
    InstallCancelHandler();
    PrinterStatusCheck(job.jobId, job.optionCount, job.options);

    if (Canceled) {
        Finish(job);
        return 0;
    }
    // Printing on another paper than the one asked for wastes a sheet.
    if (const char* size = UnknownPageSize(job.optionCount, job.options, job.ppd)) {
        fprintf(stderr, "ERROR: This printer has no paper of size \"%s\"\n", size);
        Finish(job);
        return 1;
    }
    job.input.fd = fd;
    job.raster = cupsRasterOpenIO(ReadRaster, &job.input, CUPS_RASTER_READ);
    job.entry = new (std::nothrow) DeviceEntry_ZR();
    int status = 0;
    if (job.entry != nullptr) {
        ConfigureEntry(*job.entry, job.optionCount, job.options, job.ppd);
        job.nameTurned = job.entry->photoBuffer.paperRotate;
        job.wholePage = FitWholePage(job.optionCount, job.options);
        job.layoutNum = job.entry->GetMultiLayoutNum(job.jobId);
        if (job.raster != nullptr)
            status = RunPages(job);
    }
    Finish(job);
    if (fd > 0)
        close(fd);
    return status;
}
