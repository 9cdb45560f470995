// The printer's queries, one command record and one reply each.
// Every text query fills a caller's buffer of at least kQueryOutSize bytes;
// a longer reply is cut there, always NUL-terminated.
#pragma once

#include <libusb.h>

constexpr int kQueryOutSize = 64;
// GetStatus's failure value; a 32-bit status widened to long never equals it.
constexpr long kStatusFailed = 2147483648L;
// The daemon's own status for a printer that does not answer or has left.
constexpr long kStatusOffline = 99999;

long GetStatus(libusb_device_handle* handle);
long GetSerialNo(libusb_device_handle* handle, char* out);
long GetMediaSize(libusb_device_handle* handle, char* out);
long GetMediaClass(libusb_device_handle* handle, char* out);
long GetMediaInitial(libusb_device_handle* handle, char* out);
long GetMediaRemain(libusb_device_handle* handle, char* out);
long GetMediaRemainHalf(libusb_device_handle* handle, char* out);
long GetFirmVersion(libusb_device_handle* handle, char* out);
// With `wait` the printer gets 10 seconds to find its counter (power saving).
long GetTotalCount(libusb_device_handle* handle, char* out, bool wait);

// The text query behind the Get... functions: the reply text, cut to
// `capacity` - 1 characters, in `out`. Answers the length of the whole text
// before any cut (so a caller can tell a cut), or -1 when the query failed.
long QueryText(libusb_device_handle* handle, const char* name, const char* parameter, char* out, int capacity,
    bool wait);

// A serial number as the printer states it, judged once for the daemon and
// the backend alike: Ok when the whole reply is a name IsAcceptableSerial
// allows (a reply cut to fit would name the printer after something it did
// not say), Empty for an empty reply (not ready yet), Refused for any other
// answer, Failed when the query failed. Only Ok leaves a serial in `serial`.
enum class SerialRead { Ok, Empty, Refused, Failed };
SerialRead ReadSerialNumber(libusb_device_handle* handle, char (&serial)[kQueryOutSize]);

// Message code shown for a printer status.
int GetMessage(int status);
