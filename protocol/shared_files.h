// What the programs leave for each other in /tmp, and the names that tie a
// printer to its files and its queue: the one rule for which serial numbers
// and job ids may name a file, the names built from them, the device URI,
// the key="value" line both the backend's job file and the daemon's
// information file are made of, and a file that removes only itself.
#pragma once

#include <sys/types.h>

#include <string>

constexpr const char* kSharedTmpDir = "/tmp";
constexpr const char* kDeviceUriPrefix = "korvane-zvobackend://KORVANE/ZR?serial=";

// The serial number comes from the device and is not trusted: it names files
// in /tmp, goes into the queue's device URI and onto command lines. True for
// 1 to 63 characters, only letters, digits, '-', '_' and '.', not starting
// with '.'.
bool IsAcceptableSerial(const char* serial);
// CUPS job ids are decimal: 1 to 20 digits.
bool IsAcceptableJobId(const char* jobId);

// kDeviceUriPrefix + serial.
std::string DeviceUri(const char* serial);
// The serial in a device URI: the text after its first "serial=", or null.
const char* UriSerial(const char* uri);

// Every path below is empty when its serial or job id is not acceptable.
// "/tmp/Print_<job>.log": the backend announces the job and its media.
std::string JobFilePath(const char* jobId);
// "/tmp/ZR_<serial>.log": the daemon's reading of the printer.
std::string InfoFilePath(const char* serial);
// "ZR_<serial>_UTIL": present while a status monitor watches the printer.
std::string WatchFileName(const char* serial);
// "ZR_<serial>_TC_UTIL": a status monitor asks for a fresh print counter.
std::string CountRequestName(const char* serial);
// "Pause_" + the device URI with each '/' turned into '_': present while
// the backend prints.
std::string PauseFileName(const char* serial);
// kSharedTmpDir + "/" + name, or empty for an empty name.
std::string SharedTmpPath(const std::string& name);
// The pause file of any device URI, empty when the name would not fit.
std::string PauseFilePathForUri(const std::string& deviceUri);

// KEY="value" and a line feed.
std::string KeyValueLine(const char* key, const std::string& value);
// The text between the first and the second double quote of a line;
// everything after a lone quote; nothing without one.
std::string QuotedValue(const std::string& line);

// A file this process created in /tmp, removed again when the object ends
// (only if the name still holds the file that was created).
class TmpFile {
public:
    TmpFile() = default;
    ~TmpFile();
    TmpFile(const TmpFile&) = delete;
    TmpFile& operator=(const TmpFile&) = delete;

    // Creates `path` afresh with `text`, mode 0644, in one step: a leftover
    // entry of that name (a stale file, a planted symlink) is replaced, never
    // followed. False when refused.
    bool Create(const std::string& path, const std::string& text);
    void Remove();
    const std::string& Path() const { return path; }

private:
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
};
