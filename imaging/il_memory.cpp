// The memory layer the library is written against: one-line wrappers over
// the C library, named after the heap calls the code was first written for.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "il_bitmap.h"

namespace {

// Pictures are written right after they are allocated. On virtual machines
// each first touch of a fresh 4 KiB page traps separately and costs far more
// than filling it, so large blocks have their pages made present in one
// call. Only a hint: where the kernel lacks it nothing changes.
constexpr size_t kPrefaultFrom = size_t{1} << 20;

void Prefault(void* block, size_t bytes)
{
#ifdef MADV_POPULATE_WRITE
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + page - 1) / page * page;
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) / page * page;
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
    (void)block;
    (void)bytes;
#endif
}

}  // namespace

namespace il_memory {

void PrefaultMemory(void* block, size_t bytes)
{
    if (block != nullptr && bytes >= kPrefaultFrom) Prefault(block, bytes);
}
void* GlobalAlloc(unsigned, size_t bytes)
{
    void* block = std::malloc(bytes);
    PrefaultMemory(block, bytes);
    return block;
}
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

}  // namespace il_memory
