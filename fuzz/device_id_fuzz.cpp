// Identification of a printer that may lie: its IEEE 1284 device ID through
// the real GET_DEVICE_ID handling (length bytes in either order, claims
// beyond what arrived), the ID's fields, the model text as it goes into the
// information file, and the serial number query with its acceptance rule.
#include "fake_usb.h"
#include "fuzz_input.h"
#include "info_file.h"
#include "printer_queries.h"
#include "queue_registration.h"
#include "shared_files.h"
#include "usb_transport.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// Buffer sizes around the edges of the length rules, and the daemon's own.
constexpr unsigned long kSizes[] = {1, 2, 3, 13, 14, 15, 16, 64, 255, 256, 257, 1024, 2048};

void CheckInfoValue(const std::string& value)
{
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        FUZZ_CHECK(u >= 0x20 && u <= 0x7E && c != '"');
    }
}

void CheckSerial(const char* serial)
{
    if (!IsAcceptableSerial(serial))
        return;
    const size_t n = strlen(serial);
    FUZZ_CHECK(n >= 1 && n <= 63 && serial[0] != '.');
    for (size_t i = 0; i < n; ++i) {
        const char c = serial[i];
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '.' || c == '_' || c == '-';
        FUZZ_CHECK(plain);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const unsigned long idSize = kSizes[in.Byte() % (sizeof kSizes / sizeof kSizes[0])];
    const size_t controlLength = std::min<size_t>(in.Word(), in.RestSize());
    fake_usb::SetControlIn(in.Rest(), controlLength);
    const uint8_t* bulk = in.Rest() + controlLength;
    const size_t bulkSize = in.RestSize() - controlLength;

    std::unique_ptr<char[]> id(new char[idSize]);
    memset(id.get(), 'x', idSize);  // stale bytes must never be taken for the ID
    if (get_device_id(fake_usb::Handle(), id.get(), idSize) == 0) {
        const size_t n = strnlen(id.get(), idSize);
        FUZZ_CHECK(n < idSize);
        FUZZ_CHECK(n + 2 <= controlLength);
        const DeviceIdentity who = ParseDeviceId(id.get());
        if (who.manufacturer.find("KORVANE") != std::string::npos && who.model.find("ZR") != std::string::npos)
            CheckInfoValue(InfoValue(who.model.c_str()));
    } else {
        FUZZ_CHECK(id[0] == '\0');
    }

    fake_usb::SetBulkIn(bulk, bulkSize);
    char serial[kQueryOutSize];
    memset(serial, 'x', sizeof serial);
    const long whole = QueryText(fake_usb::Handle(), "INFO", "SERIAL_NUMBER", serial, sizeof serial, false);
    if (whole >= 0) {
        FUZZ_CHECK(strlen(serial) == std::min<size_t>(static_cast<size_t>(whole), sizeof serial - 1));
        CheckSerial(serial);
    }
    return 0;
}
