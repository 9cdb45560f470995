// The worker's reader rules on real files, and its life in its own thread.
#include "info_files.h"
#include "status_monitor.h"
#include "worker_thread.h"

#include <QAtomicInt>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

StatusMap read(const QString &path)
{
    StatusMonitor monitor(path, 500);
    StatusMap map;
    monitor.createStatusMap(map);
    return map;
}

QByteArray bytes(const QString &path) { return QFile::encodeName(path); }

// A valid information file of exactly `size` bytes: the model line, which
// the reader skips, is stretched.
QByteArray infoFileOfSize(int size)
{
    QByteArray text = infoFileText(InfoValues());
    const int extra = size - text.size();
    text.replace("MODEL=\"ZR\"", "MODEL=\"ZR\"" + QByteArray(qMax(extra, 0), 'x'));
    return text;
}

} // namespace

class StatusReaderTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dir.reset(new QTemporaryDir);
        QVERIFY(dir->isValid());
        path = dir->filePath(QStringLiteral("ZR_A1234.log"));
    }

    void completeFileGivesAllEightKeys()
    {
        QVERIFY(writeInfoFile(path, infoFileText(InfoValues())));
        StatusMonitor monitor(path, 500);
        StatusMap map;
        QVERIFY(monitor.createStatusMap(map));
        QCOMPARE(map.size(), 8);
        QCOMPARE(map.value("PRINTER_STATUS"), QString("00000"));
        QCOMPARE(map.value("PRINTER_MESSAGE"), QString("00001"));
        QCOMPARE(map.value("PRINTER_VERSION"), QString("1.53"));
        QCOMPARE(map.value("PRINTER_SERIAL_NO"), QString("A1234"));
        QCOMPARE(map.value("MEDIA_SIZE"), QString("310"));
        QCOMPARE(map.value("MEDIA_INITIAL"), QString("400"));
        QCOMPARE(map.value("MEDIA_REMAIN"), QString("350"));
        QCOMPARE(map.value("TOTAL_COUNT"), QString("5678"));
    }

    void missingOrUnopenableFileGivesOfflineMap_data()
    {
        QTest::addColumn<bool>("asDirectory");
        QTest::newRow("missing") << false;
        QTest::newRow("unopenable") << true;
    }
    void missingOrUnopenableFileGivesOfflineMap()
    {
        QFETCH(bool, asDirectory);
        if (asDirectory)
            QVERIFY(QDir().mkdir(path));
        StatusMonitor monitor(path, 500);
        StatusMap map;
        QVERIFY(!monitor.createStatusMap(map));
        QCOMPARE(map, offlineStatusMap());
        QCOMPARE(map.size(), 8);
        QCOMPARE(map.value("PRINTER_STATUS"), QString("99999"));
        QCOMPARE(map.value("PRINTER_MESSAGE"), QString("00006"));
        QCOMPARE(monitor.getPrinterStatus(), offlineStatusMap());
    }

    // Anything but sixteen pieces at the line feeds is a file caught
    // mid-rewrite (or not ours): an empty map, also after the retry.
    void wrongLineCountGivesEmptyMap_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QByteArray full = infoFileText(InfoValues());
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("without final line feed") << full.left(full.size() - 1);
        QTest::newRow("half written") << full.left(full.size() / 2);
        QTest::newRow("extra line") << full + "\n";
    }
    void wrongLineCountGivesEmptyMap()
    {
        QFETCH(QByteArray, text);
        QVERIFY(writeInfoFile(path, text));
        StatusMonitor monitor(path, 500);
        StatusMap map;
        map.insert("stale", "value");
        QVERIFY(!monitor.createStatusMap(map));
        QVERIFY(map.isEmpty());
        QVERIFY(monitor.getPrinterStatus().isEmpty());
    }

    // Every value the daemon can write comes back as written (the daemon
    // keeps quotes and line breaks out of its values).
    void valuesComeBackAsTheDaemonWroteThem()
    {
        InfoValues v;
        v.version = "FW 1.53 = new";
        v.serial = "A-1_2.3";
        v.mediaSize = "";
        v.total = "0123456789";
        QVERIFY(writeInfoFile(path, infoFileText(v)));
        const StatusMap map = read(path);
        QCOMPARE(map.value("PRINTER_VERSION"), QString("FW 1.53 = new"));
        QCOMPARE(map.value("PRINTER_SERIAL_NO"), QString("A-1_2.3"));
        QVERIFY(map.contains("MEDIA_SIZE") && map.value("MEDIA_SIZE").isEmpty());
        QCOMPARE(map.value("TOTAL_COUNT"), QString("0123456789"));
    }

    void emptyValues()
    {
        InfoValues v;
        v.status = "";
        v.message = "";
        QVERIFY(writeInfoFile(path, infoFileText(v)));
        const StatusMap map = read(path);
        QCOMPARE(map.value("PRINTER_STATUS"), QString("99999"));
        QVERIFY(map.contains("PRINTER_MESSAGE"));
        QCOMPARE(map.value("PRINTER_MESSAGE"), QString(""));
    }

    // Whatever somebody else placed under the name in the world-writable /tmp
    // is refused promptly, like a missing file: nothing that blocks (a FIFO),
    // nothing larger than a few kilobytes, no link, nothing of another user.
    // The daemon's own file, of root, or one of the current user is read.
    void foreignOrHostileFileGivesOfflineMap_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("readable");
        QTest::newRow("fifo") << "fifo" << false;
        QTest::newRow("1.5 GB sparse file") << "sparse" << false;
        QTest::newRow("link to /dev/zero") << "zero link" << false;
        QTest::newRow("link to a valid file") << "file link" << false;
        QTest::newRow("valid file of another user") << "foreign" << false;
        QTest::newRow("one byte over 4096") << "4097" << false;
        QTest::newRow("4096 bytes") << "4096" << true;
        QTest::newRow("valid file of root (or ours)") << "root" << true;
    }
    void foreignOrHostileFileGivesOfflineMap()
    {
        QFETCH(QString, kind);
        QFETCH(bool, readable);
        const QByteArray name = bytes(path);
        if (kind == "fifo") {
            QVERIFY(::mkfifo(name.constData(), 0644) == 0);
        } else if (kind == "sparse") {
            const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            QVERIFY(fd >= 0);
            const bool grown = ::ftruncate(fd, off_t(1536) << 20) == 0;
            ::close(fd);
            QVERIFY(grown);
        } else if (kind == "zero link") {
            QVERIFY(::symlink("/dev/zero", name.constData()) == 0);
        } else if (kind == "file link") {
            const QString valid = dir->filePath(QStringLiteral("valid.log"));
            QVERIFY(writeInfoFile(valid, infoFileText(InfoValues())));
            QVERIFY(::symlink(bytes(valid).constData(), name.constData()) == 0);
        } else if (kind == "foreign") {
            if (::geteuid() != 0)
                QSKIP("handing a file to another user needs root");
            QVERIFY(writeInfoFile(path, infoFileText(InfoValues())));
            QVERIFY(::chown(name.constData(), 65534, 65534) == 0);
        } else if (kind == "4097" || kind == "4096") {
            const QByteArray text = infoFileOfSize(kind.toInt());
            QCOMPARE(text.size(), kind.toInt());
            QVERIFY(writeInfoFile(path, text));
        } else if (kind == "root") {
            QVERIFY(writeInfoFile(path, infoFileText(InfoValues())));
            if (::geteuid() == 0)
                QVERIFY(::chown(name.constData(), 0, 0) == 0);
        }

        // A reader that blocks or reads without bound hangs or aborts here,
        // which the test's time limit and the crash turn into a failure.
        StatusMonitor monitor(path, 500);
        StatusMap map;
        const bool created = monitor.createStatusMap(map);
        const StatusMap retried = monitor.getPrinterStatus();
        if (readable) {
            QVERIFY(created);
            QCOMPARE(map.size(), 8);
            QCOMPARE(map.value("PRINTER_STATUS"), QString("00000"));
            QCOMPARE(map.value("TOTAL_COUNT"), QString("5678"));
            QCOMPARE(retried, map);
        } else {
            QVERIFY(!created);
            QCOMPARE(map, offlineStatusMap());
            QCOMPARE(retried, offlineStatusMap());
        }
    }

    // In its thread the worker reports every period, follows the file as the
    // daemon rewrites or loses it, and is gone once the thread is stopped.
    void workerInItsThread()
    {
        QVERIFY(writeInfoFile(path, infoFileText(InfoValues())));
        auto *monitor = new StatusMonitor(path, 50);
        QPointer<StatusMonitor> alive(monitor);
        QSignalSpy spy(monitor, &StatusMonitor::statusNotification);
        auto *thread = new QThread;
        startWorkerThread(monitor, thread);
        QTRY_VERIFY(spy.count() >= 1);
        QCOMPARE(spy.last().at(0).value<StatusMap>().value("PRINTER_STATUS"), QString("00000"));

        InfoValues printing;
        printing.status = "00001";
        QVERIFY(writeInfoFile(path, infoFileText(printing)));
        QTRY_COMPARE(spy.last().at(0).value<StatusMap>().value("PRINTER_STATUS"), QString("00001"));

        QVERIFY(QFile::remove(path));
        QTRY_COMPARE(spy.last().at(0).value<StatusMap>(), offlineStatusMap());

        stopWorkerThread(thread);
        QVERIFY(alive.isNull());
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString path;
};

