#include "serial_number.h"

#include <cstring>

namespace {
// The record field and every name built from it hold 63 characters.
constexpr size_t kSerialCapacity = 64;
}  // namespace

bool IsAcceptableSerial(const char* serial)
{
    if (serial == nullptr || serial[0] == '\0' || serial[0] == '.')
        return false;
    const size_t length = strnlen(serial, kSerialCapacity);
    if (length >= kSerialCapacity)
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
