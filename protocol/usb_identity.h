// How a ZR printer is known on the bus: its ids, the words of its product
// string and of its IEEE 1284 device ID. The daemon and the backend judge a
// printer by this one rule, so both serve the same printers.
#pragma once

#include <string>

constexpr int kZrVendorId = 0x1343;
constexpr int kZrProductId = 0x0005;

// Manufacturer and model from an IEEE 1284 device ID.
struct DeviceIdentity {
    std::string manufacturer;
    std::string model;
};
DeviceIdentity ParseDeviceId(const char* deviceId);

// True when the product string says "Photo Printer" and the device ID names
// a KORVANE manufacturer and a ZR model; `who` (may be null) gets the ID's
// fields.
bool IsZrPrinter(const char* product, const char* deviceId, DeviceIdentity* who = nullptr);
