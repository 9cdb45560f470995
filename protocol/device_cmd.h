// One command record, host to printer: a 32-byte ASCII header
// (ESC 'P', name[6], parameter[16], data length "%08d" or 8 spaces)
// followed by an optional data block.
#pragma once

#include <cstdint>

class DeviceCmd {
public:
    static constexpr int kHeaderSize = 32;
    static constexpr int kNameMax = 6;
    static constexpr int kParameterMax = 16;
    // The length field holds eight decimal digits.
    static constexpr int kMaxDataLength = 99999999;

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
