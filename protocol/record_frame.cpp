#include "record_frame.h"

#include <cstdio>
#include <cstring>

namespace zr_record {

long ParseDigits(const unsigned char* digits, size_t count)
{
    if (digits == nullptr)
        return -1;
    long value = 0;
    for (size_t i = 0; i < count; ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            return -1;
        value = value * 10 + (digits[i] - '0');
    }
    return value;
}

bool WriteHeader(unsigned char* out, const char* name, const char* parameter, long dataLength)
{
    const size_t nameLength = name == nullptr ? 0 : strlen(name);
    const size_t parameterLength = parameter == nullptr ? 0 : strlen(parameter);
    if (nameLength > kNameMax || parameterLength > kParameterMax || dataLength < 0 || dataLength > kMaxDataLength)
        return false;
    memset(out, ' ', kHeaderSize);
    out[0] = 0x1B;
    out[1] = 'P';
    // memcpy wants real pointers even for nothing to copy.
    if (nameLength > 0)
        memcpy(out + kNameAt, name, nameLength);
    if (parameterLength > 0)
        memcpy(out + kParameterAt, parameter, parameterLength);
    if (dataLength > 0) {
        char digits[16];
        snprintf(digits, sizeof digits, "%08ld", dataLength);
        memcpy(out + kLengthAt, digits, kLengthDigits);
    }
    return true;
}

Header ReadHeader(const unsigned char* h)
{
    Header header;
    header.startOk = h[0] == 0x1B && h[1] == 'P';
    header.name.assign(reinterpret_cast<const char*>(h + kNameAt), kNameMax);
    header.parameter.assign(reinterpret_cast<const char*>(h + kParameterAt), kParameterMax);
    const unsigned char* field = h + kLengthAt;
    if (memcmp(field, "        ", kLengthDigits) == 0) {
        header.length = LengthField::Spaces;
    } else {
        const long value = ParseDigits(field, kLengthDigits);
        header.length = value < 0 ? LengthField::Bad : LengthField::Digits;
        header.dataLength = value < 0 ? 0 : static_cast<size_t>(value);
    }
    return header;
}

long DataLength(const unsigned char* h)
{
    if (h[0] != 0x1B || h[1] != 'P')
        return -1;
    const unsigned char* field = h + kLengthAt;
    if (memcmp(field, "        ", kLengthDigits) == 0)
        return 0;
    return ParseDigits(field, kLengthDigits);
}

std::string Trimmed(const std::string& field)
{
    const size_t end = field.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : field.substr(0, end + 1);
}

bool RecordIs(const unsigned char* record, size_t length, const char* name, const char* parameter)
{
    if (length < kHeaderSize || DataLength(record) < 0)
        return false;
    char field[kLengthAt - kNameAt + 1];
    snprintf(field, sizeof field, "%-6s%-16s", name, parameter);
    return memcmp(record + kNameAt, field, kLengthAt - kNameAt) == 0;
}

size_t RecordSize(const unsigned char* bytes, size_t size, size_t at)
{
    if (at > size || size - at < kHeaderSize)
        return 0;
    const long data = DataLength(bytes + at);
    if (data < 0 || size - at - kHeaderSize < static_cast<size_t>(data))
        return 0;
    return kHeaderSize + static_cast<size_t>(data);
}

}  // namespace zr_record
