#include "replace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ReplaceFile(const std::string& path, const std::string& text, mode_t mode, struct stat* made,
    const std::function<void(int fd)>& prepare)
{
    // mkostemp makes a name nobody can have planted, exclusively.
    std::string fresh = path + ".XXXXXX";
    const int fd = mkostemp(&fresh[0], O_CLOEXEC);
    if (fd < 0)
        return false;
    // The mode is set on the open file: the umask could take bits others need.
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && (made == nullptr || fstat(fd, made) == 0);
    if (ok && prepare)
        prepare(fd);
    ok = close(fd) == 0 && ok;
    if (ok && rename(fresh.c_str(), path.c_str()) == 0)
        return true;
    unlink(fresh.c_str());
    return false;
}
