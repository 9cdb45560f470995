#include "memory_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

MemoryFile::MemoryFile(const uint8_t* data, size_t size)
{
    fd = memfd_create("fuzz-input", MFD_CLOEXEC);
    if (fd < 0)
        abort();  // the harness cannot run at all; not a finding
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0)
            abort();
        done += static_cast<size_t>(n);
    }
    path = "/proc/self/fd/" + std::to_string(fd);
}

MemoryFile::~MemoryFile()
{
    close(fd);
}
