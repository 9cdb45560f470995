// Fuzz inputs handed to code that insists on opening a path: the bytes go
// into an anonymous memory file and the code opens it as /proc/self/fd/N.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const std::string& Path() const { return path; }

private:
    int fd = -1;
    std::string path;
};
