// Taking interface 0 of a ZR printer for a job and asking it who it is. The
// records travel, and the printer is found and claimed, through the shared
// transport (usb_transport.h).
#pragma once

#include <libusb.h>

#include <csignal>
#include <string>
#include <vector>

namespace zr_backend {

// The daemon's longest access to a printer once the pause file exists: a
// slow counter read waits 10 seconds between command and reply, and each of
// its two transfers may run to the bulk time-out. Interface 0 can be busy
// that long after the backend has announced its print.
int LongestDaemonAccessSeconds();

// An opened ZR printer with interface 0 claimed; released and closed when
// the object ends.
class ClaimedPrinter {
public:
    ClaimedPrinter() = default;
    ~ClaimedPrinter();
    ClaimedPrinter(const ClaimedPrinter&) = delete;
    ClaimedPrinter& operator=(const ClaimedPrinter&) = delete;

    enum class Claim { Ok, Busy, Gone, Failed, Cancelled };
    // Opens `device`, detaches the kernel's printer driver from interface 0
    // (as the daemon does; it is never re-attached) and claims it, trying
    // again while the interface is busy for up to `waitSeconds`.
    Claim Take(libusb_device* device, int waitSeconds, const volatile std::sig_atomic_t* cancel);
    void Give();
    libusb_device_handle* Handle() const { return handle; }

private:
    libusb_device_handle* handle = nullptr;
    bool claimed = false;
};

// What the printer says about itself, read with interface 0 claimed.
struct PrinterIdentity {
    std::string serial;    // "INFO"/"SERIAL_NUMBER"; empty if unreadable or unacceptable
    std::string deviceId;  // IEEE 1284 device ID
    bool isZr = false;     // product string, manufacturer and model as the daemon checks them
};
PrinterIdentity Identify(libusb_device* device, libusb_device_handle* handle);

}  // namespace zr_backend
