#include "status_monitor.h"

#include "shared_files.h"

#include <QByteArray>
#include <QFile>
#include <QMetaType>
#include <QStringList>
#include <QTimerEvent>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The keys in the order the daemon writes them; the reader insists on it so
// that a file caught mid-rewrite cannot mix old and new values silently.
const char *const kKeys[] = {
    "PRINTER_STATUS=", "PRINTER_MESSAGE=", "PRINTER_VERSION=", "PRINTER_SERIAL_NO=",
    "MEDIA_SIZE=",     "MEDIA_INITIAL=",   "MEDIA_REMAIN=",    "TOTAL_COUNT=",
};
constexpr int kKeyCount = sizeof(kKeys) / sizeof(kKeys[0]);

// A complete file has 15 lines, each ended by a line feed.
constexpr int kPieceCount = 16;

constexpr useconds_t kRetryPause = 100000;

// The value of a KEY="value" line, by the rule the daemon writes it with.
QString quotedValue(const QString &piece)
{
    return QString::fromStdString(QuotedValue(piece.toStdString()));
}

// The daemon's file is about 250 bytes; anything larger is not its.
constexpr qint64 kMaxInfoFileSize = 4096;

enum class InfoFile { Read, Missing, Refused };

// The one place that touches the information file. /tmp is world-writable:
// whatever else sits under the name must neither block the worker (a FIFO,
// a device), nor swamp it (a huge file, a link to /dev/zero), nor speak for
// the printer (a file of another user). Only a plain file of root (the
// daemon) or of the current user, of at most kMaxInfoFileSize bytes, is
// read; a link is never followed.
InfoFile readInfoFile(const QByteArray &path, QByteArray *bytes)
{
    bytes->clear();
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? InfoFile::Missing : InfoFile::Refused;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              (st.st_uid == 0 || st.st_uid == ::geteuid()) && st.st_size <= kMaxInfoFileSize;
    if (ok) {
        // One byte beyond the limit tells a file that grew since fstat.
        char buffer[kMaxInfoFileSize + 1];
        qint64 total = 0;
        while (total < qint64(sizeof buffer)) {
            const ssize_t n = ::read(fd, buffer + total, sizeof buffer - size_t(total));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0)
                break;
            total += n;
        }
        if (ok && total <= kMaxInfoFileSize)
            *bytes = QByteArray(buffer, int(total));
        else
            ok = false;
    }
    ::close(fd);
    return ok ? InfoFile::Read : InfoFile::Refused;
}

// A file that is there but cannot be read is tried once more a moment later.
InfoFile readWithRetry(const QByteArray &path, QByteArray *bytes)
{
    const InfoFile first = readInfoFile(path, bytes);
    if (first != InfoFile::Refused)
        return first;
    usleep(kRetryPause);
    return readInfoFile(path, bytes);
}

const int kStatusMapTypeId = qRegisterMetaType<QMap<QString, QString>>("QMap<QString,QString>");

} // namespace

QMap<QString, QString> offlineStatusMap()
{
    QMap<QString, QString> map;
    map.insert(QStringLiteral("PRINTER_STATUS"), QStringLiteral("99999"));
    map.insert(QStringLiteral("PRINTER_MESSAGE"), QStringLiteral("00006"));
    for (const char *key : {"PRINTER_VERSION", "PRINTER_SERIAL_NO", "MEDIA_SIZE",
                            "MEDIA_INITIAL", "MEDIA_REMAIN", "TOTAL_COUNT"})
        map.insert(QString::fromLatin1(key), QString());
    return map;
}

StatusMonitor::StatusMonitor(QString filePath, int interval, QObject *parent)
    : QObject(parent), interval(interval), timerId(0), filePath(std::move(filePath))
{
    (void)kStatusMapTypeId;
    timerId = startTimer(interval, Qt::CoarseTimer);
}

StatusMonitor::~StatusMonitor()
{
    killTimer(timerId);
}

void StatusMonitor::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != timerId)
        return;
    const QMap<QString, QString> map = getPrinterStatus();
    emit statusNotification(map);
}

QMap<QString, QString> StatusMonitor::getPrinterStatus()
{
    QMap<QString, QString> map;
    if (!createStatusMap(map)) {
        // The daemon rewrites the file in place; a short pause usually lets
        // it finish.
        usleep(kRetryPause);
        createStatusMap(map);
    }
    return map;
}

bool StatusMonitor::createStatusMap(QMap<QString, QString> &map)
{
    map.clear();
    QByteArray bytes;
    if (readWithRetry(QFile::encodeName(filePath), &bytes) != InfoFile::Read) {
        map = offlineStatusMap();
        return false;
    }
    const QString text = QString::fromUtf8(bytes);

    const QStringList pieces = text.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    if (pieces.size() != kPieceCount)
        return false;

    int expected = 0;
    for (const QString &piece : pieces) {
        const QString key = QString::fromLatin1(kKeys[expected]);
        if (!piece.startsWith(key, Qt::CaseSensitive))
            continue;
        QString value = quotedValue(piece);
        if (expected == 0 && value.isEmpty())
            value = QStringLiteral("99999");
        map.insert(key.left(key.size() - 1), value);
        if (expected < kKeyCount - 1)
            ++expected;
    }
    return true;
}
