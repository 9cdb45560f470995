// The real window, fed by a real information file, photographed in English,
// Japanese and German for a printing printer, a ribbon end and offline.
#include "dialog_probe.h"
#include "info_files.h"
#include "status_dialog.h"

#include <QApplication>
#include <QDir>
#include <QSet>
#include <QTranslator>
#include <QtTest>

#include <memory>

int qInitResources_statusmonitor();

namespace {

const QString kInfoA = "/tmp/ZR_A1234.log";

int distinctColours(const QImage &image, const QRect &area)
{
    QSet<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

// Where the status picture sits in the window (panel at 10,180; view at 10,30).
const QRect kPictureArea(20, 210, 80, 80);

} // namespace

class ScreenshotTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            QSKIP("needs the private scheduler of with_cupsd.sh");
        qInitResources_statusmonitor();
        QVERIFY(QDir().mkpath(KZR_SHOT_DIR));
    }

    // What a user of each language reads: the catalogue's texts, written
    // out here so that a key the window forgets to translate, or a wrong
    // key, shows.
    void window_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("texts");  // select, printing, ribbon end, its message, offline, about
        QTest::addColumn<QString>("version");
        QTest::newRow("en") << "en"
                            << QStringList{"Select printer", "Printing", "Ribbon end",
                                           "Load new media.\n(Replace the paper and ribbon as a set.)", "Offline", "About"}
                            << "Version 1.0.0";
        QTest::newRow("ja") << "ja"
                            << QStringList{QString::fromUtf8("プリンターの選択"), QString::fromUtf8("印刷中"),
                                           QString::fromUtf8("リボン切れ"),
                                           QString::fromUtf8("新しいメディアをセットしてください。\n"
                                                             "（用紙とリボンはセットで交換してください。）"),
                                           QString::fromUtf8("オフライン"), QString::fromUtf8("バージョン情報")}
                            << QString::fromUtf8("バージョン 1.0.0");
        QTest::newRow("de") << "de"
                            << QStringList{QString::fromUtf8("Drucker auswählen"), QString::fromUtf8("Druckvorgang läuft"),
                                           "Farbband aufgebraucht",
                                           "Legen Sie neue Medien ein.\n(Papier und Farbband immer als Satz austauschen.)",
                                           "Offline", "Info"}
                            << "Version 1.0.0";
    }
    void window()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, texts);
        QTranslator translator;
        QVERIFY(translator.load(":/translations/localize_" + language));
        QApplication::installTranslator(&translator);

        QFile::remove(kInfoA);
        auto dialog = std::make_unique<StatusDialog>();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QCOMPARE(labelText(*dialog, "printerlabel"), texts[0]);

        InfoValues printing;
        printing.status = "00001";
        QVERIFY(writeInfoFile(kInfoA, infoFileText(printing)));
        QTRY_COMPARE(labelText(*dialog, "label_Status"), texts[1]);
        const QImage printingShot = shoot(*dialog, language + "_printing");

        InfoValues ribbonEnd;
        ribbonEnd.status = "01200";
        ribbonEnd.message = "00103";
        QVERIFY(writeInfoFile(kInfoA, infoFileText(ribbonEnd)));
        QTRY_COMPARE(labelText(*dialog, "label_Status"), texts[2]);
        QCOMPARE(labelText(*dialog, "label_StatusMessage"), texts[3]);
        const QImage ribbonShot = shoot(*dialog, language + "_ribbon_end");

        QVERIFY(QFile::remove(kInfoA));
        QTRY_COMPARE(labelText(*dialog, "label_Status"), texts[4]);
        const QImage offlineShot = shoot(*dialog, language + "_offline");

        // Each state looks different where the picture and the texts are.
        QVERIFY(printingShot.copy(kPictureArea) != offlineShot.copy(kPictureArea));
        QVERIFY(printingShot.copy(kPictureArea) != ribbonShot.copy(kPictureArea));
        QVERIFY(printingShot.copy(120, 210, 380, 130) != ribbonShot.copy(120, 210, 380, 130));

        // The About dialog: its version line is translated in its first word.
        QPushButton *about = dialog->findChild<QPushButton *>("versionButton");
        QCOMPARE(about->text(), texts[5]);
        QTest::mouseClick(about, Qt::LeftButton);
        QDialog *version = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == "VersionDialog")
                version = qobject_cast<QDialog *>(w);
        QVERIFY(version && version->isVisible());
        QCOMPARE(version->size(), QSize(320, 200));
        // Application-modal: the main window takes no input meanwhile.
        QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget *>(version));
        QTEST(labelText(*version, "label_VersionNo"), "version");
        QVERIFY(QTest::qWaitForWindowExposed(version));
        QVERIFY(version->grab().save(QString(KZR_SHOT_DIR "/about_%1.png").arg(language)));
        version->close();

        dialog.reset();
        QApplication::removeTranslator(&translator);
    }

private:
    QImage shoot(QDialog &dialog, const QString &name)
    {
        const QImage image = dialog.grab().toImage();
        [&] {
            QCOMPARE(image.size(), QSize(550, 570));
            // Not blank: text, frames and the picture give many colours.
            QVERIFY2(distinctColours(image, image.rect()) > 40, qPrintable(name));
            QVERIFY2(distinctColours(image, kPictureArea) > 5, qPrintable(name));
            QVERIFY(image.save(QString(KZR_SHOT_DIR "/status_%1.png").arg(name)));
        }();
        return image;
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ScreenshotTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screenshots.moc"
