#include "zr_job.h"

#include "device_entry_zr.h"
#include "print_steps.h"
#include "job_options.h"
#include "job_stream.h"
#include "page_fit.h"
#include "printer_queries.h"
#include "printer_watch.h"
#include "raster_page.h"
#include "usb_transport.h"
#include "zr_device.h"
#include "zr_status.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

using zr_backend::Wait;

constexpr int kStatusTries = 5;
constexpr int kCancelPollMillis = 100;

// Lines of the backend's kind (STATE:, INFO:) from the printer watch, turned
// into printer-state-reasons and the job's message.
struct Report {
    pappl_printer_t* printer = nullptr;
    pappl_job_t* job = nullptr;
    std::string pending;

    void Line(const std::string& line)
    {
        if (line.rfind("STATE: ", 0) == 0 && line.size() > 8) {
            const pappl_preason_t bit = ReasonBit(line.substr(8));
            if (line[7] == '+')
                papplPrinterSetReasons(printer, bit, PAPPL_PREASON_NONE);
            else if (line[7] == '-')
                papplPrinterSetReasons(printer, PAPPL_PREASON_NONE, bit);
        } else if (line.rfind("INFO: ", 0) == 0 && job != nullptr) {
            papplJobSetMessage(job, "%s", line.c_str() + 6);
        }
    }
};

ssize_t ReportWrite(void* cookie, const char* data, size_t size)
{
    Report* report = static_cast<Report*>(cookie);
    report->pending.append(data, size);
    for (size_t end; (end = report->pending.find('\n')) != std::string::npos;) {
        report->Line(report->pending.substr(0, end));
        report->pending.erase(0, end + 1);
    }
    return static_cast<ssize_t>(size);
}

FILE* OpenReport(Report* report)
{
    cookie_io_functions_t io = {};
    io.write = ReportWrite;
    FILE* file = fopencookie(report, "w", io);
    if (file != nullptr)
        setvbuf(file, nullptr, _IOLBF, 0);
    return file;
}

// The jobs being printed. PAPPL 1.3 can start one job twice when a job ends
// just as the next one's document arrives (two threads then print it); the
// second start waits here until the first has ended and then gives up, so
// the printer never gets one job's records twice or interleaved.
std::mutex gActiveLock;
std::condition_variable gActiveEnded;
std::set<pappl_job_t*> gActive;

struct ZrJob {
    pappl_job_t* job = nullptr;
    pappl_printer_t* printer = nullptr;
    libusb_device_handle* handle = nullptr;
    Report report;
    FILE* reportFile = nullptr;
    std::unique_ptr<zr_backend::PrinterWatch> watch;

    // Set while the job is cancelled; the watch's waits look at it.
    volatile std::sig_atomic_t cancelled = 0;
    std::atomic<bool> ended{false};
    std::thread canceller;

    // The filter's job: its device entry and options.
    std::unique_ptr<DeviceEntry_ZR> entry;
    std::vector<std::pair<std::string, std::string>> optionText;
    int optionCount = 0;
    cups_option_t* options = nullptr;
    bool configured = false;
    // Held open by a document of several pages that PAPPL's image code
    // prints one by one, each as a raster job of its own.
    bool document = false;
    bool twoUp = false;
    PageChoice choice;
    int layoutNum = 1;
    int slot = 0;

    // The stream the entry writes, cut into records for the printer.
    FILE* stream = nullptr;
    std::string pendingBytes;
    int prints = 0;
    Wait held = Wait::Ready;
    int writeResult = 0;

    // The page being received; grey pages are widened to RGB.
    bool gray = false;
    char* page = nullptr;
    unsigned width = 0, height = 0;
    size_t stride = 0;

    ~ZrJob()
    {
        {
            std::lock_guard<std::mutex> hold(gActiveLock);
            gActive.erase(job);
        }
        gActiveEnded.notify_all();
        ended = true;
        if (canceller.joinable())
            canceller.join();
        if (stream != nullptr)
            fclose(stream);
        entry.reset();
        free(page);
        cupsFreeOptions(optionCount, options);
        watch.reset();
        if (reportFile != nullptr)
            fclose(reportFile);
    }

    bool Failed() const { return held != Wait::Ready || writeResult != 0; }

