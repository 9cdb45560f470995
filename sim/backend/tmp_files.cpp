#include "tmp_files.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string JobFilePath(const std::string& jobId)
{
    if (jobId.empty() || jobId.size() > 20) return {};
    for (char c : jobId)
        if (c < '0' || c > '9') return {};
    return std::string(kSharedTmpDir) + "/Print_" + jobId + ".log";
}

std::string PauseFilePath(const std::string& deviceUri)
{
    if (deviceUri.empty()) return {};
    std::string name = "Pause_" + deviceUri;
    for (char& c : name)
        if (c == '/') c = '_';
    if (name.size() > NAME_MAX) return {};
    return std::string(kSharedTmpDir) + "/" + name;
}

int CreateFreshFile(const std::string& path)
{
    // Two rounds: the first may meet a leftover entry and remove it; if
    // something appears again before the second create, give up rather
    // than fight over the name.
    for (int round = 0; round < 2; ++round) {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            // Others read it (the filter's user); the umask could take the
            // read bits away.
            if (fchmod(fd, 0644) != 0) {
                const int saved = errno;
                close(fd);
                unlink(path.c_str());
                errno = saved;
                return -1;
            }
            return fd;
        }
        if (errno != EEXIST || round == 1) return -1;
        if (unlink(path.c_str()) != 0 && errno != ENOENT) return -1;
    }
    return -1;
}

bool WriteAll(int fd, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}
