#include "printer_info.h"

#include "print_steps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr double kFirmwareVersion = 1.53;

// The most of the job file that is read: the backend writes a line or two,
// and anything larger was not written by it.
constexpr size_t kJobFileReadMax = 4096;

// The job file lives in a world-writable folder, so anybody could plant a FIFO,
// a device, a link or a file of their own there under the job's name. Only a
// regular file of the backend (root) or of our own user is taken, and opening
// never waits.
int OpenJobFile(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (st.st_uid != 0 && st.st_uid != geteuid())) {
        close(fd);
        return -1;
    }
    return fd;
}

// The first kJobFileReadMax bytes of the file; stops early for a cancelled job.
std::string ReadJobFile(int fd)
{
    std::string text(kJobFileReadMax, '\0');
    size_t got = 0;
    while (got < text.size() && !Canceled) {
        const ssize_t n = read(fd, &text[got], text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    text.resize(got);
    return text;
}

// Drops every character of `set` from `text`.
void RemoveChars(std::string& text, const char* set)
{
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if (strchr(set, c) == nullptr || c == '\0')
            kept += c;
    }
    text.swap(kept);
}

}  // namespace

int _GetFirmwVersion(long /*device*/, double* version)
{
    if (version == nullptr)
        return 3;
    *version = kFirmwareVersion;
    return 0;
}

JobFileState JobFileAnnounced(const char* jobId)
{
    const int fd = OpenJobFile(JobFilePath(jobId));
    if (fd < 0)
        return JobFileState::Absent;
    // The backend writes whole lines; a file caught between its creation
    // and its first line feed is not complete yet.
    const std::string text = ReadJobFile(fd);
    close(fd);
    return !text.empty() && text.back() == '\n' ? JobFileState::Complete : JobFileState::Partial;
}

int _GetValuePrInfoFile(const char* key, const char* jobId, char* out, int outSize)
{
    if (key == nullptr || jobId == nullptr || *key == '\0')
        return 0;
    const int fd = OpenJobFile(JobFilePath(jobId));
    if (fd < 0)
        return 0;
    std::string text = ReadJobFile(fd);
    close(fd);
    FILE* file = text.empty() ? nullptr : fmemopen(&text[0], text.size(), "r");
    if (file == nullptr)
        return 0;
    char line[256];   // at most 255 characters a line
    while (!Canceled && fgets(line, sizeof line, file) != nullptr) {
        const char* at = strstr(line, key);
        if (at == nullptr)
            continue;
        std::string value(at);
        RemoveChars(value, key);
        RemoveChars(value, "\"");
        RemoveChars(value, "\n");
        if (out != nullptr && outSize > 0 && value.size() < static_cast<size_t>(outSize))
            memcpy(out, value.c_str(), value.size() + 1);
        break;
    }
    fclose(file);
    return 0;
}
