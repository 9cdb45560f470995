#include "backend_job.h"

#include "backend_files.h"
#include "job_stream.h"
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
    const std::string jobPath = JobFilePath(job.jobId.c_str());
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

    // The filter waits for this file before it reads its pages; a known
    // media size lets it put two pictures on one sheet.
    const std::string media = zr_backend::MediaSize(printer.Handle());
    TmpFile jobFile;
    if (!jobFile.Create(jobPath, "MEDIA_SIZE=\"" + media + "\"\n")) {
        fprintf(log, "ERROR: Cannot create the job file in /tmp\n");
        return CUPS_BACKEND_RETRY;
    }
    fprintf(log, "DEBUG: Loaded media reported as \"%s\"\nINFO: Sending data to the printer\n", media.c_str());
    fflush(log);

    libusb_device_handle* handle = printer.Handle();
    const RecordSink toPrinter = [handle](const unsigned char* data, size_t length) {
        return deviceWrite(handle, data, static_cast<int>(length));
    };
    StreamResult sent;
    for (int copy = 0; copy < job.copies && !gCancelled; ++copy) {
        if (copy > 0 && lseek(job.inputFd, 0, SEEK_SET) != 0)
            break;
        sent = SendStream(job.inputFd, toPrinter, &gCancelled);
        if (sent.sinkResult != 0 || sent.readFailed || sent.cancelled)
            break;
    }
    fprintf(log, "DEBUG: Sent %zu bytes in %zu writes\n", sent.bytes, sent.records);
    if (!sent.framed)
        fprintf(log, "DEBUG: The job is not made of printer command records; sent as it came\n");
    if (sent.cancelled || gCancelled)
        return Cancelled(log);
    if (sent.readFailed) {
        fprintf(log, "ERROR: Cannot read the print data\n");
        return CUPS_BACKEND_FAILED;
    }
    if (sent.sinkResult != 0) {
        fprintf(log, "ERROR: The printer stopped taking data (%s)\n",
            sent.sinkResult < 0 ? libusb_error_name(sent.sinkResult) : "bad record");
        return sent.sinkResult == LIBUSB_ERROR_NO_DEVICE ? CUPS_BACKEND_RETRY : CUPS_BACKEND_FAILED;
    }
    fprintf(log, "INFO: Print data sent\n");
    return CUPS_BACKEND_OK;
}
