// The status window against a private scheduler and a private /tmp: queue
// list, watch and request files, and how each reading is shown.
#include "dialog_probe.h"
#include "info_files.h"
#include "status_dialog.h"
#include "status_monitor.h"

#include <QApplication>
#include <QDir>
#include <QTranslator>
#include <QtTest>

#include <QElapsedTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int qInitResources_statusmonitor();

namespace {

const QString kWatchA = "/tmp/ZR_A1234_UTIL";
const QString kWatchB = "/tmp/ZR_B5678_UTIL";
const QString kInfoA = "/tmp/ZR_A1234.log";
const QString kInfoB = "/tmp/ZR_B5678.log";

QString en(const char *key) { return QCoreApplication::translate("StatusDialog", key); }

StatusMap reading(const char *status, const char *message, const char *size, const char *initial,
                  const char *remain, const char *total = "5678")
{
    return {{"PRINTER_STATUS", status}, {"PRINTER_MESSAGE", message}, {"PRINTER_VERSION", "1.53"},
            {"PRINTER_SERIAL_NO", "A1234"}, {"MEDIA_SIZE", size},     {"MEDIA_INITIAL", initial},
            {"MEDIA_REMAIN", remain},       {"TOTAL_COUNT", total}};
}

QStringList zrFilesInTmp()
{
    return QDir("/tmp").entryList({"ZR_*"}, QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
}

// Frees a reader stuck in open() on a FIFO, so that a failing test cannot
// leave the window waiting for its worker for ever: once `afterMs` have
// passed (noted as used) and in any case when the object goes, it opens the
// other end, takes the name away and closes the end again a little later,
// so the stuck reader reads an end of file and its next try finds no file.
class FifoRescue
{
public:
    FifoRescue(const QString &path, int afterMs)
        : name(QFile::encodeName(path)), thread([this, afterMs] {
              std::unique_lock<std::mutex> lock(mutex);
              if (!wake.wait_for(lock, std::chrono::milliseconds(afterMs), [this] { return stopping; })) {
                  rescued = true;
                  release();
              }
          })
    {
    }
    ~FifoRescue()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        thread.join();
        release();
    }
    bool used() const { return rescued; }

private:
    void release()
    {
        // O_RDWR never blocks on a FIFO on Linux and counts as a writer.
        const int fd = ::open(name.constData(), O_RDWR | O_NONBLOCK);
        ::unlink(name.constData());
        if (fd >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            ::close(fd);
        }
    }

    QByteArray name;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::atomic<bool> rescued{false};
    std::thread thread;
};

} // namespace

class StatusDialogTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            QSKIP("needs the private scheduler of with_cupsd.sh");
        QVERIFY(QDir("/tmp").entryList({"ZR_*"}).isEmpty());
        qInitResources_statusmonitor();
        QVERIFY(translator.load(":/translations/localize_en"));
        QApplication::installTranslator(&translator);
    }

private:
    // The window asks CUPS in a thread of its own: it is ready once the
    // list has been filled from the answer.
    void openDialog()
    {
        dialog.reset(new StatusDialog);
        QSignalSpy shown(dialog.get(), &StatusDialog::printerListShown);
        QTRY_VERIFY_WITH_TIMEOUT(shown.count() > 0, 20000);
    }

    // A click or a key on the list asks CUPS again.
    template <typename Action> void refreshList(Action act)
    {
        QSignalSpy shown(dialog.get(), &StatusDialog::printerListShown);
        act();
        QTRY_VERIFY_WITH_TIMEOUT(shown.count() > 0, 20000);
    }

