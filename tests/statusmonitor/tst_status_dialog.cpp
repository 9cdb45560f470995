// The status window against a private scheduler and a private /tmp: queue
// list, watch and request files, how each reading is shown, and the window
// photographed in three languages.
#include "dialog_probe.h"
#include "info_files.h"
#include "status_dialog.h"
#include "status_monitor.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

#include <memory>

int qInitResources_statusmonitor();

namespace {

const QString kWatchA = "/tmp/ZR_A1234_UTIL";
const QString kInfoA = "/tmp/ZR_A1234.log";

// A text of the window in the language of the catalogue installed last.
QString shownFor(const char *key) { return QCoreApplication::translate("StatusDialog", key); }

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

// lpadmin against the private scheduler named by CUPS_SERVER.
bool addQueue(const QString &name, const QString &uri)
{
    return QProcess::execute("lpadmin", {"-p", name, "-E", "-v", uri}) == 0;
}

bool removeQueue(const QString &name) { return QProcess::execute("lpadmin", {"-x", name}) == 0; }

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
        QVERIFY(QDir().mkpath(KZR_SHOT_DIR));
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

    // The ZR queues are listed and the first printer is watched; the watch
    // file follows the printer shown, Update asks the daemon for that
    // printer's counter, and closing removes the watch file but not the
    // request, which is the daemon's to remove.
    void listsZrQueuesAndWatchesThePrinterShown()
    {
        openDialog();
        QCOMPARE(printerNames(*dialog), QStringList({"KORVANE-ZR", "KORVANE-ZR-2"}));
        QCOMPARE(printerList(*dialog)->currentIndex(), 0);
        QCOMPARE(zrFilesInTmp(), QStringList({"ZR_A1234_UTIL"}));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());

        printerList(*dialog)->setCurrentIndex(1);
        QCOMPARE(zrFilesInTmp(), QStringList({"ZR_B5678_UTIL"}));
        dialog->push_update();
        QCOMPARE(zrFilesInTmp(), QStringList({"ZR_B5678_TC_UTIL", "ZR_B5678_UTIL"}));
        dialog.reset();
        QCOMPARE(zrFilesInTmp(), QStringList({"ZR_B5678_TC_UTIL"}));
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

        const QString incorrect = "\n" + shownFor("ms_00108");
        QTest::newRow("waiting, 6x4in") << reading("00000", "00001", "00301", "400", "350")
            << "6x4in" << "350 / 400  Sheets" << 87 << "Waiting" << " " << "PrtStsIdle";
        QTest::newRow("unknown size") << reading("00000", "00001", "999", "400", "350")
            << "---" << "0 / 400  Sheets" << 0 << "Waiting" << " " + incorrect << "PrtStsIdle";
        QTest::newRow("ribbon end") << reading("01200", "00103", "999", "400", "350")
            << "---" << "0 / 400  Sheets" << 0 << "Ribbon end" << shownFor("ms_00103") << "PrtStsRibbonEnd";
        QTest::newRow("1600 gets no media line") << reading("01600", "00200", "999", "400", "350")
            << "---" << "350 / 400  Sheets" << 87 << "System error" << shownFor("ms_00200") << "PrtStsSystemErr01";
        QTest::newRow("paper end") << reading("01100", "00102", "00210", "400", "0")
            << "5x7in" << "0 / 400  Sheets" << 0 << "Paper end" << shownFor("ms_00102") << "PrtStsPaperEnd";
        QTest::newRow("initial 0") << reading("00500", "00003", "200", "0", "10")
            << "5x3.5in" << "--- / ---  Sheets" << 0 << "Cooling head" << shownFor("ms_00003") << "PrtStsCooling";
        QTest::newRow("no counts") << reading("01000", "00100", "310", "", "10")
            << "6x8in" << "--- / ---  Sheets" << 0 << "Door open" << shownFor("ms_00100") << "PrtStsCoverOpen";
        QTest::newRow("unknown status") << reading("04711", "00001", "310", "400", "100")
            << "6x8in" << "100 / 400  Sheets" << 25 << "System error" << " " << "PrtStsSystemErr01";
        // More prints left than the roll holds: the bar is full, not stale.
        QTest::newRow("remaining above initial") << reading("00000", "00001", "310", "400", "500")
            << "6x8in" << "500 / 400  Sheets" << 100 << "Waiting" << " " << "PrtStsIdle";
        QTest::newRow("status 99999") << reading("99999", "00006", "310", "400", "350")
            << "---" << "--- / ---  Sheets" << 0 << "Offline" << shownFor("ms_00006") << "PrtStsOffline";
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
        const QImage resource = QPixmap(":/images/" + picture + ".bmp")
                                    .scaled(80, 80, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                                    .toImage();
        QCOMPARE(shownPicture(*dialog), resource);
        const bool offline = picture == "PrtStsOffline";
        QCOMPARE(labelText(*dialog, "label_SerialValue"), QString(offline ? "---" : "A1234"));
        QCOMPARE(labelText(*dialog, "label_FWValue"), QString(offline ? "---" : "1.53"));
        QCOMPARE(labelText(*dialog, "label_TCValue"), QString(offline ? "---" : "5678"));
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
        QCOMPARE(shown("0012345"), QString("12345"));
        QCOMPARE(shown(""), QString("12345"));
        QCOMPARE(shown("12346"), QString("12346"));
        printerList(*dialog)->setCurrentIndex(1);
        QCOMPARE(shown(""), QString("---"));
    }

