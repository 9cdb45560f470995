#include "printer_queries.h"

#include "device_cmd.h"
#include "device_recv.h"
#include "shared_files.h"
#include "usb_transport.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

long Query(libusb_device_handle* handle, const char* name, const char* parameter, char* out,
    bool wait = false)
{
    const long whole = QueryText(handle, name, parameter, out, kQueryOutSize, wait);
    return whole < 0 ? -1 : static_cast<long>(strlen(out));
}

}  // namespace

long QueryText(libusb_device_handle* handle, const char* name, const char* parameter, char* out, int capacity,
    bool wait)
{
    if (handle == nullptr || out == nullptr || capacity < 1)
        return -1;
    out[0] = '\0';
    DeviceCmd command;
    if (command.MakeCmd(name, parameter, -1, nullptr) != 0)
        return -1;
    DeviceRecv reply(-1, nullptr);
    if (DeviceIO_T(handle, &command, &reply, wait) != 0)
        return -1;
    // The reply may carry up to a whole window of text; the caller's field
    // holds 63 characters, so the rest is dropped rather than overrun.
    static_assert(DeviceRecv::kVariableWindow >= kQueryOutSize, "window smaller than field");
    char text[DeviceRecv::kVariableWindow + 1];
    if (reply.GetEffectiveDataAsString(text) != 0)
        return -1;
    const size_t whole = strlen(text);
    const size_t length = std::min(whole, static_cast<size_t>(capacity - 1));
    memcpy(out, text, length);
    out[length] = '\0';
    return static_cast<long>(whole);
}

long GetStatus(libusb_device_handle* handle)
{
    if (handle == nullptr)
        return kStatusFailed;
    DeviceCmd command;
    if (command.MakeCmd("STATUS", nullptr, -1, nullptr) != 0)
        return kStatusFailed;
    DeviceRecv reply(8, nullptr);
    if (DeviceIO(handle, &command, &reply) != 0)
        return kStatusFailed;
    // The window is followed by two NUL bytes, so strtol stops inside it.
    const long value = strtol(reply.Buffer() + DeviceRecv::kLengthDigits, nullptr, 10);
    return static_cast<long>(static_cast<int32_t>(value));
}

long GetSerialNo(libusb_device_handle* h, char* out) { return Query(h, "INFO", "SERIAL_NUMBER", out); }
long GetMediaSize(libusb_device_handle* h, char* out) { return Query(h, "INFO", "MEDIA", out); }
long GetMediaClass(libusb_device_handle* h, char* out) { return Query(h, "INFO", "MEDIA_CLASS_RFID", out); }
long GetMediaInitial(libusb_device_handle* h, char* out) { return Query(h, "INFO", "MQTY_DEFAULT", out); }
long GetMediaRemain(libusb_device_handle* h, char* out) { return Query(h, "INFO", "MQTY", out); }
long GetMediaRemainHalf(libusb_device_handle* h, char* out) { return Query(h, "INFO", "RQTY", out); }
long GetFirmVersion(libusb_device_handle* h, char* out) { return Query(h, "INFO", "FVER", out); }

SerialRead ReadSerialNumber(libusb_device_handle* handle, char (&serial)[kQueryOutSize])
{
    memset(serial, 0, sizeof serial);
    const long length = QueryText(handle, "INFO", "SERIAL_NUMBER", serial, sizeof serial, false);
    if (length < 0)
        return SerialRead::Failed;
    if (length == 0)
        return SerialRead::Empty;
    if (length < static_cast<long>(sizeof serial) && IsAcceptableSerial(serial))
        return SerialRead::Ok;
    serial[0] = '\0';
    return SerialRead::Refused;
}

long GetTotalCount(libusb_device_handle* h, char* out, bool wait)
{
    return Query(h, "MNT_RD", "COUNTER_LIFE", out, wait);
}

int GetMessage(int status)
{
    struct Row {
        int status;
        int message;
    };
    static const Row table[] = {
        {0, 1}, {1, 2}, {500, 3}, {900, 5},
        {1000, 100}, {1010, 101}, {1100, 102}, {1200, 103}, {1300, 104}, {1400, 105},
        {1500, 106}, {1600, 107},
        {2000, 200}, {2100, 201}, {2200, 202}, {2300, 203}, {2400, 204}, {2500, 205},
        {2600, 206}, {2610, 207}, {2700, 208}, {2800, 209},
        {99999, 6},
    };
    for (const Row& row : table)
        if (row.status == status)
            return row.message;
    return 210;
}