private slots:

    void cleanup()
    {
        dialog.reset();
        for (const QString &name : zrFilesInTmp())
            QFile::remove("/tmp/" + name);
    }

    void listsZrQueuesAndWatchesTheFirst()
    {
        openDialog();
        QCOMPARE(printerNames(*dialog), QStringList({"KORVANE-ZR", "KORVANE-ZR-2"}));
        QCOMPARE(printerList(*dialog)->currentIndex(), 0);
        QCOMPARE(zrFilesInTmp(), QStringList({"ZR_A1234_UTIL"}));
        QCOMPARE(modeOf(kWatchA), 0666);
        QCOMPARE(dialog->size(), QSize(550, 570));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());

        // No information file yet: the offline state.
        QCOMPARE(labelText(*dialog, "label_Status"), QString("Offline"));
        QCOMPARE(labelText(*dialog, "label_StatusMessage"),
                 QString("Connect the printer and computer, and turn on the power."));
        QCOMPARE(labelText(*dialog, "label_SerialValue"), QString("---"));
        QCOMPARE(shownPicture(*dialog), resourcePicture("PrtStsOffline"));

        // The daemon writes the file: the worker's next readings show it.
        InfoValues printing;
        printing.status = "00001";
        printing.message = "00001";
        QVERIFY(writeInfoFile(kInfoA, infoFileText(printing)));
        QTRY_COMPARE(labelText(*dialog, "label_Status"), QString("Printing"));
        QCOMPARE(labelText(*dialog, "label_MediaSize"), QString("6x8in"));
        QCOMPARE(labelText(*dialog, "label_MediaSizeDetails"), QString("350 / 400  Sheets"));
        QCOMPARE(barValue(*dialog), 87);
        QCOMPARE(labelText(*dialog, "label_SerialValue"), QString("A1234"));
        QCOMPARE(labelText(*dialog, "label_FWValue"), QString("1.53"));
        QCOMPARE(labelText(*dialog, "label_TCValue"), QString("5678"));
        QCOMPARE(shownPicture(*dialog), resourcePicture("PrtStsPrinting"));

        // The printer leaves: the daemon writes the offline form.
        InfoValues gone;
        gone = {"99999", "00006", "", "", "", "", "", ""};
        QVERIFY(writeInfoFile(kInfoA, infoFileText(gone)));
        QTRY_COMPARE(labelText(*dialog, "label_Status"), QString("Offline"));
        QCOMPARE(labelText(*dialog, "label_TCValue"), QString("---"));
        QCOMPARE(labelText(*dialog, "label_FWValue"), QString("---"));

        // Closing removes the watch file and nothing else.
        dialog.reset();
        QCOMPARE(zrFilesInTmp(), QStringList({"ZR_A1234.log"}));
    }

    void readingsShown_data()
    {
        QTest::addColumn<StatusMap>("map");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("picture");

        const QString incorrect = "\n" + en("ms_00108");
        QTest::newRow("waiting, 6x4in") << reading("00000", "00001", "00301", "400", "350")
            << "6x4in" << "350 / 400  Sheets" << 87 << "Waiting" << " " << "PrtStsIdle";
        QTest::newRow("unknown size") << reading("00000", "00001", "999", "400", "350")
            << "---" << "0 / 400  Sheets" << 0 << "Waiting" << " " + incorrect << "PrtStsIdle";
        QTest::newRow("ribbon end") << reading("01200", "00103", "999", "400", "350")
            << "---" << "0 / 400  Sheets" << 0 << "Ribbon end" << en("ms_00103") << "PrtStsRibbonEnd";
        QTest::newRow("1600 gets no media line") << reading("01600", "00200", "999", "400", "350")
            << "---" << "350 / 400  Sheets" << 87 << "System error" << en("ms_00200") << "PrtStsSystemErr01";
        QTest::newRow("paper end") << reading("01100", "00102", "00210", "400", "0")
            << "5x7in" << "0 / 400  Sheets" << 0 << "Paper end"
            << "Load new media.\n(Replace the paper and ribbon as a set.)" << "PrtStsPaperEnd";
        QTest::newRow("initial 0") << reading("00500", "00003", "200", "0", "10")
            << "5x3.5in" << "--- / ---  Sheets" << 0 << "Cooling head" << en("ms_00003") << "PrtStsCooling";
        QTest::newRow("no counts") << reading("01000", "00100", "310", "", "10")
            << "6x8in" << "--- / ---  Sheets" << 0 << "Door open" << "Close the printer." << "PrtStsCoverOpen";
        QTest::newRow("status not a number") << reading("ab", "00099", "310", "400", "400")
            << "6x8in" << "400 / 400  Sheets" << 100 << "Waiting" << "" << "PrtStsIdle";
        QTest::newRow("unknown status") << reading("04711", "00001", "310", "400", "100")
            << "6x8in" << "100 / 400  Sheets" << 25 << "System error" << " " << "PrtStsSystemErr01";
        QTest::newRow("power saving") << reading("00900", "00001", "310", "400", "1")
            << "6x8in" << "1 / 400  Sheets" << 0 << "Waiting (Power saving mode)" << " " << "PrtStsIdle";
        // More prints left than the roll holds: the bar is full, not stale.
        QTest::newRow("remaining above initial") << reading("00000", "00001", "310", "400", "500")
            << "6x8in" << "500 / 400  Sheets" << 100 << "Waiting" << " " << "PrtStsIdle";
        QTest::newRow("status 99999") << reading("99999", "00006", "310", "400", "350")
            << "---" << "--- / ---  Sheets" << 0 << "Offline" << en("ms_00006") << "PrtStsOffline";
    }
    void readingsShown()
    {
        QFETCH(StatusMap, map);
        openDialog();
        // A reading with a known bar value first, so a stale bar would show.
        dialog->upDateStatus(reading("00000", "00001", "310", "400", "200"));
        QCOMPARE(barValue(*dialog), 50);
        dialog->upDateStatus(map);
        QTEST(labelText(*dialog, "label_MediaSize"), "size");
        QTEST(labelText(*dialog, "label_MediaSizeDetails"), "detail");
        QTEST(barValue(*dialog), "bar");
        QTEST(labelText(*dialog, "label_Status"), "status");
        QTEST(labelText(*dialog, "label_StatusMessage"), "message");
        QFETCH(QString, picture);
        QCOMPARE(shownPicture(*dialog), resourcePicture(picture.toLatin1().constData()));
        const bool offline = picture == "PrtStsOffline";
        QCOMPARE(labelText(*dialog, "label_SerialValue"), QString(offline ? "---" : "A1234"));
        QCOMPARE(labelText(*dialog, "label_FWValue"), QString(offline ? "---" : "1.53"));
    }

    // The count shown survives readings without one, until the printer
    // changes.
    void totalCountRules()
    {
        openDialog();
        auto shown = [&](const char *total) {
            dialog->upDateStatus(reading("00000", "00001", "310", "400", "350", total));
            return labelText(*dialog, "label_TCValue");
        };
        QCOMPARE(shown("abc"), QString("---"));
        QCOMPARE(shown(""), QString("---"));
        QCOMPARE(shown("0012345"), QString("12345"));
        QCOMPARE(shown("abc"), QString("12345"));
        QCOMPARE(shown(""), QString("12345"));
        QCOMPARE(shown("12346"), QString("12346"));
        printerList(*dialog)->setCurrentIndex(1);
        QCOMPARE(shown(""), QString("---"));
    }

    void watchAndRequestFiles()
    {
        // Somebody plants a link under the second printer's watch file name.
        QFile victim("/tmp/victim");
        QVERIFY(victim.open(QIODevice::WriteOnly));
        victim.write("precious");
        victim.close();
        QVERIFY(victim.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::link("/tmp/victim", kWatchB));

        openDialog();
        QVERIFY(QFileInfo::exists(kWatchA));
        printerList(*dialog)->setCurrentIndex(1);
        QVERIFY(!QFileInfo::exists(kWatchA));
        QVERIFY(QFileInfo(kWatchB).isSymLink());
        QCOMPARE(modeOf("/tmp/victim"), 0600);
        QVERIFY(victim.open(QIODevice::ReadOnly));
        QCOMPARE(victim.readAll(), QByteArray("precious"));
        victim.close();
        QVERIFY(QFile::remove(kWatchB));

        printerList(*dialog)->setCurrentIndex(0);
        QVERIFY(QFileInfo::exists(kWatchA));
        printerList(*dialog)->setCurrentIndex(1);
        QVERIFY(!QFileInfo::exists(kWatchA));
        QCOMPARE(modeOf(kWatchB), 0666);

        // Update asks the daemon for the counter of the printer shown.
        dialog->push_update();
        QCOMPARE(modeOf("/tmp/ZR_B5678_TC_UTIL"), 0666);
        QVERIFY(!QFileInfo::exists("/tmp/ZR_A1234_TC_UTIL"));

        // Closing removes the watch file; the request is the daemon's to remove.
        dialog.reset();
        QVERIFY(!QFileInfo::exists(kWatchB));
        QVERIFY(QFileInfo::exists("/tmp/ZR_B5678_TC_UTIL"));
    }

    // A FIFO planted as a printer's information file must not stop the
    // worker: the window shows that printer offline, and switching away,
    // which waits for the worker to end, comes back at once.
    void plantedFifoKeepsTheWindowResponsive()
    {
        QVERIFY(writeInfoFile(kInfoA, infoFileText(InfoValues())));
        openDialog();
        QTRY_COMPARE(labelText(*dialog, "label_Status"), QString("Waiting"));

        QVERIFY(::mkfifo(QFile::encodeName(kInfoB).constData(), 0644) == 0);
        FifoRescue rescue(kInfoB, 8000);
        printerList(*dialog)->setCurrentIndex(1);
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*dialog, "label_Status"), QString("Offline"), 5000);
        QCOMPARE(labelText(*dialog, "label_SerialValue"), QString("---"));

        QElapsedTimer clock;
        clock.start();
        printerList(*dialog)->setCurrentIndex(0);
        QVERIFY2(!rescue.used(), "switching away waited for the worker stuck on the FIFO");
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString("switching away took %1 ms").arg(clock.elapsed())));
        QTRY_COMPARE(labelText(*dialog, "label_Status"), QString("Waiting"));
    }

    // A click or a key on the list re-reads CUPS; the selection starts again
    // on the first entry and the watch file of the same printer is left alone.
    void listRefreshedOnClickAndKey()
    {
        openDialog();
        QFile watch(kWatchA);
        QVERIFY(watch.open(QIODevice::WriteOnly));
        watch.write("untouched");
        watch.close();
        QVERIFY(addQueue("KORVANE-ZR-3", "korvane-zvobackend://KORVANE/ZR?serial=C9"));
        QVERIFY(addQueue("KORVANE-ZR-9", "otherbackend://KORVANE/ZR?serial=D1"));

        QComboBox *list = printerList(*dialog);
        refreshList([list] { QTest::mouseClick(list, Qt::LeftButton); });
        list->hidePopup();
        QCOMPARE(printerNames(*dialog), QStringList({"KORVANE-ZR", "KORVANE-ZR-2", "KORVANE-ZR-3"}));
        QCOMPARE(list->currentIndex(), 0);
        QVERIFY(watch.open(QIODevice::ReadOnly));
        QCOMPARE(watch.readAll(), QByteArray("untouched"));
        watch.close();

        QVERIFY(removeQueue("KORVANE-ZR-2"));
        refreshList([list] { QTest::keyClick(list, Qt::Key_Shift); });
        QCOMPARE(printerNames(*dialog), QStringList({"KORVANE-ZR", "KORVANE-ZR-3"}));
        QVERIFY(removeQueue("KORVANE-ZR-3"));
        QVERIFY(removeQueue("KORVANE-ZR-9"));
        QVERIFY(addQueue("KORVANE-ZR-2", "korvane-zvobackend://KORVANE/ZR?serial=B5678"));
    }

    // Without any ZR queue: empty list, offline, no files; Update does nothing.
    void noZrQueue()
    {
        QVERIFY(removeQueue("KORVANE-ZR"));
        QVERIFY(removeQueue("KORVANE-ZR-2"));
        openDialog();
        QCOMPARE(printerList(*dialog)->count(), 0);
        QCOMPARE(labelText(*dialog, "label_Status"), QString("Offline"));
        dialog->push_update();
        // A stray reading still shows no count without a registered printer.
        dialog->upDateStatus(reading("00000", "00001", "310", "400", "350"));
        QCOMPARE(labelText(*dialog, "label_TCValue"), QString("---"));
        QCOMPARE(zrFilesInTmp(), QStringList());

        // A queue added later appears on the next click and is watched.
        QVERIFY(addQueue("KORVANE-ZR", "korvane-zvobackend://KORVANE/ZR?serial=A1234"));
        refreshList([this] { QTest::mouseClick(printerList(*dialog), Qt::LeftButton); });
        printerList(*dialog)->hidePopup();
        QCOMPARE(printerNames(*dialog), QStringList({"KORVANE-ZR"}));
        QCOMPARE(zrFilesInTmp(), QStringList({"ZR_A1234_UTIL"}));
        QVERIFY(addQueue("KORVANE-ZR-2", "korvane-zvobackend://KORVANE/ZR?serial=B5678"));
    }

private:
    QTranslator translator;
    std::unique_ptr<StatusDialog> dialog;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    StatusDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_status_dialog.moc"
