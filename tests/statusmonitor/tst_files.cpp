// What the monitor does with names in the world-writable /tmp: the worker
// reads the daemon's information file by its rules, in a thread of its own,
// and the control files it creates do no harm to what others planted.
#include "control_files.h"
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

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray bytes(const QString &path) { return QFile::encodeName(path); }

mode_t modeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(bytes(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

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

class FilesTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dir.reset(new QTemporaryDir);
        QVERIFY(dir->isValid());
        path = dir->filePath(QStringLiteral("ZR_A1234.log"));
        watch = dir->filePath("ZR_A1234_UTIL");
        victim = dir->filePath("victim");
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
    // mid-rewrite (or not ours): an empty map.
    void wrongLineCountGivesEmptyMap_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QByteArray full = infoFileText(InfoValues());
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
        QCOMPARE(map.value("TOTAL_COUNT"), QString(readable ? "5678" : ""));
        QCOMPARE(map == offlineStatusMap(), !readable);
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

    void controlFileCreatedEmptyWithMode0666()
    {
        const mode_t old = ::umask(022);
        QVERIFY(createControlFile(watch));
        ::umask(old);
        QCOMPARE(modeOf(watch), mode_t(0666));
        QCOMPARE(QFileInfo(watch).size(), qint64(0));

        // Our own file from before is emptied and made removable again.
        QVERIFY(writeInfoFile(watch, "old"));
        QVERIFY(::chmod(bytes(watch).constData(), 0600) == 0);
        QVERIFY(createControlFile(watch));
        QCOMPARE(modeOf(watch), mode_t(0666));
        QCOMPARE(QFileInfo(watch).size(), qint64(0));
    }

    // Whatever somebody planted under a control file's name is neither
    // followed, emptied, re-moded nor waited on: a link to their file, a link
    // into nowhere (whose target must not appear), a second hard link, a FIFO.
    // Removing the control file removes what sits under the name only.
    void plantedNamesAreLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"link", "dangling link", "hard link", "fifo"})
            QTest::newRow(kind) << QString(kind);
    }
    void plantedNamesAreLeftAlone()
    {
        QFETCH(QString, kind);
        QVERIFY(writeInfoFile(victim, "precious\n"));
        QVERIFY(::chmod(bytes(victim).constData(), 0600) == 0);
        const QString target = dir->filePath("created-by-link");
        if (kind == "link")
            QVERIFY(::symlink(bytes(victim).constData(), bytes(watch).constData()) == 0);
        else if (kind == "dangling link")
            QVERIFY(::symlink(bytes(target).constData(), bytes(watch).constData()) == 0);
        else if (kind == "hard link")
            QVERIFY(::link(bytes(victim).constData(), bytes(watch).constData()) == 0);
        else
            QVERIFY(::mkfifo(bytes(watch).constData(), 0600) == 0);

        QVERIFY(!createControlFile(watch));
        QVERIFY(modeOf(watch) != 0666);
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(contentOf(victim), QByteArray("precious\n"));
        QCOMPARE(modeOf(victim), mode_t(0600));
        removeControlFile(watch);
        QVERIFY(!QFileInfo(watch).isSymLink() && !QFileInfo::exists(watch));
        QCOMPARE(contentOf(victim), QByteArray("precious\n"));
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString path;
    QString watch;
    QString victim;
};

QTEST_GUILESS_MAIN(FilesTest)
#include "tst_files.moc"