    // One record to the printer, as the backend's gate passes it.
    void Record(const unsigned char* data, size_t length)
    {
        if (Failed())
            return;
        const bool start = RecordIs(data, length, "CNTRL", "START");
        if (RecordIs(data, length, "IMAGE", "MULTICUT"))
            held = watch->UntilMediaTakes(static_cast<int>(RecordNumber(data, length)));
        else if (start)
            held = watch->UntilReady();
        if (held != Wait::Ready)
            return;
        writeResult = deviceWrite(handle, data, static_cast<int>(length));
        if (writeResult == 0 && start)
            ++prints;
    }
};

// Bytes from the device entry: whole records (32-byte header, its data
// length in the last eight characters) go on one by one.
ssize_t StreamWrite(void* cookie, const char* data, size_t size)
{
    ZrJob* z = static_cast<ZrJob*>(cookie);
    z->pendingBytes.append(data, size);
    size_t used = 0;
    while (z->pendingBytes.size() - used >= static_cast<size_t>(DeviceCmd::kHeaderSize)) {
        const char* header = z->pendingBytes.data() + used;
        size_t dataLength = 0;
        if (header[24] != ' ')
            dataLength = static_cast<size_t>(strtoul(std::string(header + 24, 8).c_str(), nullptr, 10));
        const size_t length = DeviceCmd::kHeaderSize + dataLength;
        if (z->pendingBytes.size() - used < length)
            break;
        z->Record(reinterpret_cast<const unsigned char*>(header), length);
        used += length;
    }
    z->pendingBytes.erase(0, used);
    return static_cast<ssize_t>(size);
}

ZrJob* JobOf(pappl_job_t* job)
{
    return static_cast<ZrJob*>(papplJobGetData(job));
}

bool IsOurDevice(pappl_printer_t* printer)
{
    return !SerialOfAppUri(papplPrinterGetDeviceURI(printer)).empty();
}

// The job's options for the filter's handlers, from its first page.
bool Configure(ZrJob* z, pappl_pr_options_t* options)
{
    const cups_page_header2_t& h = options->header;
    const bool landscape = h.cupsWidth > h.cupsHeight;
    if (!ChoosePage(options->media.size_name, landscape, z->twoUp, h.HWResolution[0], h.HWResolution[1],
            &z->choice)) {
        papplLogJob(z->job, PAPPL_LOGLEVEL_ERROR, "No paper for media %s at %ux%u dpi", options->media.size_name,
            h.HWResolution[0], h.HWResolution[1]);
        return false;
    }
    z->optionText = FilterOptions(options->num_vendor, options->vendor);
    z->optionText.emplace_back("PageSize", z->choice.pageSize);
    z->optionText.emplace_back("Resolution", ResolutionChoice(h.HWResolution[0], h.HWResolution[1]));
    for (const auto& o : z->optionText)
        z->optionCount = cupsAddOption(o.first.c_str(), o.second.c_str(), z->optionCount, &z->options);

    ConfigureEntry(*z->entry, z->optionCount, z->options, nullptr);
    // Two pictures on one sheet need a two-up size and media that takes the
    // two-up sheet, as the backend's job file tells the filter.
    const int code = z->entry->media.mediaCode;
    const zr_backend::MediaLevel loaded = z->watch->ReportMedia();
    z->layoutNum = z->entry->multiCut && (code == 1 || code == 3) && zr_backend::MediaAllowsTwoUp(loaded.code) ? 2 : 1;
    z->configured = true;
    return !z->Failed();
}

void Flush(ZrJob* z, int pictures)
{
    FlushPrint(*z->entry, pictures);
    fflush(z->stream);
}

bool Finish(ZrJob* z, bool ok)
{
    if (!ok && z->held == Wait::Ready && z->writeResult != 0)
        papplLogJob(z->job, PAPPL_LOGLEVEL_ERROR, "The printer stopped taking data (%s)",
            z->writeResult < 0 ? libusb_error_name(z->writeResult) : "bad record");
    return ok;
}

}  // namespace

