#include "control_files.h"

#include "shared_files.h"

#include <QByteArray>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The names come from the contract the daemon reads them by; a serial that
// may not name a file gives an empty path, which nothing creates or reads.
QString sharedPath(const std::string &name)
{
    return QString::fromStdString(SharedTmpPath(name));
}

} // namespace

QString infoFilePath(const QString &serial)
{
    return QString::fromStdString(InfoFilePath(serial.toUtf8().constData()));
}

QString watchFilePath(const QString &serial)
{
    return sharedPath(WatchFileName(serial.toUtf8().constData()));
}

QString totalCountRequestPath(const QString &serial)
{
    return sharedPath(CountRequestName(serial.toUtf8().constData()));
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
