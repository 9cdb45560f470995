#include "printer_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kJobFileFolder = "/tmp";
constexpr double kFirmwareVersion = 1.53;

// The job file lives in a world-writable folder, so anybody could plant a FIFO
// or a device there under the job's name: opening that would block the job
// forever. Only a regular file is read, and opening never waits.
FILE* OpenJobFile(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "r");
    if (file == nullptr)
        close(fd);
    return file;
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

std::string JobFilePath(const char* jobId)
{
    return std::string(kJobFileFolder) + "/Print_" + (jobId != nullptr ? jobId : "") + ".log";
}

int _GetFirmwVersion(long /*device*/, double* version)
{
    if (version == nullptr)
        return 3;
    *version = kFirmwareVersion;
    return 0;
}

int _GetValuePrInfoFile(const char* key, const char* jobId, char* out, int outSize)
{
    if (key == nullptr || jobId == nullptr || *key == '\0')
        return 0;
    FILE* file = OpenJobFile(JobFilePath(jobId));
    if (file == nullptr)
        return 0;
    char line[256];   // at most 255 characters a line
    while (fgets(line, sizeof line, file) != nullptr) {
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
