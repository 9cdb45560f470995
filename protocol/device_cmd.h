// One command record, host to printer: a 32-byte ASCII header
// (ESC 'P', name[6], parameter[16], data length "%08d" or 8 spaces)
// followed by an optional data block.
#pragma once

#include "record_frame.h"

#include <cstdint>

class DeviceCmd {
public:
    static constexpr int kHeaderSize = static_cast<int>(zr_record::kHeaderSize);
    static constexpr int kMaxDataLength = static_cast<int>(zr_record::kMaxDataLength);

    DeviceCmd() = default;
    ~DeviceCmd() { Free(); }
    DeviceCmd(const DeviceCmd&) = delete;
    DeviceCmd& operator=(const DeviceCmd&) = delete;

    // 0 success, 2 out of memory, 3 bad arguments (record left empty).
    int MakeCmd(const char* name, const char* parameter, int dataLength, const void* data);
    int Free();

    const char* Bytes() const { return buffer; }
    int Length() const { return length; }

private:
    int Refuse();

    char* buffer = nullptr;   // length + 2 bytes; the two extra bytes are zero
    int32_t length = 0;       // 32 + data length, 0 when empty
};
