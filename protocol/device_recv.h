// One expected reply record, printer to host: eight ASCII digits giving the
// body length L, then L bytes of body ended by a carriage return.
#pragma once

#include <cstdint>

class DeviceRecv {
public:
    static constexpr int kVariableWindow = 4096;
    static constexpr int kLengthDigits = 8;
    static constexpr int kPrefixCapacity = 16;

    // expectedSize: 0 no reply, -1 variable length, n > 0 a body of exactly n bytes.
    explicit DeviceRecv(int expectedSize, const char* prefix = nullptr);
    ~DeviceRecv() { Free(); }
    DeviceRecv(const DeviceRecv&) = delete;
    DeviceRecv& operator=(const DeviceRecv&) = delete;

    // Bytes a reply may occupy: 0, 4096, or n + 8.
    int GetBufferLength() const;
    // Zero-filled window plus two NUL bytes. 0 success, 2 out of memory.
    int Alloc();
    int Free();
    // 0 when the received bytes form an acceptable reply, else 3.
    int CheckData() const;
    // Copies the body after the prefix up to the first CR (else NUL, else the
    // window's end) into `out`, which must hold a whole window. 3 for null out.
    int GetEffectiveDataAsString(char* out) const;

    // Judges the eight length digits that start a reply: the body length L when
    // every digit is '0'..'9' and 1 <= L <= window - 8, else -1.
    int BodyLengthFromDigits(const char* digits) const;
    // The same judgement for a window of `window` bytes.
    static int BodyLength(const unsigned char* digits, int window);

    char* Buffer() { return buffer; }
    const char* Buffer() const { return buffer; }
    int ExpectedSize() const { return expectedSize; }

private:
    bool WindowHas(char c) const;

    char* buffer = nullptr;
    int32_t expectedSize = 0;
    char prefix[kPrefixCapacity] = {};
};