// A worker whose tick takes long and which notes whether it is destroyed
// while a tick is still under way.
class SlowMonitor : public StatusMonitor
{
public:
    SlowMonitor(QString path, QAtomicInt *inTick, QAtomicInt *destroyedInTick, QAtomicInt *ticks)
        : StatusMonitor(std::move(path), 20), inTick(inTick), destroyedInTick(destroyedInTick), ticks(ticks)
    {
    }
    ~SlowMonitor() override { destroyedInTick->storeRelaxed(inTick->loadRelaxed()); }

protected:
    void timerEvent(QTimerEvent *event) override
    {
        inTick->storeRelaxed(1);
        ticks->ref();
        // A directory under the file's name fails both opens: each reading
        // sleeps three times 100 ms, like a tick on a busy file.
        StatusMonitor::timerEvent(event);
        inTick->storeRelaxed(0);
    }

private:
    QAtomicInt *inTick;
    QAtomicInt *destroyedInTick;
    QAtomicInt *ticks;
};

class WorkerStopTest : public QObject
{
    Q_OBJECT
private slots:
    void stopWaitsForTheTickUnderWay()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("busy.log");
        QVERIFY(QDir().mkdir(path));
        for (int round = 0; round < 3; ++round) {
            QAtomicInt inTick(0), destroyedInTick(-1), ticks(0);
            auto *monitor = new SlowMonitor(path, &inTick, &destroyedInTick, &ticks);
            QPointer<StatusMonitor> alive(monitor);
            auto *thread = new QThread;
            startWorkerThread(monitor, thread);
            QTRY_VERIFY(inTick.loadRelaxed() == 1);
            stopWorkerThread(thread);
            QVERIFY(alive.isNull());
            QCOMPARE(destroyedInTick.loadRelaxed(), 0);
            QVERIFY(ticks.loadRelaxed() >= 1);
        }
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int status = 0;
    {
        StatusReaderTest reader;
        status |= QTest::qExec(&reader, argc, argv);
    }
    {
        WorkerStopTest stop;
        status |= QTest::qExec(&stop, argc, argv);
    }
    return status;
}

#include "tst_status_reader.moc"
