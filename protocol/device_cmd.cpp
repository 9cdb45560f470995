#include "device_cmd.h"

#include <cstdio>
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
    memset(buffer, ' ', static_cast<size_t>(recordLength));
    buffer[recordLength] = '\0';
    buffer[recordLength + 1] = '\0';
    buffer[0] = 0x1B;
    buffer[1] = 'P';
    length = recordLength;

    const size_t nameLength = strlen(name);
    if (nameLength > kNameMax)
        return Refuse();
    memcpy(buffer + 2, name, nameLength);

    if (parameter == nullptr)
        return hasData ? Refuse() : 0;
    const size_t parameterLength = strlen(parameter);
    if (parameterLength > kParameterMax)
        return Refuse();
    memcpy(buffer + 8, parameter, parameterLength);

    if (!hasData)
        return 0;
    char digits[16];
    snprintf(digits, sizeof digits, "%08d", dataLength);
    memcpy(buffer + 24, digits, 8);
    memcpy(buffer + kHeaderSize, data, static_cast<size_t>(dataLength));
    return 0;
}
