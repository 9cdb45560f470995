#include "shared_files.h"

#include "replace_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

namespace {

// The record field and every name built from it hold 63 characters.
constexpr size_t kSerialCapacity = 64;
constexpr size_t kJobIdMax = 20;

}  // namespace

bool IsAcceptableSerial(const char* serial)
{
    if (serial == nullptr || serial[0] == '\0' || serial[0] == '.')
        return false;
    const size_t length = strnlen(serial, kSerialCapacity);
    if (length >= kSerialCapacity)
        return false;
    for (size_t i = 0; i < length; ++i) {
        const char c = serial[i];
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.';
        if (!ok)
            return false;
    }
    return true;
}

bool IsAcceptableJobId(const char* jobId)
{
    const size_t length = jobId == nullptr ? 0 : strnlen(jobId, kJobIdMax + 1);
    return length > 0 && length <= kJobIdMax && strspn(jobId, "0123456789") == length;
}

std::string DeviceUri(const char* serial)
{
    return std::string(kDeviceUriPrefix) + (serial == nullptr ? "" : serial);
}

const char* UriSerial(const char* uri)
{
    const char* at = uri == nullptr ? nullptr : strstr(uri, "serial=");
    return at == nullptr ? nullptr : at + strlen("serial=");
}

std::string SharedTmpPath(const std::string& name)
{
    return name.empty() ? std::string() : std::string(kSharedTmpDir) + "/" + name;
}

std::string JobFilePath(const char* jobId)
{
    return IsAcceptableJobId(jobId) ? SharedTmpPath(std::string("Print_") + jobId + ".log") : std::string();
}

std::string InfoFilePath(const char* serial)
{
    return IsAcceptableSerial(serial) ? SharedTmpPath(std::string("ZR_") + serial + ".log") : std::string();
}

std::string WatchFileName(const char* serial)
{
    return IsAcceptableSerial(serial) ? std::string("ZR_") + serial + "_UTIL" : std::string();
}

std::string CountRequestName(const char* serial)
{
    return IsAcceptableSerial(serial) ? std::string("ZR_") + serial + "_TC_UTIL" : std::string();
}

namespace {

std::string PauseName(const std::string& deviceUri)
{
    std::string name = "Pause_" + deviceUri;
    for (char& c : name)
        if (c == '/')
            c = '_';
    return name;
}

}  // namespace

std::string PauseFileName(const char* serial)
{
    return IsAcceptableSerial(serial) ? PauseName(DeviceUri(serial)) : std::string();
}

std::string PauseFilePathForUri(const std::string& deviceUri)
{
    const std::string name = PauseName(deviceUri);
    if (deviceUri.empty() || name.size() > NAME_MAX)
        return std::string();
    return SharedTmpPath(name);
}

std::string KeyValueLine(const char* key, const std::string& value)
{
    return std::string(key) + "=\"" + value + "\"\n";
}

std::string QuotedValue(const std::string& line)
{
    const size_t open = line.find('"');
    if (open == std::string::npos)
        return std::string();
    const size_t close = line.find('"', open + 1);
    if (close == std::string::npos)
        return line.substr(open + 1);
    return line.substr(open + 1, close - open - 1);
}

TmpFile::~TmpFile()
{
    Remove();
}

bool TmpFile::Create(const std::string& target, const std::string& text)
{
    Remove();
    struct stat st;
    // Others (the filter's user) read it, nobody else writes it; whatever
    // was left or planted under the name gives way, and a reader never
    // finds the file without its lines.
    if (target.empty() || !ReplaceFile(target, text, 0644, &st))
        return false;
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
