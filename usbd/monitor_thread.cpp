#include "monitor_thread.h"

#include "control_files.h"
#include "info_file.h"
#include "queue_registration.h"
#include "usb_transport.h"

#include <unistd.h>

#include <cstring>

namespace {

thdata* FindRecord(libusb_device* device, thdata* current)
{
    pthread_mutex_lock(&m);
    if (!thDevData.empty()) {
        current = nullptr;
        for (thdata* r : thDevData) {
            if (r->device == device) {
                current = r;
                break;
            }
        }
    }
    pthread_mutex_unlock(&m);
    return current;
}

// One USB access, with the daemon-wide USB lock held throughout.
void Access(thdata* r, libusb_device* device)
{
    pthread_mutex_lock(&usb_openclose_mutex);
    if (libusb_open(device, &r->handle) == 0) {
        r->bClaimed = ClaimPrinterInterface(r->handle) == 0;
        if (r->bClaimed)
            getPrinterInfo(r);
    } else {
        r->handle = nullptr;
    }
    if (r->bClaimed) {
        ReleasePrinterInterface(r->handle);
        r->bClaimed = false;
    }
    if (r->handle != nullptr) {
        libusb_close(r->handle);
        r->handle = nullptr;
    }
    pthread_mutex_unlock(&usb_openclose_mutex);
}

// True when another record, not departed, already read the same serial: the
// printer came back before its old thread noticed it had left.
bool ServedByAnotherRecord(const thdata* gone)
{
    bool served = false;
    pthread_mutex_lock(&m);
    for (const thdata* r : thDevData) {
        if (r != gone && !r->bDetached.load() && r->bSerialOk && strcmp(r->serialNo, gone->serialNo) == 0) {
            served = true;
            break;
        }
    }
    pthread_mutex_unlock(&m);
    return served;
}

// The departed printer's file gets the offline form, unless the printer is
// already back under a new record whose file must not be overwritten. The
// USB lock orders this check with the new record's serial read and first
// file, which happen inside one USB access.
void LeaveOffline(const thdata* gone)
{
    pthread_mutex_lock(&usb_openclose_mutex);
    if (!ServedByAnotherRecord(gone))
        WriteFile(gone->serialNo);
    pthread_mutex_unlock(&usb_openclose_mutex);
}

}  // namespace

void* thread_function(void* arg)
{
    libusb_device* const device = static_cast<thdata*>(arg)->device;
    thdata* current = nullptr;
    for (;;) {
        current = FindRecord(device, current);
        while (current == nullptr) {
            sleep(1);
            current = FindRecord(device, current);
        }
        if (current->bDetached.load()) {
            LeaveOffline(current);
            return nullptr;
        }
        if (current->bSerialOk)
            current->fileFlags = fileCheck(current);
        if (current->fileFlags == 0 && current->bRegistered) {
            sleep(1);
            continue;
        }
        Access(current, device);
        current->fileFlags = 0;
        sleep(1);
    }
}
