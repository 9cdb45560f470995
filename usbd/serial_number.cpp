#include "serial_number.h"

#include "thdata.h"

#include <cstring>

bool IsAcceptableSerial(const char* serial)
{
    if (serial == nullptr || serial[0] == '\0' || serial[0] == '.')
        return false;
    const size_t length = strnlen(serial, kSerialSize);
    if (length >= static_cast<size_t>(kSerialSize))
        return false;
    for (size_t i = 0; i < length; ++i) {
        const char c = serial[i];
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.';
        if (!ok)
            return false;
    }
    return true;
}
