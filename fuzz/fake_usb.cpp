#include "fake_usb.h"

#include <algorithm>
#include <cstring>

namespace {

const uint8_t* bulkData = nullptr;
size_t bulkLeft = 0;
const uint8_t* controlData = nullptr;
size_t controlSize = 0;
int handleStandIn = 0;

}  // namespace

namespace fake_usb {

void SetBulkIn(const uint8_t* data, size_t size)
{
    bulkData = data;
    bulkLeft = size;
}

void SetControlIn(const uint8_t* data, size_t size)
{
    controlData = data;
    controlSize = size;
}

libusb_device_handle* Handle()
{
    return reinterpret_cast<libusb_device_handle*>(&handleStandIn);
}

}  // namespace fake_usb

// Bulk-out takes everything; bulk-in hands out what is left of the input,
// and a printer with nothing more to say times out as a silent one does.
extern "C" int LIBUSB_CALL libusb_bulk_transfer(libusb_device_handle*, unsigned char endpoint, unsigned char* data,
    int length, int* transferred, unsigned int)
{
    *transferred = 0;
    if ((endpoint & LIBUSB_ENDPOINT_IN) == 0) {
        *transferred = length;
        return 0;
    }
    if (bulkLeft == 0)
        return LIBUSB_ERROR_TIMEOUT;
    const size_t n = std::min(bulkLeft, static_cast<size_t>(length));
    memcpy(data, bulkData, n);
    bulkData += n;
    bulkLeft -= n;
    *transferred = static_cast<int>(n);
    return 0;
}

extern "C" int LIBUSB_CALL libusb_control_transfer(libusb_device_handle*, uint8_t, uint8_t, uint16_t, uint16_t,
    unsigned char* data, uint16_t length, unsigned int)
{
    const size_t n = std::min(controlSize, static_cast<size_t>(length));
    if (n > 0)
        memcpy(data, controlData, n);
    return static_cast<int>(n);
}
