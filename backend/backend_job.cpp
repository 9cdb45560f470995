#include "backend_job.h"

#include "backend_files.h"
#include "job_stream.h"
#include "printer_watch.h"
#include "queue_registration.h"
#include "serial_number.h"
#include "usb_printer.h"
#include "usb_transport.h"

#include <cups/backend.h>
#include <unistd.h>

#include <memory>

volatile std::sig_atomic_t gCancelled = 0;

namespace {

using zr_backend::ClaimedPrinter;
using zr_backend::Wait;

constexpr int kDiscoveryWaitSeconds = 3;
// How long a job waits for its printer to be plugged in before CUPS is asked
// to try the job again later.
constexpr int kAbsentWaitSeconds = 60;
constexpr int kAbsentPollSeconds = 2;

struct Context {
    libusb_context* usb = nullptr;
    Context() { libusb_init(&usb); }
    ~Context()
    {
        if (usb != nullptr)
            libusb_exit(usb);
    }
};

// Text safe inside a double-quoted field of a device line.
std::string Quotable(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            ? '?'
            : c;
    return out;
}

enum class Found { Ok, Absent, Busy, Cancelled };

// Claims the printer whose serial number is `serial`, looking at every ZR.
Found FindPrinter(libusb_context* usb, const std::string& serial, ClaimedPrinter& printer, FILE* log)
{
    std::vector<libusb_device*> devices = zr_backend::ZrDevices(usb);
    Found result = Found::Absent;
    for (libusb_device* device : devices) {
        const auto claim = printer.Take(device, zr_backend::LongestDaemonAccessSeconds(), &gCancelled);
        if (claim == ClaimedPrinter::Claim::Cancelled) {
            result = Found::Cancelled;
            break;
        }
        if (claim == ClaimedPrinter::Claim::Busy) {
            fprintf(log, "DEBUG: A ZR printer's interface 0 stayed busy for %d seconds\n",
                zr_backend::LongestDaemonAccessSeconds());
            result = Found::Busy;
            continue;
        }
        if (claim != ClaimedPrinter::Claim::Ok)
            continue;
        if (zr_backend::Identify(device, printer.Handle()).serial == serial) {
            result = Found::Ok;
            break;
        }
        printer.Give();
    }
    zr_backend::UnrefAll(devices);
    return result;
}

int Cancelled(FILE* log)
{
    fprintf(log, "INFO: Job cancelled\n");
    return CUPS_BACKEND_OK;
}

// The end of a job that did not finish: never reported as completed.
int Unfinished(Wait why, int printed, int sent, FILE* log)
{
    switch (why) {
    case Wait::Cancelled:
        return Cancelled(log);
    case Wait::Gone:
        fprintf(log, "ERROR: The printer stopped answering after %d of %d prints\n", printed, sent);
        // Only a job of which no print reached the printer can be sent again
        // whole without risking a print twice.
        return sent == 0 ? CUPS_BACKEND_RETRY : CUPS_BACKEND_FAILED;
    case Wait::Stalled:
        fprintf(log, "ERROR: The printer stopped printing after %d of %d prints\n", printed, sent);
        return CUPS_BACKEND_FAILED;
    case Wait::Ready:
        break;
    }
    return CUPS_BACKEND_OK;
}

// Set between the stream and the printer: each sheet waits for media that
// can print it, each print for a printer without error, and the prints sent
// are counted.
struct Gate {
    // The sink result that stops the stream while the printer is waited for.
    static constexpr int kHeld = 1000;

    libusb_device_handle* handle;
    zr_backend::PrinterWatch& watch;
    int prints = 0;
    Wait held = Wait::Ready;

    int operator()(const unsigned char* data, size_t length)
    {
        const bool start = RecordIs(data, length, "CNTRL", "START");
        if (RecordIs(data, length, "IMAGE", "MULTICUT"))
            held = watch.UntilMediaTakes(static_cast<int>(RecordNumber(data, length)));
        else if (start)
            held = watch.UntilReady();
        if (held != Wait::Ready)
            return kHeld;
        const int result = deviceWrite(handle, data, static_cast<int>(length));
        if (result == 0 && start)
            ++prints;
        return result;
    }
};

int SendAndConfirm(const JobRequest& job, libusb_device_handle* handle, zr_backend::PrinterWatch& watch, FILE* log)
{
    Gate gate{handle, watch};
    const RecordSink toPrinter = [&gate](const unsigned char* data, size_t length) { return gate(data, length); };
    StreamResult sent;
    for (int copy = 0; copy < job.copies && !gCancelled; ++copy) {
        if (copy > 0 && lseek(job.inputFd, 0, SEEK_SET) != 0)
            break;
        sent = SendStream(job.inputFd, toPrinter, &gCancelled);
        if (sent.sinkResult != 0 || sent.readFailed || sent.cancelled || !sent.framed)
            break;
    }
    fprintf(log, "DEBUG: Sent %zu bytes in %zu writes, %d prints\n", sent.bytes, sent.records, gate.prints);
    if (sent.cancelled || gCancelled)
        return Cancelled(log);
    if (sent.sinkResult == Gate::kHeld)
        return Unfinished(gate.held, 0, gate.prints, log);
    if (sent.readFailed) {
        fprintf(log, "ERROR: Cannot read the print data\n");
        return CUPS_BACKEND_FAILED;
    }
    if (sent.sinkResult != 0) {
        fprintf(log, "ERROR: The printer stopped taking data (%s)\n",
            sent.sinkResult < 0 ? libusb_error_name(sent.sinkResult) : "bad record");
        const bool again = sent.sinkResult == LIBUSB_ERROR_NO_DEVICE && gate.prints == 0;
        return again ? CUPS_BACKEND_RETRY : CUPS_BACKEND_FAILED;
    }
    if (!sent.framed) {
        // Bytes that are not our records never reach the printer.
        fprintf(log, "ERROR: The print data is not a ZR command stream%s\n",
            sent.bytes == 0 ? "; nothing was sent to the printer" : "");
        return CUPS_BACKEND_FAILED;
    }
    fprintf(log, "INFO: Print data sent, waiting for the prints\n");
    fflush(log);
    int printed = 0;
    const Wait done = watch.UntilPrinted(gate.prints, &printed);
    watch.ReportMedia();
    if (done != Wait::Ready)
        return Unfinished(done, printed, gate.prints, log);
    fprintf(log, "INFO: %d of %d prints made\n", printed, gate.prints);
    return CUPS_BACKEND_OK;
}

}  // namespace

