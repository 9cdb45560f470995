// One record per attached ZR printer, the registry that holds them and the
// two locks the daemon shares between its main thread and monitor threads.
#pragma once

#include <libusb.h>
#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <vector>

struct thdata {
    pthread_t thread{};
    libusb_device_handle* handle = nullptr;  // open only during one USB access
    libusb_device* device = nullptr;         // referenced while the record lives
    char model[128] = {};
    char serialNo[64] = {};
    // Written by the main thread, read by the monitor thread once per pass.
    std::atomic<bool> bDetached{false};
    bool bModelOk = false;
    bool bSerialOk = false;
    bool bRegistered = false;
    int32_t fileFlags = 0;    // bit 0 watch file, bit 1 total-count request
    int32_t totalCount = -1;  // -1 until the counter was read once
    bool bClaimed = false;
    bool bMonitorSeen = false;
    bool bMonitorCountRead = false;
    bool bPrinting = false;
    bool bCountRefresh = false;
};

// Guards thDevData. May be taken while usb_openclose_mutex is held (hotplug
// callbacks run inside transfers; a departing thread checks the registry),
// never the other way round.
extern pthread_mutex_t m;
// Held by a monitor thread for one whole USB access, so the daemon talks to
// one printer at a time.
extern pthread_mutex_t usb_openclose_mutex;
extern std::vector<thdata*> thDevData;
extern bool bSELinuxEnabled;

// Fields of thdata that other modules size their buffers by.
constexpr int kSerialSize = sizeof(thdata::serialNo);
constexpr int kModelSize = sizeof(thdata::model);
