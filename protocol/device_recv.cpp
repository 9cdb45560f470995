#include "device_recv.h"

#include "record_frame.h"
#include "record_text.h"

#include <cstdlib>
#include <cstring>

DeviceRecv::DeviceRecv(int size, const char* pfx) : expectedSize(size)
{
    if (pfx != nullptr) {
        strncpy(prefix, pfx, kPrefixCapacity - 1);
        prefix[kPrefixCapacity - 1] = '\0';
    }
}

int DeviceRecv::GetBufferLength() const
{
    if (expectedSize == 0)
        return 0;
    if (expectedSize < 0)
        return kVariableWindow;
    return expectedSize + kLengthDigits;
}

int DeviceRecv::Alloc()
{
    Free();
    const int window = GetBufferLength();
    if (window == 0)
        return 0;
    buffer = static_cast<char*>(calloc(static_cast<size_t>(window) + 2, 1));
    return buffer == nullptr ? 2 : 0;
}

int DeviceRecv::Free()
{
    free(buffer);
    buffer = nullptr;
    return 0;
}

bool DeviceRecv::WindowHas(char c) const
{
    return memchr(buffer, c, static_cast<size_t>(GetBufferLength())) != nullptr;
}

int DeviceRecv::CheckData() const
{
    // Nothing was received into a window: there is no reply to accept.
    if (buffer == nullptr)
        return 3;
    if (expectedSize < 0) {
        if (!WindowHas('\r') && !WindowHas('\0'))
            return 3;
    } else {
        const int declared = _TextToInt(buffer, kLengthDigits);
        if (declared == expectedSize) {
            if (expectedSize != 0 && !WindowHas('\r') && !WindowHas('\0'))
                return 3;
        } else if (expectedSize == 0 || !WindowHas('\0')) {
            // A body shorter than announced shows the zero-filled tail.
            return 3;
        }
    }
    const size_t prefixLength = strlen(prefix);
    if (prefixLength > 0 && strncmp(buffer + kLengthDigits, prefix, prefixLength) != 0)
        return 3;
    return 0;
}

int DeviceRecv::GetEffectiveDataAsString(char* out) const
{
    if (out == nullptr)
        return 3;
    out[0] = '\0';
    const int window = GetBufferLength();
    if (buffer == nullptr || window == 0)
        return 0;
    const char* end = static_cast<const char*>(memchr(buffer, '\r', static_cast<size_t>(window)));
    if (end == nullptr)
        end = static_cast<const char*>(memchr(buffer, '\0', static_cast<size_t>(window)));
    if (end == nullptr)
        end = buffer + window;
    const char* start = buffer + kLengthDigits + strlen(prefix);
    if (end > start) {
        memcpy(out, start, static_cast<size_t>(end - start));
        out[end - start] = '\0';
    }
    return 0;
}

int DeviceRecv::BodyLengthFromDigits(const char* digits) const
{
    return BodyLength(reinterpret_cast<const unsigned char*>(digits), GetBufferLength());
}

int DeviceRecv::BodyLength(const unsigned char* digits, int window)
{
    const long value = zr_record::ParseDigits(digits, kLengthDigits);
    if (value < 1 || value > window - kLengthDigits)
        return -1;
    return static_cast<int>(value);
}
