#include "usb_transport.h"

#include "device_cmd.h"
#include "device_recv.h"
#include "usb_identity.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

// IEEE 1284 GET_DEVICE_ID: class request, recipient interface, device to host.
constexpr uint8_t kDeviceIdRequestType = 0xA1;
constexpr int kDeviceIdMinLength = 13;

unsigned long DeclaredDeviceIdLength(const unsigned char* b, unsigned long size)
{
    unsigned long length = (static_cast<unsigned long>(b[0]) << 8) | b[1];
    // Some printers store the length little-endian; a big-endian reading that
    // is implausible is retried the other way round.
    if (length <= kDeviceIdMinLength || length > size)
        length = (static_cast<unsigned long>(b[1]) << 8) | b[0];
    return length;
}

}  // namespace

int get_device_id(libusb_device_handle* handle, char* buffer, unsigned long size)
{
    if (buffer == nullptr || size == 0)
        return -1;
    // The length field of a control transfer is 16 bits wide.
    const uint16_t request = static_cast<uint16_t>(std::min<unsigned long>(size, 0xFFFF));
    const int r = handle == nullptr ? LIBUSB_ERROR_INVALID_PARAM
                                    : libusb_control_transfer(handle, kDeviceIdRequestType, 0, 0, 0,
                                          reinterpret_cast<unsigned char*>(buffer), request,
                                          zr_usb::kDeviceIdTimeoutMs);
    if (r < 0 || size < 2) {
        buffer[0] = '\0';
        return -1;
    }
    unsigned long length = DeclaredDeviceIdLength(reinterpret_cast<unsigned char*>(buffer), size);
    // A device that claims more than it sent would have the bytes never
    // received (stale or zero) taken for its ID: only what arrived counts.
    length = std::min({length, size, static_cast<unsigned long>(r)});
    if (length <= kDeviceIdMinLength) {
        buffer[0] = '\0';
        return -1;
    }
    // The text moves down over the two length bytes; its end needs one byte
    // for the NUL, which the freed length bytes provide even when the
    // device claims the whole buffer.
    memmove(buffer, buffer + 2, length - 2);
    buffer[length - 2] = '\0';
    return 0;
}

int USB_Write(libusb_device_handle* handle, const void* data, int length, int* transferred)
{
    return libusb_bulk_transfer(handle, zr_usb::kBulkOut,
        static_cast<unsigned char*>(const_cast<void*>(data)), length, transferred,
        zr_usb::kBulkTimeoutMs);
}

int USB_Read(libusb_device_handle* handle, void* data, int length, int* transferred)
{
    return libusb_bulk_transfer(handle, zr_usb::kBulkIn, static_cast<unsigned char*>(data), length,
        transferred, zr_usb::kBulkTimeoutMs);
}

int deviceWrite(libusb_device_handle* handle, const void* data, int length)
{
    if (handle == nullptr || data == nullptr || length <= 0)
        return 3;
    const auto* at = static_cast<const unsigned char*>(data);
    int remaining = length;
    while (remaining > 0) {
        int chunk = remaining;
        if (remaining >= zr_usb::kTailHoldThreshold)
            chunk = std::min(remaining - zr_usb::kTailHold, zr_usb::kMaxChunk);
        int sent = 0;
        const int r = USB_Write(handle, at, chunk, &sent);
        if (r != 0)
            return r;
        // A transfer that reports success but moved nothing would repeat
        // for ever; the printer is not taking data, so the write ends.
        if (sent <= 0 || sent > chunk)
            return LIBUSB_ERROR_IO;
        at += sent;
        remaining -= sent;
    }
    return 0;
}

int deviceWrite(libusb_device_handle* handle, DeviceCmd* command)
{
    if (command == nullptr)
        return 3;
    return deviceWrite(handle, command->Bytes(), command->Length());
}

int deviceRead(libusb_device_handle* handle, void* buffer, int size, int* received)
{
    if (received != nullptr)
        *received = 0;
    if (handle == nullptr || buffer == nullptr || received == nullptr || size < DeviceRecv::kLengthDigits)
        return 3;
    auto* bytes = static_cast<unsigned char*>(buffer);
    int got = 0;
    int r = USB_Read(handle, bytes, DeviceRecv::kLengthDigits, &got);
    if (r != 0)
        return r;
    if (got != DeviceRecv::kLengthDigits)
        return 3;
    const int body = DeviceRecv::BodyLength(bytes, size);
    if (body < 0)
        return 3;
    got = 0;
    r = USB_Read(handle, bytes + DeviceRecv::kLengthDigits, body, &got);
    if (r == 0)
        *received = got + DeviceRecv::kLengthDigits;
    return r;
}

int deviceRead(libusb_device_handle* handle, DeviceRecv* reply)
{
    if (reply == nullptr)
        return 3;
    const int a = reply->Alloc();
    if (a != 0)
        return a;
    int received = 0;
    return deviceRead(handle, reply->Buffer(), reply->GetBufferLength(), &received);
}

int DeviceIO_T(libusb_device_handle* handle, DeviceCmd* command, DeviceRecv* reply, bool wait)
{
    if (handle == nullptr || reply == nullptr || command == nullptr)
        return 3;
    int r = deviceWrite(handle, command->Bytes(), command->Length());
    if (r != 0)
        return r;
    if (wait)
        sleep(zr_usb::kSlowReplyWaitSeconds);
    r = deviceRead(handle, reply);
    if (r != 0)
        return r;
    return reply->CheckData();
}

int DeviceIO(libusb_device_handle* handle, DeviceCmd* command, DeviceRecv* reply)
{
    return DeviceIO_T(handle, command, reply, false);
}

int ClaimPrinterInterface(libusb_device_handle* handle)
{
    // The kernel's printer driver is detached once and never given back. A
    // driver that stays attached holds the interface: nothing is claimed.
    const int active = libusb_kernel_driver_active(handle, zr_usb::kInterface);
    if (active < 0)
        return active;
    if (active == 1 && libusb_detach_kernel_driver(handle, zr_usb::kInterface) != 0)
        return LIBUSB_ERROR_BUSY;
    return libusb_claim_interface(handle, zr_usb::kInterface);
}

void ReleasePrinterInterface(libusb_device_handle* handle)
{
    libusb_release_interface(handle, zr_usb::kInterface);
}

bool ReadProductString(libusb_device* device, libusb_device_handle* handle, char* out, int size)
{
    if (out == nullptr || size < 2)
        return false;
    memset(out, 0, static_cast<size_t>(size));
    libusb_device_descriptor descriptor;
    if (libusb_get_device_descriptor(device, &descriptor) != 0 || descriptor.iProduct == 0)
        return false;
    return libusb_get_string_descriptor_ascii(handle, descriptor.iProduct, reinterpret_cast<unsigned char*>(out),
               size - 1) >= 1;
}

std::vector<libusb_device*> ZrDevices(libusb_context* context)
{
    std::vector<libusb_device*> found;
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &list);
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor d;
        if (libusb_get_device_descriptor(list[i], &d) == 0 && d.idVendor == kZrVendorId && d.idProduct == kZrProductId)
            found.push_back(libusb_ref_device(list[i]));
    }
    if (list != nullptr)
        libusb_free_device_list(list, 1);
    return found;
}

void UnrefAll(std::vector<libusb_device*>& devices)
{
    for (libusb_device* d : devices)
        libusb_unref_device(d);
    devices.clear();
}