    // The window as users of three languages see it, photographed for a
    // printing printer and offline: its texts and the About box's come from
    // the language's catalogue.
    void photographedInThreeLanguages_data()
    {
        QTest::addColumn<QString>("language");
        for (const char *language : {"en", "ja", "de"})
            QTest::newRow(language) << QString(language);
    }
    void photographedInThreeLanguages()
    {
        QFETCH(QString, language);
        QTranslator local;
        QVERIFY(local.load(":/translations/localize_" + language));
        QApplication::installTranslator(&local);
        openDialog();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        auto shoot = [&](const char *state) {
            return dialog->grab().save(QString(KZR_SHOT_DIR "/status_%1_%2.png").arg(language, state));
        };

        InfoValues printing;
        printing.status = "00001";
        QVERIFY(writeInfoFile(kInfoA, infoFileText(printing)));
        QTRY_COMPARE(labelText(*dialog, "label_Status"), shownFor("st_00001"));
        QVERIFY(shoot("printing"));
        QVERIFY(QFile::remove(kInfoA));
        QTRY_COMPARE(labelText(*dialog, "label_Status"), shownFor("st_99999"));
        QVERIFY(shoot("offline"));

        // The About box is application-modal and names the version in words
        // of the language.
        QTest::mouseClick(dialog->findChild<QPushButton *>("versionButton"), Qt::LeftButton);
        auto *version = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(version && version->objectName() == "VersionDialog" && version->isVisible());
        QVERIFY(labelText(*version, "label_VersionNo")
                    .startsWith(QCoreApplication::translate("VersionDialog", "Version") + ' '));
        QVERIFY(QTest::qWaitForWindowExposed(version));
        QVERIFY(version->grab().save(QString(KZR_SHOT_DIR "/about_%1.png").arg(language)));
        version->close();
        dialog.reset();
        QApplication::removeTranslator(&local);
    }

    // A click or a key on the list re-reads CUPS; the selection starts again
    // on the first entry and the watch file of the same printer is left alone.
    void listRefreshedOnClickAndKey()
    {
        openDialog();
        QVERIFY(writeInfoFile(kWatchA, "untouched"));
        QVERIFY(addQueue("KORVANE-ZR-3", "korvane-zvobackend://KORVANE/ZR?serial=C9"));

        QComboBox *list = printerList(*dialog);
        refreshList([list] { QTest::mouseClick(list, Qt::LeftButton); });
        list->hidePopup();
        QCOMPARE(printerNames(*dialog), QStringList({"KORVANE-ZR", "KORVANE-ZR-2", "KORVANE-ZR-3"}));
        QCOMPARE(list->currentIndex(), 0);
        QCOMPARE(contentOf(kWatchA), QByteArray("untouched"));

        QVERIFY(removeQueue("KORVANE-ZR-2"));
        refreshList([list] { QTest::keyClick(list, Qt::Key_Shift); });
        QCOMPARE(printerNames(*dialog), QStringList({"KORVANE-ZR", "KORVANE-ZR-3"}));
        QVERIFY(removeQueue("KORVANE-ZR-3"));
    }

    // Without any ZR queue (the last test: the queue list refresh left one):
    // empty list, offline, no files; Update does nothing.
    void noZrQueue()
    {
        QVERIFY(removeQueue("KORVANE-ZR"));
        openDialog();
        QCOMPARE(printerList(*dialog)->count(), 0);
        QCOMPARE(labelText(*dialog, "label_Status"), QString("Offline"));
        dialog->push_update();
        // A stray reading still shows no count without a registered printer.
        dialog->upDateStatus(reading("00000", "00001", "310", "400", "350"));
        QCOMPARE(labelText(*dialog, "label_TCValue"), QString("---"));
        QCOMPARE(zrFilesInTmp(), QStringList());
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