std::string SerialOfUri(const std::string& uri)
{
    const std::string prefix = DeviceUri("");
    if (uri.compare(0, prefix.size(), prefix) != 0)
        return std::string();
    const std::string serial = uri.substr(prefix.size());
    return IsAcceptableSerial(serial.c_str()) ? serial : std::string();
}

int RunDiscovery(FILE* out, FILE* log)
{
    Context context;
    if (context.usb == nullptr) {
        fprintf(log, "DEBUG: USB is not available\n");
        return CUPS_BACKEND_OK;
    }
    std::vector<libusb_device*> devices = zr_backend::ZrDevices(context.usb);
    for (libusb_device* device : devices) {
        ClaimedPrinter printer;
        if (printer.Take(device, kDiscoveryWaitSeconds, &gCancelled) != ClaimedPrinter::Claim::Ok)
            continue;
        const zr_backend::PrinterIdentity id = zr_backend::Identify(device, printer.Handle());
        if (!id.isZr || id.serial.empty())
            continue;
        fprintf(out, "direct %s \"KORVANE ZR\" \"KORVANE ZR (serial %s)\" \"%s\" \"\"\n",
            DeviceUri(id.serial.c_str()).c_str(), id.serial.c_str(), Quotable(id.deviceId).c_str());
    }
    zr_backend::UnrefAll(devices);
    fflush(out);
    return CUPS_BACKEND_OK;
}

int RunJob(const JobRequest& job, FILE* log)
{
    const std::string serial = SerialOfUri(job.deviceUri);
    if (serial.empty()) {
        fprintf(log, "ERROR: Not a ZR device URI: %s\n", Quotable(job.deviceUri).c_str());
        return CUPS_BACKEND_STOP;
    }
    const std::string jobPath = zr_backend::JobFilePath(job.jobId.c_str());
    if (jobPath.empty()) {
        fprintf(log, "ERROR: Unusable job id\n");
        return CUPS_BACKEND_FAILED;
    }
    // Announced first, so that the daemon starts no new access while the
    // printer is looked for and the job is sent.
    TmpFile pause;
    if (!pause.Create(PauseFilePath(serial.c_str()), std::string())) {
        fprintf(log, "ERROR: Cannot create the pause file in /tmp\n");
        return CUPS_BACKEND_RETRY;
    }
    Context context;
    if (context.usb == nullptr) {
        fprintf(log, "ERROR: USB is not available\n");
        return CUPS_BACKEND_RETRY;
    }

    fprintf(log, "STATE: +connecting-to-device\nINFO: Looking for the printer (serial %s)\n", serial.c_str());
    fflush(log);
    ClaimedPrinter printer;
    Found found = Found::Absent;
    for (int waited = 0;; waited += kAbsentPollSeconds) {
        found = FindPrinter(context.usb, serial, printer, log);
        if (found != Found::Absent || waited >= kAbsentWaitSeconds)
            break;
        if (waited == 0) {
            fprintf(log, "STATE: +offline-report\nINFO: Waiting for the printer (serial %s) to be connected\n",
                serial.c_str());
            fflush(log);
        }
        for (int s = 0; s < kAbsentPollSeconds && !gCancelled; ++s)
            sleep(1);
        if (gCancelled) {
            found = Found::Cancelled;
            break;
        }
    }
    fprintf(log, "STATE: -connecting-to-device\n");
    if (found == Found::Cancelled)
        return Cancelled(log);
    if (found != Found::Ok) {
        fprintf(log, "ERROR: %s\n",
            found == Found::Busy ? "The printer stayed busy" : "The printer is not connected");
        return CUPS_BACKEND_RETRY;
    }
    fprintf(log, "STATE: -offline-report\n");

    // The media left is published first, so clients see it while a job
    // waits for an error to clear; a set changed meanwhile is read again.
    zr_backend::PrinterWatch watch(printer.Handle(), log, &gCancelled);
    watch.ReportMedia();
    if (const Wait ready = watch.UntilReady(); ready != Wait::Ready)
        return Unfinished(ready, 0, 0, log);
    watch.ReportMedia();

    // The filter waits for this file before it reads its pages; a media set
    // that takes two-up sheets lets it put two pictures on one.
    TmpFile jobFile;
    if (!jobFile.Create(jobPath, "MEDIA_SIZE=\"" + watch.MediaText() + "\"\n")) {
        fprintf(log, "ERROR: Cannot create the job file in /tmp\n");
        return CUPS_BACKEND_RETRY;
    }
    fprintf(log, "INFO: Sending data to the printer\n");
    fflush(log);
    return SendAndConfirm(job, printer.Handle(), watch, log);
}
