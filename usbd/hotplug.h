// Arrival and departure of ZR printers, reported by libusb on the main thread.
#pragma once

#include <libusb.h>

int hotplug_callback(libusb_context* context, libusb_device* device, libusb_hotplug_event event, void* user);
int hotplug_callback_detach(libusb_context* context, libusb_device* device, libusb_hotplug_event event,
    void* user);

// Joins the threads of departed printers and frees their records. Runs on
// the main thread outside libusb's event handling: a thread that ends may
// still have to close its device handle, which needs that handling free.
void ReapDeparted();