bool ZrStartJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device)
{
    {
        std::unique_lock<std::mutex> hold(gActiveLock);
        if (gActive.count(job) != 0) {
            if (ZrJob* open = JobOf(job); open != nullptr && open->document)
                return !open->Failed();
            papplLogJob(job, PAPPL_LOGLEVEL_WARN, "Job started twice; this start waits and gives way");
            gActiveEnded.wait(hold, [job] { return gActive.count(job) == 0; });
            return false;
        }
        gActive.insert(job);
    }
    pappl_printer_t* printer = papplJobGetPrinter(job);
    auto z = std::make_unique<ZrJob>();
    z->job = job;
    if (!IsOurDevice(printer)) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "This driver prints only to korvane-zr:// devices");
        return false;
    }
    z->printer = printer;
    z->handle = LinkHandle(static_cast<ZrLink*>(papplDeviceGetData(device)));
    z->report.printer = printer;
    z->report.job = job;
    z->reportFile = OpenReport(&z->report);
    z->entry.reset(new (std::nothrow) DeviceEntry_ZR());
    cookie_io_functions_t io = {};
    io.write = StreamWrite;
    z->stream = fopencookie(z.get(), "w", io);
    if (z->handle == nullptr || z->reportFile == nullptr || z->entry == nullptr || z->stream == nullptr)
        return false;
    z->entry->SetOutput(z->stream);
    z->twoUp = WantsTwoUp(options->num_vendor, options->vendor);
    z->watch = std::make_unique<zr_backend::PrinterWatch>(z->handle, z->reportFile, &z->cancelled);

    ZrJob* raw = z.get();
    raw->canceller = std::thread([raw] {
        // A job cancelled, or the server shutting down, ends every wait.
        pappl_system_t* system = papplPrinterGetSystem(raw->printer);
        while (!raw->ended) {
            if (papplJobIsCanceled(raw->job) || papplSystemIsShutdown(system))
                raw->cancelled = 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(kCancelPollMillis));
        }
    });
    papplJobSetData(job, z.release());

    // The media left is published first, so clients see it while the job
    // waits for an error to clear.
    PublishMedia(printer, raw->watch->ReportMedia());
    raw->held = raw->watch->UntilReady();
    if (raw->held == Wait::Ready)
        return true;
    // No end-of-job call follows a refused start.
    papplJobSetData(job, nullptr);
    delete raw;
    return false;
}

bool ZrStartPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device, unsigned)
{
    if (JobOf(job) == nullptr && !ZrStartJob(job, options, device))
        return false;
    ZrJob* z = JobOf(job);
    const cups_page_header2_t& h = options->header;
    z->gray = h.cupsBitsPerColor == 8 && h.cupsBitsPerPixel == 8 && h.cupsColorOrder == CUPS_ORDER_CHUNKED
        && (h.cupsColorSpace == CUPS_CSPACE_SW || h.cupsColorSpace == CUPS_CSPACE_W);
    const std::string problem = z->gray ? std::string() : RasterHeaderProblem(h);
    if (!problem.empty()) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Unsupported raster page: %s", problem.c_str());
        return false;
    }
    if (!z->configured && !Configure(z, options))
        return false;
    free(z->page);
    z->width = options->header.cupsWidth;
    z->height = options->header.cupsHeight;
    z->stride = PageRowStride(z->width);
    z->page = static_cast<char*>(calloc(z->stride, z->height));
    if (z->page == nullptr) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Not enough memory for a page of %ux%u", z->width, z->height);
        return false;
    }
    return true;
}

bool ZrWriteLine(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned y, const unsigned char* line)
{
    ZrJob* z = JobOf(job);
    if (z == nullptr || z->page == nullptr)
        return false;
    // The photo buffer takes pages bottom-up: raster line 0 is the last row.
    if (y >= z->height)
        return true;
    char* row = z->page + z->stride * (z->height - 1 - y);
    if (!z->gray) {
        memcpy(row, line, 3 * static_cast<size_t>(z->width));
        return true;
    }
    for (unsigned x = 0; x < z->width; ++x)
        row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = static_cast<char>(line[x]);
    return true;
}

bool ZrEndPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned)
{
    ZrJob* z = JobOf(job);
    if (z == nullptr || z->page == nullptr)
        return false;
    // The filter's own step: a page of another size than the sheet's raster
    // is scaled to cover it and cropped evenly (sizes in pixels: the page
    // was rendered at the job's resolution).
    char* page = z->page;
    z->page = nullptr;
    const cups_page_header2_t pixels{};
    const PageTarget target{static_cast<uint32_t>(z->choice.width), static_cast<uint32_t>(z->choice.height), false};
    if (!FitPage(&page, z->width, z->height, pixels, target, 300, 300, false)) {
        free(page);
        page = nullptr;
    }
    if (page == nullptr) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Not enough memory to fit the page to the sheet");
        return false;
    }
    _tagBITMAPHANDLE* picture = z->entry->MakeImageData(page, z->choice.width, z->choice.height, z->slot);
    if (picture == nullptr) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Not enough memory to process the page");
        return false;
    }
    // PAPPL repeats pictures for copies itself; raster pages come once and
    // their copies are made here, each page's copies in a row as the filter
    // makes them.
    const char* format = papplJobGetFormat(job);
    const bool raster = format != nullptr && (!strcmp(format, "image/pwg-raster") || !strcmp(format, "image/urf"));
    const int copies = raster ? std::max(1, options->copies) : 1;
    for (int c = 0; c < copies && !z->Failed() && !z->cancelled; ++c) {
        z->entry->SetImageData(z->slot, picture);
        if (++z->slot >= z->layoutNum) {
            Flush(z, z->slot);
            z->slot = 0;
        }
    }
    IL_FreeBitmap(picture);
    GlobalFree(picture);
    return Finish(z, !z->Failed() && !z->cancelled);
}

