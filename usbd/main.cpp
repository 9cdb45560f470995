// korvane_zr_usbd: watches USB for ZR printers, registers a CUPS queue for
// each and keeps its information file in /tmp. Runs until killed.
#include "hotplug.h"
#include "info_file.h"
#include "thdata.h"
#include "usb_identity.h"

#include <errno.h>
#include <unistd.h>

namespace {


// Events are taken in only while no monitor thread is inside a USB access.
void WaitForUsbIdle()
{
    while (pthread_mutex_trylock(&usb_openclose_mutex) == EBUSY)
        sleep(1);
    pthread_mutex_unlock(&usb_openclose_mutex);
}

}  // namespace

int main()
{
    if (libusb_init(nullptr) < 0)
        return 1;
    if (libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) == 0) {
        libusb_exit(nullptr);
        return 1;
    }
    bSELinuxEnabled = isSELinuxEnabled();
    libusb_hotplug_callback_handle arrival;
    if (libusb_hotplug_register_callback(nullptr, LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED, LIBUSB_HOTPLUG_ENUMERATE,
            kZrVendorId, kZrProductId, LIBUSB_HOTPLUG_MATCH_ANY, hotplug_callback, nullptr, &arrival)
        != LIBUSB_SUCCESS) {
        libusb_exit(nullptr);
        return 1;
    }
    libusb_hotplug_callback_handle departure;
    if (libusb_hotplug_register_callback(nullptr, LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT, LIBUSB_HOTPLUG_ENUMERATE,
            kZrVendorId, kZrProductId, LIBUSB_HOTPLUG_MATCH_ANY, hotplug_callback_detach, nullptr, &departure)
        != LIBUSB_SUCCESS) {
        libusb_hotplug_deregister_callback(nullptr, arrival);
        libusb_exit(nullptr);
        return 1;
    }
    for (;;) {
        WaitForUsbIdle();
        libusb_handle_events(nullptr);
        ReapDeparted();
    }
}
