#include "usb_identity.h"

#include <cstring>

DeviceIdentity ParseDeviceId(const char* deviceId)
{
    DeviceIdentity who;
    const std::string id(deviceId == nullptr ? "" : deviceId);
    size_t start = 0;
    while (start < id.size()) {
        size_t end = id.find(';', start);
        if (end == std::string::npos)
            end = id.size();
        const std::string item = id.substr(start, end - start);
        start = end + 1;
        const size_t colon = item.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string value = item.substr(colon + 1);
        if (item.find("MANUFACTURER") != std::string::npos)
            who.manufacturer = value;
        else if (item.find("MODEL") != std::string::npos)
            who.model = value;
    }
    return who;
}

bool IsZrPrinter(const char* product, const char* deviceId, DeviceIdentity* who)
{
    const DeviceIdentity id = ParseDeviceId(deviceId);
    if (who != nullptr)
        *who = id;
    return product != nullptr && strstr(product, "Photo Printer") != nullptr &&
        id.manufacturer.find("KORVANE") != std::string::npos && id.model.find("ZR") != std::string::npos;
}
