#include "record_text.h"

#include <cstdlib>
#include <cstring>

int _TextToInt(const char* text, int count)
{
    if (text == nullptr || count < 0 || count > 511)
        return -1;
    char scratch[512];
    // Copy at most `count` characters but never read past the text's own end.
    size_t n = strnlen(text, static_cast<size_t>(count));
    memcpy(scratch, text, n);
    scratch[n] = '\0';
    return static_cast<int>(strtol(scratch, nullptr, 10));
}

void _StoreLE2(void* at, int value)
{
    unsigned char* p = static_cast<unsigned char*>(at);
    unsigned int v = static_cast<unsigned int>(value);
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}

void _StoreLE4(void* at, int value)
{
    unsigned char* p = static_cast<unsigned char*>(at);
    unsigned int v = static_cast<unsigned int>(value);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}
