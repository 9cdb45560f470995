#include "backend_files.h"

#include "control_files.h"
#include "replace_file.h"
#include "serial_number.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

namespace {

constexpr const char* kTmpDir = "/tmp";

}  // namespace

std::string zr_backend::JobFilePath(const char* jobId)
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
    struct stat st;
    // Others (the filter's user) read it, nobody else writes it; whatever
    // was left or planted under the name gives way, and the filter never
    // finds the file without its line.
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
