#include "status_monitor.h"

#include <QFile>
#include <QMetaType>
#include <QStringList>
#include <QTextStream>
#include <QTimerEvent>

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

// Text between the first and the second double quote; everything after a
// lone quote; nothing without one.
QString quotedValue(const QString &piece)
{
    const int open = piece.indexOf(QLatin1Char('"'));
    if (open < 0)
        return QString();
    const int close = piece.indexOf(QLatin1Char('"'), open + 1);
    if (close < 0)
        return piece.mid(open + 1);
    return piece.mid(open + 1, close - open - 1);
}

bool openWithRetry(QFile &file)
{
    if (file.open(QIODevice::ReadOnly))
        return true;
    usleep(kRetryPause);
    return file.open(QIODevice::ReadOnly);
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
    QFile file(filePath);
    if (!file.exists() || !openWithRetry(file)) {
        map = offlineStatusMap();
        return false;
    }
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    const QString text = stream.readAll();
    file.close();

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
