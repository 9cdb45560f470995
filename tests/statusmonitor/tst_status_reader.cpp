// The worker's reader rules on real files, and its life in its own thread.
#include "info_files.h"
#include "status_monitor.h"
#include "worker_thread.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// A worker that notes whether it is destroyed while a tick is under way:
// 1 in a tick, 2 destroyed between ticks, 3 destroyed in a tick.
class TickWatcher : public StatusMonitor
{
public:
    TickWatcher(const QString &path, std::atomic<int> *state) : StatusMonitor(path, 20), state(state) {}
    ~TickWatcher() override { *state = *state == 1 ? 3 : 2; }

protected:
    void timerEvent(QTimerEvent *event) override
    {
        *state = 1;
        StatusMonitor::timerEvent(event);
        *state = 0;
    }

private:
    std::atomic<int> *state;
};

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

    // Every value the daemon can write comes back as written (the daemon
    // keeps quotes and line breaks out of its values); an empty status reads
    // as the offline code.
    void valuesComeBackAsTheDaemonWroteThem()
    {
        InfoValues v;
        v.status = "";
        v.message = "";
        v.version = "FW 1.53 = new";
        v.serial = "A-1_2.3";
        v.mediaSize = "";
        v.total = "0123456789";
        QVERIFY(writeInfoFile(path, infoFileText(v)));
        StatusMonitor monitor(path, 500);
        StatusMap map;
        QVERIFY(monitor.createStatusMap(map));
        const StatusMap expected{{"PRINTER_STATUS", "99999"}, {"PRINTER_MESSAGE", ""},
                                 {"PRINTER_VERSION", "FW 1.53 = new"}, {"PRINTER_SERIAL_NO", "A-1_2.3"},
                                 {"MEDIA_SIZE", ""}, {"MEDIA_INITIAL", "400"},
                                 {"MEDIA_REMAIN", "350"}, {"TOTAL_COUNT", "0123456789"}};
        QCOMPARE(map, expected);
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

    // A missing or unopenable file, and whatever somebody else placed under
    // the name in the world-writable /tmp, give the offline reading promptly:
    // nothing that blocks (a FIFO), nothing larger than a few kilobytes, no
    // link, nothing of another user. The daemon's own file, of root, or one
    // of the current user is read.
    void foreignOrHostileFileGivesOfflineMap_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("readable");
        QTest::newRow("missing") << "missing" << false;
        QTest::newRow("directory") << "directory" << false;
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
        if (kind == "directory") {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == "fifo") {
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
        QCOMPARE(monitor.createStatusMap(map), readable);
        QCOMPARE(map.size(), 8);
        QCOMPARE(map.value("TOTAL_COUNT"), QString(readable ? "5678" : ""));
        QCOMPARE(map == offlineStatusMap(), !readable);
        QCOMPARE(monitor.getPrinterStatus(), map);
    }

    // In its thread the worker reports every period and follows the file as
    // the daemon rewrites or loses it. Stopping the thread waits for the tick
    // under way (a directory under the name makes each tick sleep through
    // its retries), and only then is the worker gone.
    void workerInItsThread()
    {
        QVERIFY(writeInfoFile(path, infoFileText(InfoValues())));
        std::atomic<int> state{0};
        auto *monitor = new TickWatcher(path, &state);
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

        QVERIFY(QDir().mkdir(path));
        QTRY_COMPARE(state.load(), 1);
        stopWorkerThread(thread);
        QCOMPARE(state.load(), 2);
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString path;
};

QTEST_GUILESS_MAIN(StatusReaderTest)
#include "tst_status_reader.moc"
