// The installed program as a user starts it, on a real X server: it comes
// up, watches the first ZR printer, stands centred in the screen and shows
// the printer's reading; a screenshot of the whole screen is kept.
#include "info_files.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QtTest>

class XvfbProgramTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("CUPS_SERVER") || qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the private scheduler and X server of the wrapper scripts");
    }

    void windowCentredAndShowingTheReading()
    {
        InfoValues printing;
        printing.status = "00001";
        QVERIFY(writeInfoFile("/tmp/ZR_A1234.log", infoFileText(printing)));

        QProcess program;
        program.setStandardOutputFile(QProcess::nullDevice());
        program.start(KZR_PROGRAM, QStringList());
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists("/tmp/ZR_A1234_UTIL"), 20000);

        // The window is 550 x 570 in a 1024 x 768 screen without panels.
        const QRect expected(237, 99, 550, 570);
        QScreen *screen = QGuiApplication::primaryScreen();
        QImage shot;
        // Once shown, the worker's first reading fills the bar of a
        // 350-of-400 roll to 87 %: filled near its left end, empty near its
        // right end.
        const QRect bar(expected.x() + 10 + 180, expected.y() + 50 + 60, 310, 23);
        auto barFilled = [&] {
            shot = screen->grabWindow(0).toImage();
            return shot.pixel(bar.x() + 100, bar.center().y()) != shot.pixel(bar.x() + 300, bar.center().y());
        };
        QTRY_VERIFY_WITH_TIMEOUT(barFilled(), 20000);
        QVERIFY(QDir().mkpath(KZR_SHOT_DIR));
        QVERIFY(shot.save(KZR_SHOT_DIR "/xvfb_screen_en_printing.png"));

        program.kill();
        program.waitForFinished();

        // Black all around the window, the window's white just inside.
        QCOMPARE(shot.pixel(expected.left() - 2, expected.center().y()), qRgb(0, 0, 0));
        QCOMPARE(shot.pixel(expected.right() + 2, expected.center().y()), qRgb(0, 0, 0));
        QCOMPARE(shot.pixel(expected.center().x(), expected.top() - 2), qRgb(0, 0, 0));
        QCOMPARE(shot.pixel(expected.center().x(), expected.bottom() + 2), qRgb(0, 0, 0));
        QCOMPARE(shot.pixel(expected.left() + 1, expected.top() + 1), qRgb(255, 255, 255));
        QCOMPARE(shot.pixel(expected.right() - 1, expected.bottom() - 1), qRgb(255, 255, 255));
    }
};

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    XvfbProgramTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_xvfb_program.moc"
