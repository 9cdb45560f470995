// The memory layer the library is written against: one-line wrappers over
// the C library, named after the heap calls the code was first written for.
#include <cstdlib>
#include <cstring>

#include "il_bitmap.h"

extern "C" {

void* GlobalAlloc(unsigned, size_t bytes) { return std::malloc(bytes); }
void* GlobalLock(void* handle) { return handle; }
void GlobalUnlock(void*) {}
void GlobalFree(void* handle) { std::free(handle); }
void CopyMemory(void* destination, const void* source, size_t bytes) { std::memcpy(destination, source, bytes); }
void ZeroMemory(void* destination, size_t bytes) { std::memset(destination, 0, bytes); }

int MulDiv(int a, int b, int c)
{
    // 64-bit product, C's truncating division: no rounding.
    return static_cast<int>(static_cast<int64_t>(a) * b / c);
}

}  // extern "C"