bool ZrEndJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*)
{
    if (ZrJob* open = JobOf(job); open != nullptr && open->document)
        return !open->Failed() && !open->cancelled;
    std::unique_ptr<ZrJob> z(JobOf(job));
    papplJobSetData(job, nullptr);
    if (z == nullptr)
        return false;
    if (z->slot > 0 && !z->Failed() && !z->cancelled)
        Flush(z.get(), z->slot);
    if (z->Failed() || z->cancelled)
        return Finish(z.get(), false);
    papplJobSetMessage(job, "Waiting for %d print%s to come out", z->prints, z->prints == 1 ? "" : "s");
    int printed = 0;
    const Wait done = z->watch->UntilPrinted(z->prints, &printed);
    PublishMedia(z->printer, z->watch->ReportMedia());
    if (done != Wait::Ready) {
        if (done != Wait::Cancelled)
            papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The printer stopped after %d of %d prints", printed, z->prints);
        return false;
    }
    papplJobSetMessage(job, "%d of %d prints made", printed, z->prints);
    return true;
}

bool ZrStartDocument(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device)
{
    if (!ZrStartJob(job, options, device))
        return false;
    JobOf(job)->document = true;
    return true;
}

bool ZrEndDocument(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device)
{
    if (ZrJob* open = JobOf(job))
        open->document = false;
    return ZrEndJob(job, options, device);
}

bool ZrPrintStream(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device)
{
    const int fd = open(papplJobGetFilename(job), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !ZrStartJob(job, options, device)) {
        if (fd >= 0)
            close(fd);
        std::unique_ptr<ZrJob> z(JobOf(job));
        papplJobSetData(job, nullptr);
        return false;
    }
    ZrJob* z = JobOf(job);
    const StreamResult sent = SendStream(
        fd, [z](const unsigned char* data, size_t length) {
            z->Record(data, length);
            return z->Failed() ? 1 : 0;
        },
        &z->cancelled);
    close(fd);
    if (!sent.framed && !z->Failed()) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The document is not a ZR command stream");
        z->held = Wait::Stalled;
    }
    return ZrEndJob(job, options, device);
}

bool ZrStatus(pappl_printer_t* printer)
{
    if (!IsOurDevice(printer))
        return false;
    pappl_device_t* device = papplPrinterOpenDevice(printer);
    if (device == nullptr) {
        // Busy with a job, or gone: a job reports for itself; a printer that
        // cannot be opened and has no job is offline.
        if (papplPrinterGetState(printer) != IPP_PSTATE_PROCESSING)
            papplPrinterSetReasons(printer, PAPPL_PREASON_OFFLINE, PAPPL_PREASON_NONE);
        return true;
    }
    libusb_device_handle* handle = LinkHandle(static_cast<ZrLink*>(papplDeviceGetData(device)));
    long status = kStatusFailed;
    for (int i = 0; i < kStatusTries && status == kStatusFailed && handle != nullptr; ++i)
        status = GetStatus(handle);
    if (status == kStatusFailed) {
        papplPrinterSetReasons(printer, PAPPL_PREASON_OFFLINE, kZrReasons & ~PAPPL_PREASON_OFFLINE);
    } else {
        const pappl_preason_t now = StatusReason(status);
        papplPrinterSetReasons(printer, now, (kZrReasons & ~PAPPL_PREASON_MARKER_SUPPLY_LOW) & ~now);
        // The watch reads the media as it does for the backend; its report
        // lines set the low-media reason.
        Report report;
        report.printer = printer;
        FILE* log = OpenReport(&report);
        if (log != nullptr) {
            zr_backend::PrinterWatch watch(handle, log, nullptr);
            PublishMedia(printer, watch.ReportMedia());
            fclose(log);
        }
    }
    papplPrinterCloseDevice(printer);
    return true;
}
