// The frame every command record shares: a 32-byte ASCII header
// (ESC 'P', name[6], parameter[16], data length as eight decimal digits or
// eight spaces) followed by the data block. The one place that builds, reads
// and steps over it; the filter, the backend, the emulated printer and the
// inspector all go through here.
#pragma once

#include <cstddef>
#include <string>

namespace zr_record {

constexpr size_t kHeaderSize = 32;
constexpr size_t kNameAt = 2;
constexpr size_t kNameMax = 6;
constexpr size_t kParameterAt = 8;
constexpr size_t kParameterMax = 16;
constexpr size_t kLengthAt = 24;
constexpr size_t kLengthDigits = 8;
// The length field holds eight decimal digits.
constexpr long kMaxDataLength = 99999999;

// The value of `count` decimal digits, or -1 when any of them is not one.
// The same digits frame replies from the printer.
long ParseDigits(const unsigned char* digits, size_t count);

// Writes the 32 header bytes for `name` and `parameter` (null: blank) and a
// data block of `dataLength` bytes (0: the eight spaces of a record without
// data). False, with nothing written, when a field does not fit.
bool WriteHeader(unsigned char* out, const char* name, const char* parameter, long dataLength);

enum class LengthField { Spaces, Digits, Bad };

// What the 32 bytes at `h` say. `startOk` is false unless they begin with
// ESC 'P'; the fields keep their padding (see Trimmed).
struct Header {
    bool startOk = false;
    LengthField length = LengthField::Bad;
    size_t dataLength = 0;   // 0 unless length is Digits
    std::string name;        // 6 characters as sent
    std::string parameter;   // 16 characters as sent
};
Header ReadHeader(const unsigned char* h);

// A record's data length, or -1 when the header is no record's (wrong start
// or a length field of neither digits nor spaces).
long DataLength(const unsigned char* h);

// `field` without its trailing spaces.
std::string Trimmed(const std::string& field);

// Whether the record's header names `name` and `parameter`.
bool RecordIs(const unsigned char* record, size_t length, const char* name, const char* parameter);

// Steps over the records of a stream held in memory: each call answers the
// size of the whole record that starts at `at` (header and data), or 0 when
// fewer bytes remain than it needs or its header is no record's.
size_t RecordSize(const unsigned char* bytes, size_t size, size_t at);

}  // namespace zr_record
