// The Printer Application's device scheme "korvane-zr": attached ZR printers
// named by serial number, reached through the same USB transport, claim and
// identification as the print backend. An open device holds interface 0
// claimed and the printer's pause file, so the daemon keeps away from it and
// a classic queue's backend waits, exactly as for a backend job.
#pragma once

#include <libusb.h>

#include <string>

// "korvane-zr://KORVANE/ZR?serial=" + serial.
std::string AppDeviceUri(const std::string& serial);
// The serial number of one of our device URIs; empty when it is not one or
// the serial number may not name files.
std::string SerialOfAppUri(const char* uri);

// Registers the scheme with PAPPL.
void AddZrScheme();

// What an opened korvane-zr device holds; papplDeviceGetData answers it.
struct ZrLink;
libusb_device_handle* LinkHandle(ZrLink* link);
const std::string& LinkSerial(ZrLink* link);
