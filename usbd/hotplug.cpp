#include "hotplug.h"

#include "monitor_thread.h"
#include "thdata.h"

#include <algorithm>
#include <new>

namespace {

void FreeRecord(thdata* r)
{
    libusb_unref_device(r->device);
    delete r;
}

}  // namespace

int hotplug_callback(libusb_context*, libusb_device* device, libusb_hotplug_event, void*)
{
    libusb_device_descriptor descriptor;
    if (libusb_get_device_descriptor(device, &descriptor) != 0)
        return 0;
    auto* r = new (std::nothrow) thdata;
    if (r == nullptr)
        return 0;
    // The reference keeps the device (and so its address, the registry's
    // key) alive until the record is freed, even after libusb let it go.
    r->device = libusb_ref_device(device);
    pthread_mutex_lock(&m);
    thDevData.push_back(r);
    pthread_mutex_unlock(&m);
    if (pthread_create(&r->thread, nullptr, thread_function, r) == 0)
        return 0;
    // No thread will ever look at the record: take it out before freeing it.
    pthread_mutex_lock(&m);
    thDevData.erase(std::remove(thDevData.begin(), thDevData.end(), r), thDevData.end());
    pthread_mutex_unlock(&m);
    FreeRecord(r);
    return 1;
}

int hotplug_callback_detach(libusb_context*, libusb_device* device, libusb_hotplug_event, void*)
{
    // Only the flag is set here; the join waits until libusb's event
    // handling has returned (ReapDeparted).
    pthread_mutex_lock(&m);
    for (thdata* r : thDevData) {
        if (r->device == device) {
            r->bDetached.store(true);
            break;
        }
    }
    pthread_mutex_unlock(&m);
    return 0;
}

void ReapDeparted()
{
    std::vector<thdata*> departed;
    pthread_mutex_lock(&m);
    for (thdata* r : thDevData)
        if (r->bDetached.load())
            departed.push_back(r);
    pthread_mutex_unlock(&m);
    for (thdata* r : departed) {
        pthread_join(r->thread, nullptr);
        pthread_mutex_lock(&m);
        thDevData.erase(std::remove(thDevData.begin(), thDevData.end(), r), thDevData.end());
        pthread_mutex_unlock(&m);
        FreeRecord(r);
    }
}
