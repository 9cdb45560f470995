// A USB bus with emulated ZR printers, built on umockdev. The process that
// owns the bus must run under umockdev's preload (umockdev-wrapper); libusb
// programs started from it (with its environment) see the printers, get
// hotplug arrivals and departures, and talk to the printer models below.
#pragma once

#include "zr_printer_model.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace zrsim {

struct DeviceOptions {
    uint16_t vendor = 0x1343;
    uint16_t product = 0x0005;
    // The kernel's printer driver holds interface 0 until it is detached.
    bool kernelDriverBound = false;
    bool detachRefused = false;
};

// One USB request seen by an emulated device, in the order they happened.
struct AccessEntry {
    enum Kind { Open, Claim, Release, Control, BulkOut, BulkIn, Detach, Other, Vanish };
    int device;
    Kind kind;
    std::chrono::steady_clock::time_point when;
};

struct EmulatedDevice;

class EmulatedBus {
public:
    EmulatedBus();
    ~EmulatedBus();
    EmulatedBus(const EmulatedBus&) = delete;
    EmulatedBus& operator=(const EmulatedBus&) = delete;

    // True when this process runs under umockdev's preload.
    static bool Available();

    // Plugs a device in (announced as a hotplug arrival). Answers its id.
    int Plug(std::shared_ptr<ZrPrinterModel> model, DeviceOptions options = DeviceOptions());
    // Pulls it out: in-flight transfers end, later requests fail, and the
    // departure is announced.
    void Unplug(int id);
    std::shared_ptr<ZrPrinterModel> Model(int id) const;
    // /dev/bus/usb/... path of the device, for in-process libusb tests.
    std::string DevNode(int id) const;

    std::vector<AccessEntry> Log() const;
    void ClearLog();
    // Times the device was opened (GET_CAPABILITIES seen).
    int Opens(int id) const;
    // Empty when no device was ever addressed while another was open
    // (between its open and its interface release); else a description.
    std::string SerialisationViolation() const;

    // Called by the request handler.
    void Record(int device, AccessEntry::Kind kind);

private:
    void WatchUnplugRequests();
    int NextAddress(int id);

    UMockdevTestbed* testbed = nullptr;
    std::string root;
    mutable std::mutex lock;
    std::map<int, std::unique_ptr<EmulatedDevice>> devices;
    std::vector<AccessEntry> log;
    int nextId = 2;
    // Bus addresses as the kernel hands them out: 2..127 (1 is the root
    // hub), the next free one after the last given, wrapping round.
    int nextDevnum = 2;
    std::map<int, int> addressOwner;  // address -> id of the device at it
    std::atomic<bool> stopping{false};
    std::thread watcher;
};

}  // namespace zrsim
