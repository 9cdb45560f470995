#include "device_cmd.h"

#include "record_frame.h"

#include <cstdlib>
#include <cstring>

int DeviceCmd::Free()
{
    free(buffer);
    buffer = nullptr;
    length = 0;
    return 0;
}

int DeviceCmd::Refuse()
{
    Free();
    return 3;
}

int DeviceCmd::MakeCmd(const char* name, const char* parameter, int dataLength, const void* data)
{
    Free();
    const bool hasData = dataLength > 0 && data != nullptr;
    // A longer block cannot be described by the 8-digit length field; writing
    // it would produce a record the printer misreads.
    if (hasData && dataLength > kMaxDataLength)
        return 3;
    if (name == nullptr)
        return 3;

    const int recordLength = kHeaderSize + (hasData ? dataLength : 0);
    buffer = static_cast<char*>(malloc(static_cast<size_t>(recordLength) + 2));
    if (buffer == nullptr) {
        length = 0;
        return 2;
    }
    auto* bytes = reinterpret_cast<unsigned char*>(buffer);
    // A data block needs a parameter to belong to.
    if ((hasData && parameter == nullptr) || !zr_record::WriteHeader(bytes, name, parameter, hasData ? dataLength : 0))
        return Refuse();
    if (hasData)
        memcpy(buffer + kHeaderSize, data, static_cast<size_t>(dataLength));
    buffer[recordLength] = '\0';
    buffer[recordLength + 1] = '\0';
    length = recordLength;
    return 0;
}
