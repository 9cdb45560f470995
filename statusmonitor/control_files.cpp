#include "control_files.h"

#include <QByteArray>
#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The daemon matches control files by name prefix in /tmp with 128-byte
// names; a longer name, or one that leaves /tmp, cannot be one of ours.
constexpr size_t kControlPathSize = 128;

QString controlFileName(const char *format, const QString &serial)
{
    const QByteArray s = serial.toUtf8();
    if (s.isEmpty() || s.contains('/'))
        return QString();
    char path[kControlPathSize];
    const int n = std::snprintf(path, sizeof path, format, "ZR", s.constData());
    if (n < 0 || static_cast<size_t>(n) >= sizeof path)
        return QString();
    return QString::fromUtf8(path);
}

} // namespace

QString infoFilePath(const QString &serial)
{
    return QStringLiteral("/tmp/ZR_") + serial + QStringLiteral(".log");
}

QString watchFilePath(const QString &serial)
{
    return controlFileName("/tmp/%s_%s_UTIL", serial);
}

QString totalCountRequestPath(const QString &serial)
{
    return controlFileName("/tmp/%s_%s_TC_UTIL", serial);
}

bool createControlFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QByteArray p = QFile::encodeName(path);
    // No O_TRUNC here: a hard link planted under our name must not empty the
    // file it points at. Emptying waits until the file is known to be ours.
    const int fd = ::open(p.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
                      st.st_uid == ::geteuid();
    // fchmod acts on the file just opened, never on whatever the name points
    // at a moment later.
    const bool ok = ours && ::ftruncate(fd, 0) == 0 && ::fchmod(fd, 0666) == 0;
    ::close(fd);
    return ok;
}

void removeControlFile(const QString &path)
{
    if (!path.isEmpty())
        ::unlink(QFile::encodeName(path).constData());
}
