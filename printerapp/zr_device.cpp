#include "zr_device.h"

#include "printer_queries.h"
#include "shared_files.h"
#include "usb_printer.h"
#include "usb_transport.h"

#include <pappl/pappl.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr const char* kUriPrefix = "korvane-zr://KORVANE/ZR?serial=";
// How long an open waits for interface 0 while the daemon or a backend is
// inside an access. PAPPL tries a job's open again every 5 seconds, so a
// short wait keeps status requests quick without losing jobs.
constexpr int kClaimWaitSeconds = 3;

}  // namespace

struct ZrLink {
    libusb_context* usb = nullptr;
    zr_backend::ClaimedPrinter printer;
    TmpFile pause;
    std::string serial;

    ~ZrLink()
    {
        printer.Give();
        pause.Remove();
        if (usb != nullptr)
            libusb_exit(usb);
    }
};

libusb_device_handle* LinkHandle(ZrLink* link)
{
    return link != nullptr ? link->printer.Handle() : nullptr;
}

const std::string& LinkSerial(ZrLink* link)
{
    return link->serial;
}

std::string AppDeviceUri(const std::string& serial)
{
    return kUriPrefix + serial;
}

std::string SerialOfAppUri(const char* uri)
{
    const size_t prefix = strlen(kUriPrefix);
    if (uri == nullptr || strncmp(uri, kUriPrefix, prefix) != 0 || !IsAcceptableSerial(uri + prefix))
        return std::string();
    return uri + prefix;
}

namespace {

bool ListPrinters(pappl_device_cb_t cb, void* data, pappl_deverror_cb_t err_cb, void* err_data)
{
    libusb_context* usb = nullptr;
    if (libusb_init(&usb) != 0) {
        if (err_cb != nullptr)
            err_cb("USB is not available", err_data);
        return false;
    }
    bool stop = false;
    std::vector<libusb_device*> devices = ZrDevices(usb);
    for (libusb_device* device : devices) {
        if (stop)
            break;
        zr_backend::ClaimedPrinter printer;
        if (printer.Take(device, kClaimWaitSeconds, nullptr) != zr_backend::ClaimedPrinter::Claim::Ok)
            continue;
        const zr_backend::PrinterIdentity id = zr_backend::Identify(device, printer.Handle());
        printer.Give();
        if (!id.isZr || id.serial.empty())
            continue;
        const std::string info = "KORVANE ZR (serial " + id.serial + ")";
        stop = cb(info.c_str(), AppDeviceUri(id.serial).c_str(), id.deviceId.c_str(), data);
    }
    UnrefAll(devices);
    libusb_exit(usb);
    return stop;
}

bool OpenPrinter(pappl_device_t* device, const char* uri, const char*)
{
    auto link = std::make_unique<ZrLink>();
    link->serial = SerialOfAppUri(uri);
    if (link->serial.empty()) {
        papplDeviceError(device, "Not a ZR device URI: %s", uri);
        return false;
    }
    // Announced before the printer is looked for, as the backend does: the
    // daemon starts no new access once it sees the file.
    if (!link->pause.Create(SharedTmpPath(PauseFileName(link->serial.c_str())), std::string())) {
        papplDeviceError(device, "Cannot create the pause file in /tmp");
        return false;
    }
    if (libusb_init(&link->usb) != 0) {
        link->usb = nullptr;
        papplDeviceError(device, "USB is not available");
        return false;
    }
    std::vector<libusb_device*> devices = ZrDevices(link->usb);
    bool found = false;
    bool busy = false;
    for (libusb_device* candidate : devices) {
        const auto claim = link->printer.Take(candidate, kClaimWaitSeconds, nullptr);
        busy = busy || claim == zr_backend::ClaimedPrinter::Claim::Busy;
        if (claim != zr_backend::ClaimedPrinter::Claim::Ok)
            continue;
        if (zr_backend::Identify(candidate, link->printer.Handle()).serial == link->serial) {
            found = true;
            break;
        }
        link->printer.Give();
    }
    UnrefAll(devices);
    if (!found) {
        papplDeviceError(device, busy ? "The printer (serial %s) is busy" : "The printer (serial %s) is not connected",
            link->serial.c_str());
        return false;
    }
    papplDeviceSetData(device, link.release());
    return true;
}

void ClosePrinter(pappl_device_t* device)
{
    delete static_cast<ZrLink*>(papplDeviceGetData(device));
    papplDeviceSetData(device, nullptr);
}

// Records go to the printer through the job's own path (zr_job.cpp), one
// write each; nothing is read or written through PAPPL's byte interface.
ssize_t ReadNothing(pappl_device_t*, void*, size_t)
{
    return -1;
}

ssize_t WriteNothing(pappl_device_t*, const void*, size_t)
{
    return -1;
}

pappl_preason_t NoStatus(pappl_device_t*)
{
    return PAPPL_PREASON_NONE;
}

char* DeviceIdOf(pappl_device_t* device, char* buffer, size_t size)
{
    ZrLink* link = static_cast<ZrLink*>(papplDeviceGetData(device));
    if (buffer == nullptr || size == 0 || link == nullptr || link->printer.Handle() == nullptr)
        return nullptr;
    std::vector<char> id(2048, '\0');
    if (get_device_id(link->printer.Handle(), id.data(), id.size()) != 0)
        return nullptr;
    strncpy(buffer, id.data(), size - 1);
    buffer[size - 1] = '\0';
    return buffer;
}

}  // namespace

void AddZrScheme()
{
    papplDeviceAddScheme("korvane-zr", PAPPL_DEVTYPE_USB, ListPrinters, OpenPrinter, ClosePrinter, ReadNothing,
        WriteNothing, NoStatus, DeviceIdOf);
}
