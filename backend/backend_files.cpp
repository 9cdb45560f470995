#include "backend_files.h"

#include "control_files.h"
#include "serial_number.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace {

constexpr const char* kTmpDir = "/tmp";

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

}  // namespace

std::string JobFilePath(const char* jobId)
{
    const size_t length = jobId == nullptr ? 0 : strlen(jobId);
    if (length == 0 || length > 20 || strspn(jobId, "0123456789") != length)
        return std::string();
    return std::string(kTmpDir) + "/Print_" + jobId + ".log";
}

std::string PauseFilePath(const char* serial)
{
    if (!IsAcceptableSerial(serial))
        return std::string();
    const std::string name = MakeControlNames(serial).pause;
    if (name.size() > NAME_MAX)
        return std::string();
    return std::string(kTmpDir) + "/" + name;
}

TmpFile::~TmpFile()
{
    Remove();
}

bool TmpFile::Create(const std::string& target, const std::string& text)
{
    Remove();
    if (target.empty())
        return false;
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = open(target.c_str(), flags, 0644);
    if (fd < 0 && errno == EEXIST) {
        // Left by a job that was killed, or planted: unlink never follows a
        // link, so the entry goes and whatever it pointed at stays.
        unlink(target.c_str());
        fd = open(target.c_str(), flags, 0644);
    }
    if (fd < 0)
        return false;
    struct stat st;
    // Others (the filter's user) read it, nobody else writes it; the umask
    // could take the read bits, so they are set on the open file.
    const bool ok = fchmod(fd, 0644) == 0 && WriteAll(fd, text) && fstat(fd, &st) == 0;
    close(fd);
    if (!ok) {
        unlink(target.c_str());
        return false;
    }
    path = target;
    device = st.st_dev;
    inode = st.st_ino;
    return true;
}

void TmpFile::Remove()
{
    if (path.empty())
        return;
    struct stat st;
    // Files in /tmp may be removed or replaced by others (the daemon and the
    // filter only read these, but any user can unlink them): remove only ours.
    if (lstat(path.c_str(), &st) == 0 && st.st_dev == device && st.st_ino == inode)
        unlink(path.c_str());
    path.clear();
}
