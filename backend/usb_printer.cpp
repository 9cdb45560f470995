#include "usb_printer.h"

#include "printer_queries.h"
#include "queue_registration.h"
#include "usb_transport.h"

#include <unistd.h>

#include <cstring>

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
        libusb_release_interface(handle, zr_usb::kInterface);
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
        if (libusb_kernel_driver_active(handle, zr_usb::kInterface) == 1)
            libusb_detach_kernel_driver(handle, zr_usb::kInterface);
        const int r = libusb_claim_interface(handle, zr_usb::kInterface);
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

    libusb_device_descriptor descriptor;
    unsigned char product[256] = {};
    if (libusb_get_device_descriptor(device, &descriptor) == 0 && descriptor.iProduct != 0
        && libusb_get_string_descriptor_ascii(handle, descriptor.iProduct, product, sizeof product - 1) > 0) {
        const DeviceIdentity who = ParseDeviceId(deviceId);
        id.isZr = strstr(reinterpret_cast<char*>(product), "Photo Printer") != nullptr
            && who.manufacturer.find("KORVANE") != std::string::npos && who.model.find("ZR") != std::string::npos;
    }
    return id;
}

std::vector<libusb_device*> ZrDevices(libusb_context* context)
{
    std::vector<libusb_device*> found;
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &list);
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor d;
        if (libusb_get_device_descriptor(list[i], &d) == 0 && d.idVendor == kVendor && d.idProduct == kProduct)
            found.push_back(libusb_ref_device(list[i]));
    }
    if (list != nullptr)
        libusb_free_device_list(list, 1);
    return found;
}

void UnrefAll(std::vector<libusb_device*>& devices)
{
    for (libusb_device* d : devices)
        libusb_unref_device(d);
    devices.clear();
}

}  // namespace zr_backend
