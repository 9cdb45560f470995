// Moving command and reply records over USB interface 0 of a ZR printer:
// bulk-out endpoint 0x01 for commands, bulk-in 0x82 for replies, and the
// IEEE 1284 device ID class request. Shared by everything that talks to the
// printer, so it keeps no state between calls.
#pragma once

#include <libusb.h>

#include <vector>

class DeviceCmd;
class DeviceRecv;

namespace zr_usb {
constexpr int kInterface = 0;
constexpr unsigned char kBulkOut = 0x01;
constexpr unsigned char kBulkIn = 0x82;
constexpr unsigned int kBulkTimeoutMs = 10000;
constexpr unsigned int kDeviceIdTimeoutMs = 5000;
constexpr unsigned int kSlowReplyWaitSeconds = 10;
// Writes of this size or more keep their last bytes for a later transfer.
constexpr int kTailHoldThreshold = 512;
constexpr int kTailHold = 256;
constexpr int kMaxChunk = 65536;
}  // namespace zr_usb

// Result codes: 0 success, 2 reply buffer allocation failed, 3 missing
// argument / bad record / refused reply, negative: libusb error passed on.

// 0 and the device ID text (NUL-terminated) in `buffer`, or -1 and "".
int get_device_id(libusb_device_handle* handle, char* buffer, unsigned long size);

int USB_Write(libusb_device_handle* handle, const void* data, int length, int* transferred);
int USB_Read(libusb_device_handle* handle, void* data, int length, int* transferred);

int deviceWrite(libusb_device_handle* handle, const void* data, int length);
int deviceWrite(libusb_device_handle* handle, DeviceCmd* command);

// Reads the eight length digits, then exactly the announced body.
// `received` is 8 + body bytes on success, else 0.
int deviceRead(libusb_device_handle* handle, void* buffer, int size, int* received);
int deviceRead(libusb_device_handle* handle, DeviceRecv* reply);

int DeviceIO(libusb_device_handle* handle, DeviceCmd* command, DeviceRecv* reply);
// As DeviceIO; with `wait` the printer gets 10 seconds between command and reply.
int DeviceIO_T(libusb_device_handle* handle, DeviceCmd* command, DeviceRecv* reply, bool wait);

// Takes interface 0 for this process: detaches the kernel's printer driver
// when it holds the interface, then claims it. 0 or the libusb error
// (LIBUSB_ERROR_BUSY while another process holds it).
int ClaimPrinterInterface(libusb_device_handle* handle);
void ReleasePrinterInterface(libusb_device_handle* handle);

// The device's product string (NUL-terminated in `out`); false when it has
// none or it cannot be read.
bool ReadProductString(libusb_device* device, libusb_device_handle* handle, char* out, int size);

// Every attached device with the ZR's vendor and product id, referenced;
// UnrefAll gives them back.
std::vector<libusb_device*> ZrDevices(libusb_context* context);
void UnrefAll(std::vector<libusb_device*>& devices);
