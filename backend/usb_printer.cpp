#include "usb_printer.h"

#include "printer_queries.h"
#include "usb_identity.h"
#include "usb_transport.h"

#include <unistd.h>


namespace zr_backend {

namespace {

constexpr int kSerialTries = 3;
constexpr useconds_t kBusyPollMicroseconds = 250000;

}  // namespace

int LongestDaemonAccessSeconds()
{
    return static_cast<int>(zr_usb::kSlowReplyWaitSeconds + 2 * zr_usb::kBulkTimeoutMs / 1000);
}

ClaimedPrinter::~ClaimedPrinter()
{
    Give();
}

void ClaimedPrinter::Give()
{
    if (claimed)
        ReleasePrinterInterface(handle);
    claimed = false;
    if (handle != nullptr)
        libusb_close(handle);
    handle = nullptr;
}

ClaimedPrinter::Claim ClaimedPrinter::Take(libusb_device* device, int waitSeconds,
    const volatile std::sig_atomic_t* cancel)
{
    Give();
    const int polls = waitSeconds * 1000000 / static_cast<int>(kBusyPollMicroseconds);
    for (int poll = 0;; ++poll) {
        if (cancel != nullptr && *cancel)
            return Claim::Cancelled;
        if (handle == nullptr) {
            const int r = libusb_open(device, &handle);
            if (r == LIBUSB_ERROR_NO_DEVICE)
                return Claim::Gone;
            if (r != 0) {
                handle = nullptr;
                return Claim::Failed;
            }
        }
        const int r = ClaimPrinterInterface(handle);
        if (r == 0) {
            claimed = true;
            return Claim::Ok;
        }
        if (r == LIBUSB_ERROR_NO_DEVICE) {
            Give();
            return Claim::Gone;
        }
        // Busy: the daemon (or another job's backend) is inside an access,
        // or a kernel driver still holds the interface.
        if (r != LIBUSB_ERROR_BUSY) {
            Give();
            return Claim::Failed;
        }
        if (poll >= polls) {
            Give();
            return Claim::Busy;
        }
        usleep(kBusyPollMicroseconds);
    }
}

PrinterIdentity Identify(libusb_device* device, libusb_device_handle* handle)
{
    PrinterIdentity id;
    // The serial number names files and goes into the URI: the daemon's
    // judgement of it is the only one, so both name the same printers.
    char text[kQueryOutSize];
    for (int i = 0; i < kSerialTries; ++i) {
        const SerialRead read = ReadSerialNumber(handle, text);
        if (read == SerialRead::Ok)
            id.serial = text;
        if (read == SerialRead::Ok || read == SerialRead::Refused)
            break;
        sleep(1);
    }

    char deviceId[2048] = {};
    if (get_device_id(handle, deviceId, sizeof deviceId) == 0)
        id.deviceId = deviceId;

    char product[256];
    id.isZr = ReadProductString(device, handle, product, sizeof product) && IsZrPrinter(product, deviceId);
    return id;
}

}  // namespace zr_backend
